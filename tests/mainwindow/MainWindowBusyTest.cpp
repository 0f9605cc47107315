#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "core/MsgBox.h"
#include "core/widgets/mN7GraphLight.h"
#include "mainwindow/SSSplitter.h"
#include "platform/registry/Registry.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

const QString kPlacementKey = QString::fromUtf16(frmDiadocUnloadDocs::kPlacementKey);
const QString kTitle = u"Ларимо-9: Фетчлинг."_s;

} // namespace

class MainWindowBusyTest : public MainWindowFixture
{
protected:
    // The family's root as the machine's settings name it, with the archive viewer in it; answers
    // the root.
    QString installViewer()
    {
        const QString root = store.folder.filePath(u"family root"_s);
        EXPECT_TRUE(QDir().mkpath(root));
        QFile viewer(root + u"/N7_EDViewer.exe"_s);
        EXPECT_TRUE(viewer.open(QIODevice::WriteOnly));
        viewer.close();
        store.registry.write(platform::registry::Hive::Machine, u"SOFTWARE\\Quorvel Labs\\Larimo9\\General"_s,
                             u"RootPath"_s, root);
        return root;
    }
};

struct BusyCase
{
    int mode;
    QString executeCaption; // empty: no control changes
    bool idle;
};

class MainWindowBusyModeTest : public MainWindowFixture, public testing::WithParamInterface<BusyCase>
{
};

TEST_P(MainWindowBusyModeTest, BusyModeSetsWhatTheUserMayTouch)
{
    options.Set_Login(QString::fromUtf16(frmDiadocUnloadDocs::kDeveloperLogin));
    const auto window = load();
    const MainWindowControls& c = window->controls();
    window->SetBusyMode(2);
    window->SetBusyMode(GetParam().mode);
    EXPECT_EQ(window->busyMode(), GetParam().mode);
    if (GetParam().executeCaption.isEmpty()) {
        // Any other mode is only stored: the controls keep what mode 2 set.
        EXPECT_EQ(c.theButtonExecute->text(), u"Остановить выгрузку"_s);
        EXPECT_FALSE(c.theButtonExit->isEnabled());
        return;
    }
    EXPECT_EQ(c.theButtonExecute->text(), GetParam().executeCaption);
    EXPECT_TRUE(c.theButtonExecute->isEnabled());
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             c.theButtonOptions, c.theButtonExit, c.theButtonAuthorization, c.theButtonSelectFolder, c.thePath,
             c.theDateTo, c.theDateFrom, c.theTreeViewPersons})
        EXPECT_EQ(control->isEnabled(), GetParam().idle) << control->objectName().toStdString();
    // The filters stay as they are in every mode.
    EXPECT_TRUE(c.theCheckProtocol->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Modes, MainWindowBusyModeTest,
                         testing::Values(BusyCase{0, u"Начать выгрузку"_s, true},
                                         BusyCase{2, u"Остановить выгрузку"_s, false},
                                         BusyCase{3, u"Остановить"_s, false}, BusyCase{7, QString(), false}));

TEST_F(MainWindowBusyTest, FolderButtonStaysDisabledInIdleOutsideDeveloperMode)
{
    const auto window = load();
    window->SetBusyMode(0);
    EXPECT_FALSE(window->controls().theButtonSelectFolder->isEnabled());
    EXPECT_TRUE(window->controls().thePath->isReadOnly());
}

struct RefusalCase
{
    int mode;
    QString kind;
};

class MainWindowRefusalTest : public MainWindowFixture, public testing::WithParamInterface<RefusalCase>
{
};

TEST_P(MainWindowRefusalTest, CloseIsRefusedWhileBusy)
{
    const auto window = load();
    window->show();
    window->SetBusyMode(GetParam().mode);
    ui.expectBox(core::msgbox::vbOK);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes[0].prompt, u"Пока идёт процесс"_s + GetParam().kind + u",\r\nзакрыть окно невозможно."_s);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbInformation);
    EXPECT_EQ(ui.boxes[0].title, kTitle);
    EXPECT_TRUE(window->hookCalls.empty());
    EXPECT_FALSE(placement(u"PaneTasksHeight"_s).has_value());

    window->SetBusyMode(0);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(window->hookCalls, std::vector<QString>{u"release"_s});
}

INSTANTIATE_TEST_SUITE_P(Modes, MainWindowRefusalTest,
                         testing::Values(RefusalCase{2, u" выгрузки документов"_s},
                                         RefusalCase{3, u" формирования протокола выгрузки"_s},
                                         RefusalCase{5, u"..."_s}));

