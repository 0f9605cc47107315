#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include "OptionsFixture.h"
#include "core/MsgBox.h"

using namespace Qt::StringLiterals;
using dialogs::frmOptions;

namespace {

const QString kCaption = u"Ларимо-9: Фетчлинг. Настройки"_s;
const QString kLongPathMessage = u"Для корректной работы с файлами с длинными наименованиями пути к ним "
                                 u"воспользуйтесь рекомендациями Инструкции по настройке ОС Windows для работы с "
                                 u"длинными именами файлов."_s;
const QString kDefaultChain = u"Наименование организации?\\?Год?\\?Наименование контрагента?\\?Документ"_s;

// The options the dialog writes, each under its stored name.
const QStringList kWrittenOptions = {
    u"StructurePath"_s,       u"SelectiveDocTypes"_s, u"ExcludeMHD"_s,       u"Path"_s,          u"GroupIntoPackages"_s,
    u"MaxFolderNameLength"_s, u"ExcludeNegligible"_s, u"DateEndYesterday"_s, u"DateBeginMove"_s, u"HtmlProtocol"_s,
    u"ExcelProtocol"_s,       u"CsvProtocol"_s,       u"DaysCountLimit"_s,   u"TasksLimit"_s,    u"DocsLimit"_s,
    u"LimitDocsInMemory"_s,   u"TimeOut"_s,           u"LoadContentByZip"_s, u"CreateLogFile"_s,
};

} // namespace

