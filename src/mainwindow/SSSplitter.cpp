#include "SSSplitter.h"

#include <QEvent>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/widgets/mN7GraphLight.h"

namespace mainwindow {

namespace {

int toPixels(double twips, int twipsPerPixel)
{
    return qMax(0, qRound(twips / twipsPerPixel));
}

QSplitter* newColumn(Qt::Orientation orientation, QWidget* first, QWidget* second, QWidget* parent)
{
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(first);
    splitter->addWidget(second);
    // The second pane takes what the first one does not.
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    return splitter;
}

// Sets the size of one of two panes; the other takes the rest.
void setFirstOrSecond(QSplitter& splitter, int index, int pixels)
{
    const int total =
        (splitter.orientation() == Qt::Horizontal ? splitter.width() : splitter.height()) - splitter.handleWidth();
    const int size = qBound(0, pixels, qMax(0, total));
    const int rest = qMax(0, total - size);
    splitter.setSizes(index == 0 ? QList<int>{size, rest} : QList<int>{rest, size});
}

} // namespace

SSSplitter::SSSplitter(QWidget* tasks, QWidget* docs, QWidget* path, QWidget* filters, QWidget* parent)
    : QWidget(parent)
{
    m_left = newColumn(Qt::Vertical, tasks, docs, nullptr);
    m_right = newColumn(Qt::Vertical, path, filters, nullptr);
    m_columns = newColumn(Qt::Horizontal, m_left, m_right, this);
    // The queues take a change of the window's width; the filter column keeps its own.
    m_columns->setStretchFactor(0, 1);
    m_columns->setStretchFactor(1, 0);
    m_panes.insert(QString::fromUtf16(kPaneTasks), tasks);
    m_panes.insert(QString::fromUtf16(kPaneDocs), docs);
    m_panes.insert(QString::fromUtf16(kPanePath), path);
    m_panes.insert(QString::fromUtf16(kPaneFilters), filters);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_columns);
    for (QSplitter* splitter : {m_columns, m_left, m_right})
        splitter->handle(1)->installEventFilter(this);
}

QWidget* SSSplitter::pane(const QString& name) const
{
    return m_panes.value(name);
}

QSplitter* SSSplitter::columnOf(const QString& name) const
{
    QWidget* panel = m_panes.value(name);
    if (panel == nullptr)
        return nullptr;
    return m_left->indexOf(panel) >= 0 ? m_left : m_right;
}

int SSSplitter::indexInColumn(const QString& name) const
{
    const QSplitter* column = columnOf(name);
    return column == nullptr ? -1 : column->indexOf(m_panes.value(name));
}

double SSSplitter::paneWidth(const QString& name) const
{
    if (m_pendingWidths.contains(name))
        return m_pendingWidths.value(name);
    const QWidget* panel = m_panes.value(name);
    return panel == nullptr ? 0.0 : double(panel->width()) * core::TwipsPerPixelX();
}

void SSSplitter::setPaneWidth(const QString& name, double twips)
{
    if (!m_panes.contains(name))
        return;
    if (!isVisible())
        m_pendingWidths.insert(name, twips);
    else
        applyWidth(name, twips);
}

void SSSplitter::applyWidth(const QString& name, double twips)
{
    QSplitter* column = columnOf(name);
    if (column == nullptr)
        return;
    setFirstOrSecond(*m_columns, m_columns->indexOf(column), toPixels(twips, core::TwipsPerPixelX()));
}

double SSSplitter::paneHeight(const QString& name) const
{
    if (m_pendingHeights.contains(name))
        return m_pendingHeights.value(name);
    const QWidget* panel = m_panes.value(name);
    return panel == nullptr ? 0.0 : double(panel->height()) * core::TwipsPerPixelY();
}

void SSSplitter::setPaneHeight(const QString& name, double twips)
{
    if (!m_panes.contains(name))
        return;
    if (!isVisible())
        m_pendingHeights.insert(name, twips);
    else
        applyHeight(name, twips);
}

void SSSplitter::applyHeight(const QString& name, double twips)
{
    QSplitter* column = columnOf(name);
    if (column == nullptr)
        return;
    setFirstOrSecond(*column, indexInColumn(name), toPixels(twips, core::TwipsPerPixelY()));
}

bool SSSplitter::paneLockHeight(const QString& name) const
{
    const QSplitter* column = columnOf(name);
    return column != nullptr && !column->handle(1)->isEnabled();
}

void SSSplitter::setPaneLockHeight(const QString& name, bool locked)
{
    if (QSplitter* column = columnOf(name))
        column->handle(1)->setEnabled(!locked);
}

void SSSplitter::applyPending()
{
    for (auto it = m_pendingWidths.cbegin(); it != m_pendingWidths.cend(); ++it)
        applyWidth(it.key(), it.value());
    for (auto it = m_pendingHeights.cbegin(); it != m_pendingHeights.cend(); ++it)
        applyHeight(it.key(), it.value());
    m_pendingWidths.clear();
    m_pendingHeights.clear();
}

void SSSplitter::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    applyPending();
}

void SSSplitter::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyPending();
}

bool SSSplitter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        emit SplitterEndDrag();
    return QWidget::eventFilter(watched, event);
}

} // namespace mainwindow