TEST_F(MainWindowBusyTest, PlacementRoundTripsThroughTheStore)
{
    const int tx = core::TwipsPerPixelX();
    const int ty = core::TwipsPerPixelY();
    {
        const auto window = load();
        window->show();
        window->move(40, 30);
        window->resize(900, 560);
        window->controls().theSSSplitter->setPaneHeight(u"Pane Tasks"_s, 3600);
        window->controls().theSSSplitter->setPaneWidth(u"Pane Filters"_s, 4800);
        emit window->controls().theSSSplitter->SplitterEndDrag();
        EXPECT_EQ(window->paneFiltersWidth(), 4800);
        EXPECT_TRUE(window->close());
    }
    EXPECT_EQ(placement(u"WindowState"_s), platform::registry::Value(quint32(0)));
    EXPECT_EQ(placement(u"Left"_s), platform::registry::Value(quint32(40 * tx)));
    EXPECT_EQ(placement(u"Width"_s), platform::registry::Value(quint32(900 * tx)));
    EXPECT_EQ(placement(u"Height"_s), platform::registry::Value(quint32(560 * ty)));
    EXPECT_EQ(placement(u"PaneTasksHeight"_s), platform::registry::Value(quint32(3600)));
    EXPECT_EQ(placement(u"PaneFiltersWidth"_s), platform::registry::Value(quint32(4800)));

    const auto again = load();
    again->show();
    EXPECT_EQ(again->pos(), QPoint(40, 30));
    EXPECT_EQ(again->size(), QSize(900, 560));
    EXPECT_EQ(again->controls().theSSSplitter->paneHeight(u"Pane Tasks"_s), 3600);
    EXPECT_EQ(again->controls().theSSSplitter->paneWidth(u"Pane Filters"_s), 4800);
    // A change of the window's width goes to the queues; the filter column keeps its width.
    again->resize(1000, 560);
    EXPECT_EQ(again->controls().theSSSplitter->paneWidth(u"Pane Filters"_s), 4800);
}

TEST_F(MainWindowBusyTest, MaximisedStoresOnlyItsStateAndMinimisedNeither)
{
    store.utility.RegistrySetValue(kPlacementKey, u"Left"_s, 1234);
    {
        const auto window = load();
        window->showMaximized();
        EXPECT_TRUE(window->close());
    }
    EXPECT_EQ(placement(u"WindowState"_s), platform::registry::Value(quint32(2)));
    EXPECT_EQ(placement(u"Left"_s), platform::registry::Value(quint32(1234)));
    EXPECT_FALSE(placement(u"Width"_s).has_value());
    EXPECT_TRUE(placement(u"PaneTasksHeight"_s).has_value());

    store.registry.removeValue(platform::registry::Hive::User, kPlacementKey, u"WindowState"_s);
    store.registry.removeValue(platform::registry::Hive::User, kPlacementKey, u"PaneTasksHeight"_s);
    {
        const auto window = load();
        window->showMinimized();
        EXPECT_TRUE(window->close());
    }
    EXPECT_FALSE(placement(u"WindowState"_s).has_value());
    EXPECT_EQ(placement(u"Left"_s), platform::registry::Value(quint32(1234)));
    EXPECT_TRUE(placement(u"PaneTasksHeight"_s).has_value());
}

TEST_F(MainWindowBusyTest, ClosingStoresTheRunChoices)
{
    const auto window = load();
    const MainWindowControls& c = window->controls();
    c.theDateFrom->setDate(QDate(2024, 1, 2));
    c.theCheckFinished->setChecked(false);
    c.theCheckRevoked->setChecked(true);
    auto* node = new QTreeWidgetItem(c.theTreeViewPersons, {u"Ромашка"_s});
    node->setData(0, Qt::UserRole, u"org7701234567/770101001"_s);
    node->setCheckState(0, Qt::Unchecked);
    auto* department = new QTreeWidgetItem(node, {u"Склад"_s});
    department->setData(0, Qt::UserRole, u"org7701234567/770101001|dep42"_s);
    department->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(options.Get_FromDate(), u"02.01.2024"_s);
    EXPECT_EQ(options.GetDefault_ToDate(), u"15.03.2024"_s);
    EXPECT_EQ(options.Get_Finished(), 0);
    EXPECT_EQ(options.GetDefault_Revoked(), 1);
    EXPECT_EQ(options.Get_DateTypeSelect(), 0);
    EXPECT_EQ(options.Get_OrgChecked(u"org7701234567/770101001"_s), 0);
    EXPECT_EQ(options.Get_OrgChecked(u"dep42"_s), 1);
}

