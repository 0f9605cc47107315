#pragma once

#include <functional>

#include <QLayout>
#include <QList>

#include "Twips.h"

namespace dialogs {

// A layout that keeps every control's place in twips and lets the dialog's resize rules move
// them whenever the container's size changes. Controls the rules leave alone keep their design
// place; the rules read the current places, so they may run as often as Qt asks.
class TwipsLayout final : public QLayout
{
public:
    // The container's inner width and height in twips, and the places in the order of add().
    using Rules = std::function<void(int innerWidth, int innerHeight, QList<TwipsRect>& places)>;
    // The least inner size in twips that the container may take.
    using Minimum = std::function<QSize()>;

    explicit TwipsLayout(QWidget* parent, QSize designInner = {});
    ~TwipsLayout() override;
    Q_DISABLE_COPY_MOVE(TwipsLayout)

    // Places the widget (made a child of the container) at its design place; answers its index.
    // A caption widget is never made narrower than its text, whose width depends on the font.
    int add(QWidget* widget, const TwipsRect& design, bool caption = false);
    void setRules(Rules rules) { m_rules = std::move(rules); }
    void setMinimum(Minimum minimum) { m_minimum = std::move(minimum); }
    const TwipsRect& placeAt(int index) const { return m_places.at(index); }
    void setPlaceAt(int index, const TwipsRect& place);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override { return static_cast<int>(m_items.size()); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QLayoutItem*> m_items;
    QList<TwipsRect> m_places;
    QList<bool> m_captions;
    QSize m_designInner;
    Rules m_rules;
    Minimum m_minimum;
};

} // namespace dialogs
