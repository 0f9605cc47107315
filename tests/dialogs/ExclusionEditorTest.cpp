#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

#include "OptionsFixture.h"
#include "core/MsgBox.h"

namespace optionstest {

namespace {

const QString kExcludeKey = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\DocNamesExclude"_s;

core::mFetchlingOptions::DocNameExclude row(const QString& name, const QString& folder = u"Все"_s)
{
    return {false, name, folder};
}

} // namespace

class ExclusionEditorTest : public OptionsDialogTest
{
protected:
    QTableView* grid() const { return child<QTableView>(u"theGrid"_s); }
    int rows() const { return grid()->model()->rowCount(); }
    QString cell(int gridRow, int column) const
    {
        return grid()->model()->index(gridRow - 1, column).data().toString();
    }
    QStringList contexts() const
    {
        QStringList texts;
        for (int r = 1; r <= rows(); ++r)
            texts.append(cell(r, 0));
        return texts;
    }
    // The grid row (from 1) and column that are current; 0 and -1 when none.
    std::pair<int, int> current() const
    {
        const QModelIndex index = grid()->currentIndex();
        return index.isValid() ? std::pair{index.row() + 1, index.column()} : std::pair{0, -1};
    }
    // Shows the tab and puts the focus on the grid at the cell.
    void focusCell(int gridRow, int column) const
    {
        child<QTabWidget>(u"theTabs"_s)->setCurrentIndex(2);
        grid()->setFocus();
        grid()->setCurrentIndex(grid()->model()->index(gridRow - 1, column));
    }
    QString stored(const QString& name) const
    {
        return registry.utility.RegistryGetString(kExcludeKey, name, u"<missing>"_s);
    }
    QAction* toolbarButton(const QString& key) const
    {
        for (QAction* action : child<QToolBar>(u"theToolbar"_s)->actions()) {
            if (action->objectName() == key)
                return action;
        }
        ADD_FAILURE() << key.toStdString();
        return nullptr;
    }
    QMenu* popup() const { return dialog.findChild<QMenu*>(u"popup"_s); }
    void rightClick(int gridRow, int column) const
    {
        const QRect place = grid()->visualRect(grid()->model()->index(gridRow - 1, column));
        QTest::mousePress(grid()->viewport(), Qt::RightButton, Qt::NoModifier, place.center());
        QTest::mouseRelease(grid()->viewport(), Qt::RightButton, Qt::NoModifier, place.center());
    }
    void chooseTool(const QString& tool) const
    {
        QMenu* menu = popup();
        ASSERT_TRUE(menu != nullptr && menu->isVisible());
        for (QAction* action : menu->actions()) {
            if (action->objectName() == tool) {
                menu->hide();
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no tool " << tool.toStdString();
    }
};

TEST_F(ExclusionEditorTest, StoredRowsAreShownWithTheFolderKindsAsTexts)
{
    options.Set_DocNamesExclude({row(u"акт сверки"_s, u"Входящие"_s), row(u"Счёт"_s, u"Исходящие"_s),
                                 row(u"Приказ"_s, u"Внутренние"_s), row(u"Прочее"_s)});
    dialogstest::whenShown([&] {
        EXPECT_EQ(contexts(), (QStringList{u"акт сверки"_s, u"Счёт"_s, u"Приказ"_s, u"Прочее"_s}));
        EXPECT_EQ(cell(1, 1), u"Входящий"_s);
        EXPECT_EQ(cell(2, 1), u"Исходящий"_s);
        EXPECT_EQ(cell(3, 1), u"Внутренний"_s);
        EXPECT_EQ(cell(4, 1), u"Все"_s);
        EXPECT_EQ(grid()->model()->headerData(0, Qt::Horizontal).toString(), u"Контексты"_s);
        EXPECT_EQ(grid()->model()->headerData(1, Qt::Horizontal).toString(), u"Папки"_s);
        EXPECT_EQ(current(), std::pair(1, 0));
        EXPECT_EQ(toolbarButton(u"add_line"_s)->toolTip(), u"Добавить пустую строку в конец (Ctrl+N)"_s);
        EXPECT_EQ(toolbarButton(u"delete_line"_s)->toolTip(), u"Удалить строку"_s);
        EXPECT_EQ(toolbarButton(QString())->toolTip(), u"Используйте контекстное меню таблицы"_s);
        focusCell(1, 0);
        testsupport::screenshot(dialog, u"options-exclude-filled"_s);
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(options.Get_DocNamesExclude(false).size(), 4);
    EXPECT_EQ(options.Get_DocNamesExclude(false).at(1).Folder, u"Исходящие"_s) << "the stored value, not the text";
}

TEST_F(ExclusionEditorTest, AnEmptyTableShowsOneEmptyRow)
{
    dialogstest::whenShown([&] {
        EXPECT_EQ(rows(), 1);
        EXPECT_EQ(cell(1, 0), QString());
        EXPECT_EQ(cell(1, 1), u"Все"_s);
        button(u"theCancel"_s)->click();
    });
    execute();
}

TEST_F(ExclusionEditorTest, OkStoresTheKeptRowsTrimmedAndNumberedWithoutGaps)
{
    options.Set_DocNamesExclude(
        {row(u"a"_s), row(u"b"_s), row(u"c"_s, u"Входящие"_s), row(u"d"_s), row(u"e"_s, u"Внутренние"_s)});
    dialogstest::whenShown([&] {
        focusCell(2, 0);
        ui.expectBox(core::msgbox::vbOK);
        toolbarButton(u"delete_line"_s)->trigger();
        EXPECT_EQ(contexts(), (QStringList{u"a"_s, u"c"_s, u"d"_s, u"e"_s}));
        EXPECT_EQ(current(), std::pair(2, 0)) << "the row below moves up and is current";
        focusCell(3, 0);
        ui.expectBox(core::msgbox::vbOK);
        dialog.HandleActionCommand(u"delete_line"_s);
        focusCell(3, 0);
        QTest::keyClick(grid(), Qt::Key_Delete); // e's context is cleared, so the row is not stored
        EXPECT_EQ(cell(3, 0), QString());
        grid()->model()->setData(grid()->model()->index(0, 0), u"  a2  "_s);
        grid()->model()->setData(grid()->model()->index(0, 1), u"Исходящие"_s);
        button(u"theOK"_s)->click();
    });
    execute();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].prompt, u"Вы действительно хотите удалить строку c названием документа\r\n\"b\" ?"_s);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbOKCancel | core::msgbox::vbQuestion);
    EXPECT_EQ(ui.boxes[0].title, u"Ларимо-9: Фетчлинг. Настройки"_s);
    EXPECT_EQ(stored(u"Name1"_s), u"a2"_s);
    EXPECT_EQ(stored(u"Folder1"_s), u"Исходящие"_s);
    EXPECT_EQ(stored(u"Name2"_s), u"c"_s);
    EXPECT_EQ(stored(u"Folder2"_s), u"Входящие"_s);
    EXPECT_EQ(stored(u"Name3"_s), QString()) << "the list ends after the kept rows";
    EXPECT_EQ(stored(u"Name4"_s), u"d"_s) << "values beyond the end are never read again";
    const auto table = options.Get_DocNamesExclude(false);
    ASSERT_EQ(table.size(), 2);
    EXPECT_EQ(table[1].Name, u"c"_s);
}

TEST_F(ExclusionEditorTest, CancellingTheDeletionChangesNothing)
{
    options.Set_DocNamesExclude({row(u"a"_s), row(u"b"_s)});
    dialogstest::whenShown([&] {
        focusCell(1, 0);
        ui.expectBox(core::msgbox::vbCancel);
        toolbarButton(u"delete_line"_s)->trigger();
        EXPECT_EQ(contexts(), (QStringList{u"a"_s, u"b"_s}));
        EXPECT_EQ(current(), std::pair(1, 0));
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(options.Get_DocNamesExclude(false).size(), 2);
}

TEST_F(ExclusionEditorTest, WithoutRowsOnlyAddingWorks)
{
    options.Set_DocNamesExclude({row(u"a"_s)});
    dialogstest::whenShown([&] {
        focusCell(1, 0);
        ui.expectBox(core::msgbox::vbOK);
        toolbarButton(u"delete_line"_s)->trigger();
        EXPECT_EQ(rows(), 0);
        EXPECT_EQ(current(), std::pair(0, -1));
        for (const QString& command : {u"insert_line"_s, u"dublicate_line"_s, u"delete_line"_s, u"clear_selected"_s,
                                       u"cb_copy"_s, u"cb_paste"_s})
            dialog.HandleActionCommand(command); // an unexpected question would fail the test
        EXPECT_EQ(rows(), 0);
        toolbarButton(u"add_line"_s)->trigger();
        EXPECT_EQ(rows(), 1);
        EXPECT_EQ(current(), std::pair(1, 0));
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_TRUE(options.Get_DocNamesExclude(false).isEmpty());
    EXPECT_EQ(stored(u"Name1"_s), QString());
}

TEST_F(ExclusionEditorTest, PopupInsertsAboveAndDuplicatesBelow)
{
    options.Set_DocNamesExclude({row(u"a"_s), row(u"b"_s, u"Входящие"_s)});
    dialogstest::whenShown([&] {
        focusCell(2, 0);
        rightClick(2, 0);
        ASSERT_TRUE(popup() != nullptr && popup()->isVisible());
        QStringList tools;
        for (const QAction* action : popup()->actions())
            tools.append(action->isSeparator() ? u"-"_s : action->objectName());
        EXPECT_EQ(tools, (QStringList{u"cb_copy"_s, u"cb_paste"_s, u"add_line"_s, u"-"_s, u"insert_line"_s,
                                      u"dublicate_line"_s, u"delete_line"_s, u"-"_s}));
        EXPECT_EQ(popup()->actions().at(4)->text(), u"Вставить пустую строку"_s);
        chooseTool(u"dublicate_line"_s);
        EXPECT_EQ(contexts(), (QStringList{u"a"_s, u"b"_s, u"b"_s}));
        EXPECT_EQ(cell(3, 1), u"Входящий"_s);
        EXPECT_EQ(current(), std::pair(3, 0)) << "the copy below becomes current";
        rightClick(1, 0);
        chooseTool(u"insert_line"_s);
        EXPECT_EQ(contexts(), (QStringList{u"a"_s, u"b"_s, QString(), u"b"_s}))
            << "the right button does not move the current row: the empty row stands above it";
        EXPECT_EQ(current(), std::pair(3, 0));

        popup()->hide();
        QTest::mousePress(grid()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(5, grid()->height() - 30));
        EXPECT_FALSE(popup()->isVisible()) << "no popup below the rows";
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(options.Get_DocNamesExclude(false).size(), 3) << "the empty row is not stored";
}

TEST_F(ExclusionEditorTest, ShiftInsertPastesLinesIntoTheContextColumn)
{
    dialogstest::whenShown([&] {
        QGuiApplication::clipboard()->setText(u"a\tb\r\nc"_s);
        focusCell(1, 0);
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(contexts(), (QStringList{u"a"_s, u"c"_s}));
        EXPECT_EQ(cell(2, 1), u"Все"_s);
        EXPECT_EQ(current(), std::pair(2, 0));

        focusCell(1, 1);
        QGuiApplication::clipboard()->setText(u"x\ry\rz"_s);
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(contexts(), (QStringList{u"a"_s, u"c"_s, QString()}))
            << "column 1 takes no text, but the line beyond the rows still adds one";
        EXPECT_EQ(current(), std::pair(3, 1));
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(options.Get_DocNamesExclude(false).size(), 2);
}

TEST_F(ExclusionEditorTest, CtrlInsertCopiesOneCellAndAnEmptyCellNothing)
{
    options.Set_DocNamesExclude({row(u"акт"_s, u"Входящие"_s)});
    dialogstest::whenShown([&] {
        toolbarButton(u"add_line"_s)->trigger();
        QGuiApplication::clipboard()->setText(u"прежнее"_s);
        focusCell(2, 0);
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"прежнее"_s);
        focusCell(1, 0);
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"акт"_s);
        focusCell(1, 1);
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Входящий"_s) << "the cell as the grid shows it";
        button(u"theCancel"_s)->click();
    });
    execute();
}

TEST_F(ExclusionEditorTest, KeysDoNothingWhileACellIsEdited)
{
    options.Set_DocNamesExclude({row(u"акт"_s), row(u"счёт"_s)});
    dialogstest::whenShown([&] {
        QGuiApplication::clipboard()->setText(u"вставка"_s);
        focusCell(1, 0);
        grid()->edit(grid()->currentIndex());
        auto* editor = grid()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ShiftModifier);
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ControlModifier);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QTest::keyClick(grid(), Qt::Key_Menu);
        EXPECT_EQ(contexts(), (QStringList{u"акт"_s, u"счёт"_s}));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"вставка"_s);
        EXPECT_TRUE(popup() == nullptr || !popup()->isVisible());
        editor->setText(u"акт сверки"_s);
        button(u"theOK"_s)->click(); // the edit under way is kept
    });
    execute();
    EXPECT_EQ(options.Get_DocNamesExclude(false).at(0).Name, u"акт сверки"_s);
}

TEST_F(ExclusionEditorTest, TheFolderIsChosenFromItsListByText)
{
    dialogstest::whenShown([&] {
        focusCell(1, 1);
        grid()->edit(grid()->currentIndex());
        auto* list = grid()->findChild<QComboBox*>(u"theGridFolderList"_s);
        ASSERT_NE(list, nullptr);
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items.append(list->itemText(i));
        EXPECT_EQ(items, (QStringList{u"Все"_s, u"Входящий"_s, u"Исходящий"_s, u"Внутренний"_s}));
        list->setCurrentIndex(3);
        grid()->model()->setData(grid()->model()->index(0, 0), u"приказ"_s);
        button(u"theOK"_s)->click();
    });
    execute();
    ASSERT_EQ(options.Get_DocNamesExclude(false).size(), 1);
    EXPECT_EQ(options.Get_DocNamesExclude(false).at(0).Folder, u"Внутренние"_s);
}

TEST_F(ExclusionEditorTest, CtrlNAddsARowAsTheToolTipPromises)
{
    dialogstest::whenShown([&] {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        focusCell(1, 0);
        QTest::keyClick(grid(), Qt::Key_N, Qt::ControlModifier);
        EXPECT_EQ(rows(), 2);
        EXPECT_EQ(current(), std::pair(2, 0));
        button(u"theCancel"_s)->click();
    });
    execute();
}

} // namespace optionstest