namespace optionstest {

QCheckBox* OptionsDialogTest::box(const QString& name) const
{
    return child<QCheckBox>(name);
}

QSpinBox* OptionsDialogTest::number(const QString& name) const
{
    return child<QSpinBox>(name);
}

QPushButton* OptionsDialogTest::button(const QString& name) const
{
    return child<QPushButton>(name);
}

QLineEdit* OptionsDialogTest::edit(const QString& name) const
{
    return child<QLineEdit>(name);
}

TEST_F(OptionsDialogTest, FirstStartShowsTheDefaultsAndOkWritesEveryOptionAsShown)
{
    dialogstest::whenShown([&] {
        EXPECT_EQ(dialog.windowTitle(), kCaption);
        EXPECT_EQ(chain(), kDefaultChain.split(u'?'));
        EXPECT_TRUE(box(u"theCheckBoxExcludeNegligible"_s)->isEnabled());
        EXPECT_TRUE(box(u"theCheckBoxExcludeNegligible"_s)->isChecked());
        EXPECT_FALSE(box(u"theCheckBoxExcludeMHD"_s)->isChecked()) << "the store's default 1 shows no tick";
        EXPECT_TRUE(box(u"theCheckBoxHtmlProtocol"_s)->isChecked());
        EXPECT_TRUE(box(u"theCheckBoxExcelProtocol"_s)->isChecked());
        EXPECT_FALSE(box(u"theCheckBoxCsvProtocol"_s)->isChecked());
        EXPECT_TRUE(box(u"theCheckBoxLoadContentByZip"_s)->isChecked());
        EXPECT_EQ(number(u"theMaxFolderNameLength"_s)->value(), 100);
        EXPECT_EQ(number(u"theDaysCount"_s)->value(), 0);
        EXPECT_EQ(number(u"theTasksLimit"_s)->value(), 30);
        EXPECT_EQ(number(u"theDocsLimit"_s)->value(), 30);
        EXPECT_EQ(number(u"theLimitDocsInMemory"_s)->value(), 200);
        EXPECT_EQ(number(u"theTimeOut"_s)->value(), 100);
        EXPECT_EQ(edit(u"thePath"_s)->text(), QString());

        auto* tabs = child<QTabWidget>(u"theTabs"_s);
        ASSERT_EQ(tabs->count(), 4);
        const QString names[] = {u"options-main"_s, u"options-doctypes"_s, u"options-exclude"_s, u"options-more"_s};
        const QString captions[] = {u"Основные"_s, u"Типы документов"_s, u"Исключения"_s, u"Дополнительные"_s};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(tabs->tabText(i), captions[i]);
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            testsupport::screenshot(dialog, names[i]);
        }
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    for (const QString& name : kWrittenOptions)
        EXPECT_TRUE(registry.registry.read(platform::registry::Hive::User, QString::fromUtf16(kOptionsKey), name))
            << name.toStdString();
    EXPECT_EQ(options.Get_StructurePath(), kDefaultChain);
    EXPECT_EQ(stored(u"ExcludeMHD"_s), 1);
    EXPECT_EQ(stored(u"HtmlProtocol"_s), 1);
    EXPECT_EQ(stored(u"CsvProtocol"_s), 0);
    EXPECT_EQ(stored(u"TasksLimit"_s), 30);
    EXPECT_EQ(stored(u"LimitDocsInMemory"_s), 200);
    EXPECT_EQ(stored(u"TimeOut"_s), 100);
    EXPECT_EQ(options.GetDefault_Path(), QString());
    EXPECT_TRUE(options.Get_DocNamesExclude(false).isEmpty()) << "the empty row is not stored";
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.errorDialogCalls.empty());
}

TEST_F(OptionsDialogTest, OkStoresWhatWasChangedInOneWriteOfTheStore)
{
    options.Set_Path(u"/srv/выгрузка"_s);
    options.Set_TasksLimit(12);
    options.Set_CsvProtocol(1);
    options.Set_ExcludeMHD(0);
    int writes = 0;
    registry.registry.setBeforeCommitHook([&] { ++writes; });
    dialogstest::whenShown([&] {
        EXPECT_EQ(edit(u"thePath"_s)->text(), u"/srv/выгрузка"_s);
        EXPECT_EQ(number(u"theTasksLimit"_s)->value(), 12);
        EXPECT_TRUE(box(u"theCheckBoxExcludeMHD"_s)->isChecked()) << "option 0 keeps the files: ticked";
        edit(u"thePath"_s)->setText(u" /srv/другая "_s);
        number(u"theDocsLimit"_s)->setValue(7);
        number(u"theTimeOut"_s)->setValue(0);
        number(u"theDaysCount"_s)->setValue(0);
        box(u"theCheckBoxExcludeMHD"_s)->setChecked(false);
        box(u"theCheckBoxLogFile"_s)->setChecked(true);
        box(u"theCheckBoxDateBeginMove"_s)->setChecked(true);
        pick(6, u"Месяц"_s);
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(writes, 1) << "every option reaches the store in one transaction";
    EXPECT_EQ(options.GetDefault_Path(), u" /srv/другая "_s) << "the folder is stored untrimmed";
    EXPECT_EQ(options.Get_TasksLimit(), 12);
    EXPECT_EQ(options.Get_DocsLimit(), 7);
    EXPECT_EQ(stored(u"TimeOut"_s), 0) << "a number box is stored unchanged";
    EXPECT_EQ(options.Get_TimeOut(), 100) << "a limit of 0 reads as its default";
    EXPECT_EQ(options.Get_DaysCountLimit(), 0);
    EXPECT_EQ(options.Get_ExcludeMHD(), 1);
    EXPECT_EQ(options.Get_CreateLogFile(), 1);
    EXPECT_EQ(options.Get_DateBeginMove(), 1);
    EXPECT_EQ(options.Get_CsvProtocol(), 1);
    EXPECT_EQ(options.Get_StructurePath(),
              u"Наименование организации?\\?Год?\\?Наименование контрагента?\\?Месяц?\\?Документ"_s);
}

TEST_F(OptionsDialogTest, AFailingStoreAtOkStoresNothingAndKeepsTheDialogOpen)
{
    options.Set_TasksLimit(12);
    const QByteArray before = storeFile();
    bool stillOpen = false;
    dialogstest::whenShown([&] {
        number(u"theTasksLimit"_s)->setValue(13);
        edit(u"thePath"_s)->setText(u"/x"_s);
        registry.registry.setBeforeCommitHook([] { throw core::Error(61, u"Disk full"_s); });
        button(u"theOK"_s)->click();
        stillOpen = dialog.isVisible();
        registry.registry.setBeforeCommitHook({});
        button(u"theCancel"_s)->click();
    });
    execute();
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(ui.errorDialogCalls.size(), 1u);
    EXPECT_TRUE(ui.errorDialogCalls.front().description.contains(u"frmOptions.theOK_Click"_s))
        << ui.errorDialogCalls.front().description.toStdString();
    EXPECT_EQ(storeFile(), before) << "no option of the set was stored";
    EXPECT_EQ(options.Get_TasksLimit(), 12);
}

TEST_F(OptionsDialogTest, CancelCloseBoxAndDefaultFollowedByCancelStoreNothing)
{
    options.Set_StructurePath(u"Год?\\?Документ"_s);
    options.Set_TasksLimit(12);
    const QByteArray before = storeFile();
    for (const bool closeBox : {false, true}) {
        frmOptions other(ui, options);
        dialogstest::whenShown([&] {
            other.findChild<QPushButton*>(u"theDefault"_s)->click();
            if (closeBox)
                other.close();
            else
                other.findChild<QPushButton*>(u"theCancel"_s)->click();
        });
        other.Execute({});
        EXPECT_EQ(storeFile(), before);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OptionsDialogTest, DefaultPutsTheDefaultsButKeepsTheFolderAndTheTypeTicks)
{
    options.Set_Path(u"/srv/выгрузка"_s);
    options.Set_StructurePath(u"ИНН организации?-?Год?\\?Документ"_s);
    options.Set_GroupIntoPackages(1);
    options.Set_TasksLimit(12);
    options.Set_ExcludeMHD(0);
    options.Set_SelectiveDocTypes(1);
    options.Set_DocType(u"Invoice"_s, true);
    options.Set_DocNamesExclude({{false, u"акт"_s, u"Все"_s}});
    Organisation organisation({{u"Invoice"_s, u"Счёт-фактура"_s}, {u"Waybill"_s, u"Накладная"_s}});
    dialogstest::whenShown([&] {
        button(u"theDefault"_s)->click();
        EXPECT_EQ(edit(u"thePath"_s)->text(), u"/srv/выгрузка"_s);
        EXPECT_EQ(chain(), kDefaultChain.split(u'?'));
        EXPECT_EQ(combo(6)->itemText(12), u"Документ"_s) << "the package box, now clear, renames the element";
        EXPECT_FALSE(box(u"theCheckBoxGroupIntoPackages"_s)->isChecked());
        EXPECT_EQ(number(u"theTasksLimit"_s)->value(), 30);
        EXPECT_FALSE(box(u"theCheckBoxExcludeMHD"_s)->isChecked());
        EXPECT_FALSE(box(u"theCheckBoxSelectiveDocTypes"_s)->isChecked());
        auto* tree = child<QTreeWidget>(u"theTreeDocTypes"_s);
        EXPECT_FALSE(tree->isEnabled());
        EXPECT_EQ(tree->topLevelItem(1)->checkState(0), Qt::Checked) << "the ticks are kept";
        auto* grid = child<QTableView>(u"theGrid"_s);
        EXPECT_EQ(grid->model()->rowCount(), 1);
        EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QString());
        button(u"theOK"_s)->click();
    });
    execute({&organisation});
    EXPECT_EQ(options.GetDefault_Path(), u"/srv/выгрузка"_s);
    EXPECT_EQ(options.Get_StructurePath(), kDefaultChain);
    EXPECT_EQ(options.Get_GroupIntoPackages(), 0);
    EXPECT_EQ(options.Get_ExcludeMHD(), 1);
    EXPECT_TRUE(options.Get_DocType(u"Invoice"_s));
    EXPECT_TRUE(options.Get_DocNamesExclude(false).isEmpty());
}

TEST_F(OptionsDialogTest, ALongFolderIsAdvisedAgainstEachTimeTheBoxIsLeft)
{
    const QString thirty(30, u'п');
    dialogstest::whenShown([&] {
        QLineEdit* path = edit(u"thePath"_s);
        path->setText(thirty);
        lose(path);
        EXPECT_TRUE(ui.boxes.empty()) << "30 characters are no long path";
        path->setText(thirty + u'1');
        ui.expectBox(core::msgbox::vbOK);
        lose(path);
        EXPECT_EQ(ui.boxes.size(), 1u);
        ui.expectBox(core::msgbox::vbOK);
        lose(path);
        EXPECT_EQ(ui.boxes.size(), 2u);

        ui.expectFolder(QString()); // the chooser is cancelled
        button(u"theButtonSelectFolder"_s)->click();
        EXPECT_EQ(path->text(), thirty + u'1');
        ui.expectFolder(u"/srv/очень/длинная/папка/для/выгрузки/документов"_s);
        ui.expectBox(core::msgbox::vbOK);
        button(u"theButtonSelectFolder"_s)->click();
        EXPECT_EQ(path->text(), u"/srv/очень/длинная/папка/для/выгрузки/документов"_s);
        button(u"theCancel"_s)->click();
    });
    execute();
    ASSERT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[0].prompt, kLongPathMessage);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbInformation);
    EXPECT_EQ(ui.boxes[0].title, kCaption);
    EXPECT_TRUE(ui.allScriptedAnswersUsed());
}

TEST_F(OptionsDialogTest, LinkBoxesAreReadOnlyAndOpenOnlyWebAddresses)
{
    dialogstest::whenShown([&] {
        QLineEdit* url1 = edit(u"theURL1"_s);
        QLineEdit* url2 = edit(u"theURL2"_s);
        EXPECT_TRUE(url1->isReadOnly());
        EXPECT_TRUE(url2->isReadOnly());
        EXPECT_EQ(url1->toolTip(), u"Двойным кликом можно перейти по ссылке..."_s);
        EXPECT_EQ(url1->text(), u"Инструкция по настройке ОС Windows для работы с длинными именами файлов"_s);
        QTest::mouseDClick(url1, Qt::LeftButton);
        QTest::mouseDClick(url2, Qt::LeftButton);
        for (const QString& address : {u"file:///etc/passwd"_s, u"/usr/bin/xterm"_s, u"javascript:alert(1)"_s,
                                       u"smb://server/share"_s, u"http://"_s}) {
            url2->setText(address);
            QTest::mouseDClick(url2, Qt::LeftButton);
        }
        // A double click leaves the button down for the test library; later tests press others.
        QTest::mouseRelease(url2, Qt::LeftButton);
        button(u"theCancel"_s)->click();
    });
    execute();
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl(QString::fromUtf16(frmOptions::kInstructionAddress)));
    EXPECT_EQ(opened[1], QUrl(QString::fromUtf16(frmOptions::kWebPageAddress)));
}

} // namespace optionstest