TEST_F(MainWindowBusyTest, NoViewerQuestionWithoutUnloadedDocumentsOrUnattended)
{
    for (const int unloaded : {-1, 0}) {
        const auto window = load();
        window->unloadedInLastRun = unloaded;
        EXPECT_TRUE(window->close());
    }
    const auto unattended = load(u"/AS"_s);
    unattended->unloadedInLastRun = 5;
    EXPECT_TRUE(unattended->close());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(started.empty());
}

TEST_F(MainWindowBusyTest, ViewerQuestionAnsweredNoStartsNothing)
{
    const auto window = load();
    window->unloadedInLastRun = 3;
    ui.expectBox(core::msgbox::vbNo);
    EXPECT_TRUE(window->close());
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes[0].prompt,
              u"Открыть Ларимо-9: Файловый архив электронных документов в корневой папке выгрузки?"_s);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbInformation | core::msgbox::vbYesNo);
    EXPECT_TRUE(started.empty());
}

TEST_F(MainWindowBusyTest, ViewerMissingFromTheFamilyRootIsReportedAndTheWindowCloses)
{
    const QString root = store.folder.filePath(u"family"_s);
    store.registry.write(platform::registry::Hive::Machine, u"SOFTWARE\\Quorvel Labs\\Larimo9\\General"_s,
                         u"RootPath"_s, root + u"/"_s);
    const auto window = load();
    window->show();
    window->unloadedInLastRun = 3;
    ui.expectBox(core::msgbox::vbYes);
    ui.expectBox(core::msgbox::vbOK);
    EXPECT_TRUE(window->close());
    ASSERT_EQ(ui.boxes.size(), 2U);
    EXPECT_EQ(ui.boxes[1].prompt, u"Файл "_s + root + u"/N7_EDViewer.exe не найден."_s);
    EXPECT_EQ(ui.boxes[1].title, kTitle);
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowBusyTest, ViewerStartsWithTheArchiveAsOneArgument)
{
    const QString root = installViewer();
    options.Set_Path(u"/srv/archive \"2024\"/"_s);
    const auto window = load();
    window->unloadedInLastRun = 1;
    ui.expectBox(core::msgbox::vbYes);
    EXPECT_TRUE(window->close());
    ASSERT_EQ(started.size(), 1U);
    EXPECT_EQ(started[0].first, root + u"/N7_EDViewer.exe"_s);
    EXPECT_EQ(started[0].second, QStringList{u"/srv/archive \"2024\"/Files.n7t"_s});
}

TEST_F(MainWindowBusyTest, AViewerThatCannotStartIsReportedAndTheWindowCloses)
{
    const QString root = installViewer();
    programStarts = false;
    const auto window = load();
    window->show();
    window->unloadedInLastRun = 1;
    ui.expectBox(core::msgbox::vbYes);
    ui.expectBox(core::msgbox::vbOK);
    EXPECT_TRUE(window->close());
    ASSERT_EQ(ui.boxes.size(), 2U);
    EXPECT_EQ(ui.boxes[1].prompt, u"Не удалось запустить программу "_s + root + u"/N7_EDViewer.exe."_s);
    EXPECT_EQ(ui.boxes[1].style, core::msgbox::vbExclamation);
    EXPECT_EQ(ui.boxes[1].title, kTitle);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowBusyTest, FolderBoxGrowsForLongPathsOnlyInDeveloperMode)
{
    options.Set_Login(QString::fromUtf16(frmDiadocUnloadDocs::kDeveloperLogin));
    const auto window = load();
    window->show();
    const MainWindowControls& c = window->controls();
    const auto paneHeight = [&c] { return c.theSSSplitter->paneHeight(u"Pane Path"_s); };
    EXPECT_FALSE(c.theButtonSelectFolder->isHidden());
    EXPECT_FALSE(c.thePath->isReadOnly());

    c.thePath->setText(QString(15, u'a'));
    EXPECT_TRUE(c.theLabelVeryLongPath->isHidden());
    EXPECT_EQ(paneHeight(), 810);
    c.thePath->setText(QString(16, u'a'));
    EXPECT_FALSE(c.theLabelVeryLongPath->isHidden());
    EXPECT_EQ(paneHeight(), 1290);
    EXPECT_TRUE(c.theSSSplitter->paneLockHeight(u"Pane Path"_s));
    c.thePath->setText(QString(15, u'a'));
    EXPECT_TRUE(c.theLabelVeryLongPath->isHidden());
    EXPECT_EQ(paneHeight(), 810);
}

struct DeveloperCase
{
    QString login;
    int accountType;
};

class MainWindowNotDeveloperTest : public MainWindowFixture, public testing::WithParamInterface<DeveloperCase>
{
};

