#include "ExclusionListEditor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>

#include "ExcludeRowsModel.h"
#include "ToolBarsPopup.h"
#include "core/MsgBox.h"
#include "core/mErrorHandling.h"
#include "core/mOther.h"

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmOptions";

// The folder column is chosen from its fixed list: the display texts are offered, the stored
// value is handed to the rows.
class FolderKindDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* list = new QComboBox(parent); // owned by the view
        list->setObjectName(u"theGridFolderList"_s);
        for (const QString& kind : ExcludeRowsModel::folderKinds())
            list->addItem(ExcludeRowsModel::folderText(kind), kind);
        return list;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* list = static_cast<QComboBox*>(editor);
        list->setCurrentIndex(list->findData(index.data(Qt::EditRole).toString()));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        const auto* list = static_cast<QComboBox*>(editor);
        if (list->currentIndex() >= 0)
            model->setData(index, list->currentData(), Qt::EditRole);
    }
};

// The tool bar's pictures: a sign drawn in the button's colour.
QIcon signIcon(const QString& sign, const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(15);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, sign);
    return QIcon(pixmap);
}

} // namespace

ExclusionListEditor::ExclusionListEditor(QWidget* panel, core::UiServices& ui, ToolBarsPopup& tools,
                                         std::function<QString()> caption)
    : QObject(panel)
    , m_ui(ui)
    , m_tools(tools)
    , m_caption(std::move(caption))
{
    m_model = new ExcludeRowsModel(m_rows, this);
    theGrid = new QTableView(panel);
    theGrid->setObjectName(u"theGrid"_s);
    theGrid->setModel(m_model);
    theGrid->setItemDelegateForColumn(ExcludeRows::kFolderColumn, new FolderKindDelegate(theGrid));
    theGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    theGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    theGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    theGrid->setTabKeyNavigation(false);
    theGrid->horizontalHeader()->setSectionResizeMode(ExcludeRows::kContextColumn, QHeaderView::Stretch);
    theGrid->horizontalHeader()->setSectionResizeMode(ExcludeRows::kFolderColumn, QHeaderView::Fixed);
    theGrid->horizontalHeader()->resizeSection(ExcludeRows::kFolderColumn, 100);
    theGrid->horizontalHeader()->setHighlightSections(false);
    theGrid->verticalHeader()->setHighlightSections(false);
    theGrid->verticalHeader()->setDefaultSectionSize(20);
    theGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    theGrid->installEventFilter(this);
    theGrid->viewport()->installEventFilter(this);
    buildToolbar();
    // The add button's tool tip promises Ctrl+N: it adds a row wherever the focus is on the tab.
    auto* addLine = new QShortcut(
        QKeySequence(Qt::CTRL | Qt::Key_N), panel, panel, [this] { runGuarded(u"add_line"_s, u"theGrid_KeyDown"); },
        Qt::WidgetWithChildrenShortcut);
    addLine->setObjectName(u"addLineShortcut"_s);
}

ExclusionListEditor::~ExclusionListEditor() = default;

void ExclusionListEditor::buildToolbar()
{
    theToolbar = new QToolBar(theGrid->parentWidget());
    theToolbar->setObjectName(u"theToolbar"_s);
    theToolbar->setOrientation(Qt::Vertical);
    theToolbar->setIconSize(QSize(16, 16));
    theToolbar->setStyleSheet(u"QToolBar { border: 0px; spacing: 2px; }"_s);
    struct Button
    {
        QString key;
        QString toolTip;
        QIcon icon;
    };
    const Button buttons[] = {
        {u"add_line"_s, u"Добавить пустую строку в конец (Ctrl+N)"_s, signIcon(u"+"_s, QColor(0, 128, 0))},
        {u"delete_line"_s, u"Удалить строку"_s, signIcon(u"\u2212"_s, QColor(192, 0, 0))},
        {QString(), u"Используйте контекстное меню таблицы"_s, signIcon(u"?"_s, QColor(0, 0, 160))},
    };
    for (const Button& button : buttons) {
        QAction* action = theToolbar->addAction(button.icon, button.toolTip);
        action->setObjectName(button.key);
        action->setToolTip(button.toolTip);
        const QString key = button.key;
        connect(action, &QAction::triggered, this, [this, key] {
            // theToolbar_ButtonClick: the button's key is the command; the question mark has none.
            if (!key.isEmpty())
                runGuarded(key, u"theToolbar_ButtonClick");
        });
    }
}

