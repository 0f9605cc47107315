#include "TwipsLayout.h"

#include <algorithm>

#include <QWidget>

namespace dialogs {

TwipsLayout::TwipsLayout(QWidget* parent, QSize designInner)
    : QLayout(parent)
    , m_designInner(designInner)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

TwipsLayout::~TwipsLayout()
{
    while (!m_items.isEmpty())
        delete m_items.takeLast();
}

int TwipsLayout::add(QWidget* widget, const TwipsRect& design, bool caption)
{
    addChildWidget(widget);
    m_items.append(new QWidgetItem(widget));
    m_places.append(design);
    m_captions.append(caption);
    invalidate();
    return static_cast<int>(m_items.size()) - 1;
}

void TwipsLayout::setPlaceAt(int index, const TwipsRect& place)
{
    m_places[index] = place;
    invalidate();
}

void TwipsLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    m_places.append(pixelsToTwips(item->geometry()));
    m_captions.append(false);
}

QLayoutItem* TwipsLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem* TwipsLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    m_places.removeAt(index);
    m_captions.removeAt(index);
    return m_items.takeAt(index);
}

QSize TwipsLayout::sizeHint() const
{
    const QSize design(twipsToPixels(m_designInner.width()), twipsToPixels(m_designInner.height()));
    return design.expandedTo(minimumSize());
}

QSize TwipsLayout::minimumSize() const
{
    if (!m_minimum)
        return {0, 0};
    const QSize twips = m_minimum();
    return {std::max(0, twipsToPixels(twips.width())), std::max(0, twipsToPixels(twips.height()))};
}

void TwipsLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    if (m_rules)
        m_rules(pixelsToTwips(rect.width()), pixelsToTwips(rect.height()), m_places);
    // The places are exact: the widgets' own size policies must not bend them.
    for (int i = 0; i < m_items.size(); ++i) {
        QRect place = twipsToPixels(m_places.at(i)).translated(rect.topLeft());
        if (QWidget* widget = m_items.at(i)->widget()) {
            if (m_captions.at(i))
                place.setWidth(std::max(place.width(), widget->sizeHint().width()));
            widget->setGeometry(place);
        } else
            m_items.at(i)->setGeometry(place);
    }
}

} // namespace dialogs