TEST_P(MainWindowNotDeveloperTest, FolderBoxStaysReadOnlyAndShort)
{
    options.Set_Login(GetParam().login);
    options.Set_TypeDiadocAccount(GetParam().accountType);
    const auto window = load();
    window->show();
    const MainWindowControls& c = window->controls();
    c.thePath->setText(QString(40, u'a'));
    EXPECT_TRUE(c.theButtonSelectFolder->isHidden());
    EXPECT_FALSE(c.theButtonSelectFolder->isEnabled());
    EXPECT_TRUE(c.thePath->isReadOnly());
    EXPECT_TRUE(c.theLabelVeryLongPath->isHidden());
    EXPECT_EQ(c.theSSSplitter->paneHeight(u"Pane Path"_s), 810);
}

INSTANTIATE_TEST_SUITE_P(Logins, MainWindowNotDeveloperTest,
                         testing::Values(DeveloperCase{u"user@example.org"_s, 1},
                                         DeveloperCase{u"Developer@Quorvel-Labs.example"_s, 1},
                                         DeveloperCase{QString::fromUtf16(frmDiadocUnloadDocs::kDeveloperLogin), 2}));

TEST_F(MainWindowBusyTest, FinishedOnlyDisablesSignatureRejectedWithoutClearingIt)
{
    options.Set_Finished(0);
    options.Set_SignatureRejected(1);
    const auto window = load();
    const MainWindowControls& c = window->controls();
    EXPECT_TRUE(c.theCheckSignatureRejected->isEnabled());
    c.theCheckFinished->click();
    EXPECT_FALSE(c.theCheckSignatureRejected->isEnabled());
    EXPECT_TRUE(c.theCheckSignatureRejected->isChecked());
    c.theCheckFinished->click();
    EXPECT_TRUE(c.theCheckSignatureRejected->isEnabled());
}

TEST_F(MainWindowBusyTest, CancelledFolderChooserLeavesTheFolder)
{
    options.Set_Login(QString::fromUtf16(frmDiadocUnloadDocs::kDeveloperLogin));
    options.Set_Path(u"/srv/archive/"_s);
    const auto window = load();
    ui.expectFolder(QString());
    window->controls().theButtonSelectFolder->click();
    EXPECT_EQ(window->controls().thePath->text(), u"/srv/archive/"_s);
    EXPECT_TRUE(ui.allScriptedAnswersUsed());
}

TEST_F(MainWindowBusyTest, OptionsButtonRereadsFolderDateRulesZipAndCaption)
{
    const auto window = load();
    bool dialogShown = false;
    // The options dialog is modal: the changes are made in it and accepted with OK.
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != u"frmOptions")
            return;
        dialogShown = true;
        dialog->findChild<QLineEdit*>(u"thePath"_s)->setText(u"/srv/new/"_s);
        dialog->findChild<QCheckBox*>(u"theCheckBoxLoadContentByZip"_s)->setChecked(false);
        dialog->findChild<QCheckBox*>(u"theCheckBoxLogFile"_s)->setChecked(true);
        dialog->findChild<QCheckBox*>(u"theCheckBoxDateEndYesterday"_s)->setChecked(true);
        dialog->findChild<QPushButton*>(u"theOK"_s)->click();
    });
    window->controls().theButtonOptions->click();
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(window->controls().thePath->text(), u"/srv/new/"_s);
    EXPECT_FALSE(window->controls().theCheckZip->isChecked());
    EXPECT_TRUE(window->windowTitle().startsWith(u"+Log/ Ларимо-9"_s));
    EXPECT_EQ(window->controls().theDateTo->date(), QDate(2024, 3, 14));
}

TEST_F(MainWindowBusyTest, MemoryPanelShowsTheWorkingSetEverySecond)
{
    const auto window = load();
    QMetaObject::invokeMethod(window->controls().theTimerStatusBar, "timeout");
    const QString text = window->statusPanelText(2);
    EXPECT_TRUE(text.startsWith(u"Используется "_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u" ОЗУ (пик "_s)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u") "_s));
    EXPECT_GT(ui.processEventsCalls, 0);
}

TEST_F(MainWindowBusyTest, WindowPictureIsTakenForALook)
{
    options.Set_Path(u"/srv/archive/"_s);
    const auto window = load();
    window->show();
    const QPixmap picture = window->grab();
    EXPECT_FALSE(picture.isNull());
    // Saved only where asked, for a person to look at.
    if (const QString folder = qEnvironmentVariable("FETCHLING_SCREENSHOT_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(picture.save(QDir(folder).filePath(u"mainwindow.png"_s)));
    }
}

} // namespace mainwindow::test