void ExclusionListEditor::runGuarded(const QString& command, const char16_t* procedure)
{
    try {
        HandleRowCommand(command);
    } catch (...) {
        core::ReportError(m_ui, kModule, procedure);
    }
}

int ExclusionListEditor::currentRow() const
{
    const QModelIndex index = theGrid->currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

int ExclusionListEditor::currentColumn() const
{
    const QModelIndex index = theGrid->currentIndex();
    return index.isValid() ? index.column() : -1;
}

void ExclusionListEditor::setCurrent(int gridRow, int column)
{
    if (gridRow < 1 || gridRow > m_rows.gridRowCount()) {
        theGrid->setCurrentIndex(QModelIndex());
        return;
    }
    theGrid->setCurrentIndex(m_model->index(gridRow - 1, std::max(column, 0)));
}

bool ExclusionListEditor::isEditing() const
{
    const QModelIndex index = theGrid->currentIndex();
    return index.isValid() && theGrid->indexWidget(index) != nullptr;
}

void ExclusionListEditor::commitEdit()
{
    const QModelIndex index = theGrid->currentIndex();
    if (!index.isValid())
        return;
    if (QWidget* editor = theGrid->indexWidget(index)) {
        QAbstractItemDelegate* delegate = theGrid->itemDelegateForIndex(index);
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void ExclusionListEditor::rowsChanged(int current, int column)
{
    m_model->readAnew();
    setCurrent(current, column);
    theGrid->setFocus();
}

void ExclusionListEditor::ReBindGridExclude(const ExcludeRows::Table& table)
{
    try {
        const int current = m_rows.rebind(table);
        m_model->readAnew();
        setCurrent(current, ExcludeRows::kContextColumn);
    } catch (...) {
        core::PropagateError(kModule, u"ReBindGridExclude");
    }
}

void ExclusionListEditor::AddData(std::optional<int> source)
{
    try {
        const int column = currentColumn();
        rowsChanged(m_rows.addData(source), column);
    } catch (...) {
        core::PropagateError(kModule, u"AddData");
    }
}

void ExclusionListEditor::DoInsertLine(std::optional<int> source)
{
    try {
        const int p = currentRow();
        if (p < 1)
            return;
        const int column = currentColumn();
        rowsChanged(m_rows.insertLine(p, source), column);
    } catch (...) {
        core::PropagateError(kModule, u"DoInsertLine");
    }
}

void ExclusionListEditor::DoDeleteLine()
{
    try {
        if (m_rows.gridRowCount() <= 0)
            return;
        const int p = currentRow();
        if (p == 0)
            return;
        const QString prompt = u"Вы действительно хотите удалить строку c названием документа\r\n\""_s
                               + m_rows.read(p, ExcludeRows::kContextColumn) + u"\" ?"_s;
        if (core::mOther::iMsgBox(m_ui, prompt, core::msgbox::vbOKCancel | core::msgbox::vbQuestion, m_caption())
            != core::msgbox::vbOK)
            return;
        const int column = currentColumn();
        rowsChanged(m_rows.deleteLine(p), column);
    } catch (...) {
        core::PropagateError(kModule, u"DoDeleteLine");
    }
}

void ExclusionListEditor::DoClearSelectedCells()
{
    try {
        const int r = currentRow();
        if (m_rows.clearCell(r, currentColumn()))
            m_model->readRowAnew(r);
    } catch (...) {
        core::PropagateError(kModule, u"DoClearSelectedCells");
    }
}

bool ExclusionListEditor::gridIsActiveControl() const
{
    return theGrid->window()->focusWidget() == theGrid && !isEditing();
}

void ExclusionListEditor::DoCopyToClipboard()
{
    try {
        if (!gridIsActiveControl())
            return;
        const QModelIndex index = theGrid->currentIndex();
        if (!index.isValid() || m_rows.mapped(index.row() + 1) == 0)
            return;
        // The cell's text as the grid shows it.
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
    } catch (...) {
        core::PropagateError(kModule, u"DoCopyToClipboard");
    }
}

void ExclusionListEditor::DoPasteFromClipboard()
{
    try {
        if (gridIsActiveControl())
            PasteFromClip();
    } catch (...) {
        core::PropagateError(kModule, u"DoPasteFromClipboard");
    }
}

void ExclusionListEditor::PasteFromClip()
{
    try {
        const int r = currentRow();
        const int c = currentColumn();
        const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
        if (clip == nullptr || !clip->hasText())
            return;
        const int current = m_rows.paste(r, c, clip->text());
        m_model->readAnew();
        setCurrent(current, c);
    } catch (...) {
        core::PropagateError(kModule, u"PasteFromClip");
    }
}

bool ExclusionListEditor::HandleRowCommand(const QString& id)
{
    const bool anyRow = m_rows.gridRowCount() > 0;
    if (id == u"add_line") {
        commitEdit();
        AddData();
    } else if (id == u"insert_line") {
        commitEdit();
        if (anyRow)
            DoInsertLine();
    } else if (id == u"dublicate_line") {
        commitEdit();
        if (anyRow)
            DoInsertLine(m_rows.mapped(currentRow()));
    } else if (id == u"delete_line") {
        commitEdit();
        if (anyRow)
            DoDeleteLine();
    } else if (id == u"clear_selected") {
        commitEdit();
        if (anyRow)
            DoClearSelectedCells();
    } else if (id == u"cb_copy") {
        if (anyRow)
            DoCopyToClipboard();
    } else if (id == u"cb_paste") {
        if (anyRow)
            DoPasteFromClipboard();
    } else {
        return false;
    }
    return true;
}

void ExclusionListEditor::RunPopupMenuOnCell(const QPoint& place)
{
    try {
        m_tools.clearTools();
        m_tools.addTool(u"cb_copy"_s);
        m_tools.addTool(u"cb_paste"_s);
        m_tools.addTool(u"add_line"_s);
        m_tools.addSeparator();
        m_tools.addTool(u"insert_line"_s);
        m_tools.addTool(u"dublicate_line"_s);
        m_tools.addTool(u"delete_line"_s);
        m_tools.addSeparator();
        m_tools.showPopup(place);
    } catch (...) {
        core::PropagateError(kModule, u"RunPopupMenuOnCell");
    }
}

bool ExclusionListEditor::gridKeyDown(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    // Insert, and the numeric pad's 0 that stands for it.
    const bool insert = key.key() == Qt::Key_Insert || (key.key() == Qt::Key_0 && key.modifiers() & Qt::KeypadModifier);
    const bool commandKey =
        (insert && (modifiers == Qt::ShiftModifier || modifiers == Qt::ControlModifier))
        || ((key.key() == Qt::Key_Delete || key.key() == Qt::Key_Menu) && modifiers == Qt::NoModifier);
    if (!commandKey)
        return false;
    // While a cell is edited these keys do nothing, not even what the grid itself would do with them.
    if (isEditing())
        return true;
    if (insert && modifiers == Qt::ShiftModifier) {
        HandleRowCommand(u"cb_paste"_s);
        return true;
    }
    if (insert && modifiers == Qt::ControlModifier) {
        HandleRowCommand(u"cb_copy"_s);
        return true;
    }
    if (key.key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        HandleRowCommand(u"clear_selected"_s);
        return true;
    }
    RunPopupMenuOnCell(QCursor::pos());
    return true;
}

bool ExclusionListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == theGrid && event->type() == QEvent::KeyPress) {
        try {
            return gridKeyDown(*static_cast<QKeyEvent*>(event));
        } catch (...) {
            core::ReportError(m_ui, kModule, u"theGrid_KeyDown");
            return true;
        }
    }
    if (watched == theGrid->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && !(mouse->buttons() & Qt::LeftButton) && !isEditing()) {
            try {
                if (theGrid->indexAt(mouse->position().toPoint()).isValid())
                    RunPopupMenuOnCell(mouse->globalPosition().toPoint());
            } catch (...) {
                core::ReportError(m_ui, kModule, u"theGrid_MouseDown");
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace dialogs
