#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QString>

#include "ExcludeRows.h"

class QKeyEvent;
class QPoint;
class QTableView;
class QToolBar;
class QWidget;

namespace core {
class UiServices;
}

namespace dialogs {

class ExcludeRowsModel;
class ToolBarsPopup;

// The exclusion table of the options dialog: the unbound grid theGrid over the dialog's rows, its
// tool bar, its popup menu and its keys, and the clipboard. Rows come and go only through the
// commands; the grid edits the cells of existing rows. Nothing is stored until the dialog's OK.
class ExclusionListEditor final : public QObject
{
    Q_OBJECT

public:
    // caption gives the dialog's caption, the title of the deletion question.
    ExclusionListEditor(QWidget* panel, core::UiServices& ui, ToolBarsPopup& tools, std::function<QString()> caption);
    ~ExclusionListEditor() override;
    Q_DISABLE_COPY_MOVE(ExclusionListEditor)

    QTableView* theGrid = nullptr;
    QToolBar* theToolbar = nullptr;

    const ExcludeRows& rows() const { return m_rows; }

    void ReBindGridExclude(const ExcludeRows::Table& table);
    void AddData(std::optional<int> source = std::nullopt);
    void DoInsertLine(std::optional<int> source = std::nullopt);
    void DoDeleteLine();
    void DoCopyToClipboard();
    void DoPasteFromClipboard();
    void PasteFromClip();
    void DoClearSelectedCells();
    // Runs a row command; false when the identifier names none of them.
    bool HandleRowCommand(const QString& id);
    void RunPopupMenuOnCell(const QPoint& place);

    // The grid row (from 1) and column that are current; 0 and -1 when there is none.
    int currentRow() const;
    int currentColumn() const;
    bool isEditing() const;
    // Ends a cell edit that is under way, keeping what was typed.
    void commitEdit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void setCurrent(int gridRow, int column);
    // After rows came or went: the grid reads anew, keeps its column and gets the focus.
    void rowsChanged(int current, int column);
    bool gridIsActiveControl() const;
    bool gridKeyDown(const QKeyEvent& key);
    void runGuarded(const QString& command, const char16_t* procedure);

    core::UiServices& m_ui;
    ToolBarsPopup& m_tools;
    std::function<QString()> m_caption;
    ExcludeRows m_rows;
    ExcludeRowsModel* m_model = nullptr;
};

} // namespace dialogs