namespace optionstest {

TEST_F(OptionsDialogTest, AStoreThatCannotBeReadIsPassedOnAndTheDialogIsNotShown)
{
    QFile file(registry.registry.fileOf(platform::registry::Hive::User));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"format\":1,\"keys\":[");
    file.close();
    bool shown = false;
    dialogstest::whenShown([&] {
        shown = dialog.isVisible();
        dialog.reject();
    });
    try {
        execute();
        ADD_FAILURE() << "no error";
    } catch (const core::Error& e) {
        EXPECT_TRUE(e.description().contains(u"frmOptions.Execute"_s)) << e.description().toStdString();
    }
    QApplication::processEvents();
    EXPECT_FALSE(shown);
}

TEST_F(OptionsDialogTest, LayoutAtTheDesignSizeAndOneThousandTwipsHigher)
{
    options.Set_StructurePath(u"Документ"_s); // a chain that needs no room of its own
    dialogstest::whenShown([&] {
        EXPECT_EQ(dialog.size(), QSize(557, 383)) << "8355 x 5745 twips";
        EXPECT_EQ(button(u"theDefault"_s)->geometry(), QRect(10, 340, 101, 33));
        EXPECT_EQ(button(u"theOK"_s)->geometry(), QRect(335, 340, 101, 33));
        EXPECT_EQ(button(u"theCancel"_s)->geometry(), QRect(446, 340, 101, 33));
        EXPECT_EQ(child<QTabWidget>(u"theTabs"_s)->geometry(), QRect(10, 10, 537, 320));

        const QWidget* protocol = child<QWidget>(u"theTabPanelProtocol"_s);
        const QRect frameProtocol = child<QWidget>(u"theFrameProtocol"_s)->geometry();
        const QRect frameExclude = child<QWidget>(u"theFrameExclude"_s)->geometry();
        EXPECT_EQ(protocol->height() - (frameProtocol.top() + frameProtocol.height()), 6) << "90 twips";
        EXPECT_EQ(frameProtocol.top() - (frameExclude.top() + frameExclude.height()), 4) << "60 twips";
        const QRect pathFrame = child<QWidget>(u"theFramePath"_s)->geometry();

        // A page is laid out when it is shown.
        auto* tabs = child<QTabWidget>(u"theTabs"_s);
        tabs->setCurrentIndex(2);
        QApplication::processEvents();
        const QWidget* exclude = child<QWidget>(u"theTabPanelExclude"_s);
        const QRect grid = child<QWidget>(u"theGrid"_s)->geometry();
        const QRect toolbar = child<QWidget>(u"theToolbar"_s)->geometry();
        EXPECT_EQ(grid.topLeft(), QPoint(10, 30));
        EXPECT_EQ(exclude->height() - (grid.top() + grid.height()), 10);
        EXPECT_EQ(toolbar.left() - (grid.left() + grid.width()), 10);
        EXPECT_EQ(exclude->width() - (toolbar.left() + toolbar.width()), 10);
        EXPECT_EQ(toolbar.top(), grid.top());

        tabs->setCurrentIndex(1);
        QApplication::processEvents();
        const QWidget* types = child<QWidget>(u"theTabPanelDocTypes"_s);
        const QRect mhd = box(u"theCheckBoxExcludeMHD"_s)->geometry();
        const QRect tree = child<QWidget>(u"theTreeDocTypes"_s)->geometry();
        EXPECT_EQ(types->height() - (mhd.top() + mhd.height()), 6);
        EXPECT_EQ(mhd.top() - (tree.top() + tree.height()), 6);
        EXPECT_EQ(types->width() - (tree.left() + tree.width()), tree.left());

        tabs->setCurrentIndex(0);
        dialog.resize(557, 383 + 67); // 1000 twips, within a pixel
        QApplication::processEvents();
        EXPECT_EQ(button(u"theOK"_s)->geometry().top(), 340 + 67);
        EXPECT_EQ(child<QWidget>(u"theFrameProtocol"_s)->geometry().top(), frameProtocol.top() + 67);
        EXPECT_EQ(child<QWidget>(u"theFrameExclude"_s)->geometry().top(), frameExclude.top() + 67);
        EXPECT_EQ(child<QWidget>(u"theFramePath"_s)->geometry(), pathFrame) << "the folder box stays";
        tabs->setCurrentIndex(2);
        QApplication::processEvents();
        EXPECT_EQ(child<QWidget>(u"theGrid"_s)->geometry().height(), grid.height() + 67);
        button(u"theCancel"_s)->click();
    });
    execute();
}

} // namespace optionstest
