#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QWidget>

#include "dialogs/Twips.h"
#include "dialogs/TwipsLayout.h"

namespace mainwindow {

// The controls of one container, placed in twips: each control the container's rules move is
// bound to its member of the rules' places; the others keep the place they are built with. A
// caption that sizes to its text takes its text's size before the rules run, so a rule that reads
// it sees the size the font gives.
template <typename Places> class RuledContainer final
{
public:
    using Rules = std::function<void(Places& places, int innerWidth, int innerHeight)>;
    // Runs after the rules, with the places the rules wrote; may adjust the places of the layout.
    using After = std::function<void(const Places& places, QList<dialogs::TwipsRect>& layoutPlaces)>;

    // The layout becomes the container's; the container owns it.
    RuledContainer(QWidget* container, QSize designInner)
        : m_layout(new dialogs::TwipsLayout(container, designInner))
    {
    }

    dialogs::TwipsLayout* layout() const { return m_layout; }

    // A control that the rules move, built at its member's design place; answers its index.
    int bind(QWidget* widget, dialogs::TwipsRect Places::*member, bool caption = false)
    {
        const int index = add(widget, m_design.*member, caption);
        m_bindings.push_back({index, member});
        return index;
    }

    // A control that no rule moves; answers its index.
    int add(QWidget* widget, const dialogs::TwipsRect& place, bool caption = false)
    {
        const int index = m_layout->add(widget, place);
        if (caption)
            m_captions.push_back({index, widget});
        return index;
    }

    // Installs the rules once every control is added.
    void setRules(Rules rules, After after = {})
    {
        m_layout->setRules(
            [bindings = m_bindings, captions = m_captions, rules = std::move(rules),
             after = std::move(after)](int innerWidth, int innerHeight, QList<dialogs::TwipsRect>& layoutPlaces) {
                for (const auto& [index, widget] : captions) {
                    const QSize text = widget->sizeHint();
                    layoutPlaces[index].width = dialogs::pixelsToTwips(text.width());
                    layoutPlaces[index].height = dialogs::pixelsToTwips(text.height());
                }
                Places places;
                for (const auto& [index, member] : bindings)
                    places.*member = layoutPlaces.at(index);
                rules(places, innerWidth, innerHeight);
                for (const auto& [index, member] : bindings)
                    layoutPlaces[index] = places.*member;
                if (after)
                    after(places, layoutPlaces);
            });
    }

private:
    dialogs::TwipsLayout* m_layout;
    const Places m_design{};
    std::vector<std::pair<int, dialogs::TwipsRect Places::*>> m_bindings;
    std::vector<std::pair<int, QWidget*>> m_captions;
};

} // namespace mainwindow
