#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class QSplitter;

namespace mainwindow {

// The main window's splitter: four named panes in two columns, "Pane Tasks" over "Pane Docs" on
// the left and "Pane Path" over "Pane Filters" on the right, each filled by one panel. Sizes are
// in twips. A change of the splitter's width goes to the left column; a pane whose height is
// locked keeps the user from dragging the bar below it.
class SSSplitter final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SSSplitter)

public:
    static constexpr char16_t kPaneTasks[] = u"Pane Tasks";
    static constexpr char16_t kPaneDocs[] = u"Pane Docs";
    static constexpr char16_t kPanePath[] = u"Pane Path";
    static constexpr char16_t kPaneFilters[] = u"Pane Filters";

    // The panels become the panes' contents, owned by the splitter.
    SSSplitter(QWidget* tasks, QWidget* docs, QWidget* path, QWidget* filters, QWidget* parent = nullptr);

    QWidget* pane(const QString& name) const;
    double paneWidth(const QString& name) const;
    void setPaneWidth(const QString& name, double twips);
    double paneHeight(const QString& name) const;
    void setPaneHeight(const QString& name, double twips);
    bool paneLockHeight(const QString& name) const;
    void setPaneLockHeight(const QString& name, bool locked);

signals:
    // The user has released a bar after dragging it.
    void SplitterEndDrag();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyWidth(const QString& name, double twips);
    void applyHeight(const QString& name, double twips);
    void applyPending();
    QSplitter* columnOf(const QString& name) const;
    int indexInColumn(const QString& name) const;

    QSplitter* m_columns = nullptr;
    QSplitter* m_left = nullptr;
    QSplitter* m_right = nullptr;
    QHash<QString, QWidget*> m_panes;
    // Sizes given before the splitter is shown: its columns have no size of their own yet.
    QHash<QString, double> m_pendingWidths;
    QHash<QString, double> m_pendingHeights;
};

} // namespace mainwindow
