#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "core/mOther.h"
#include "core/widgets/mN7GraphLight.h"
#include "mainwindow/SSSplitter.h"
#include "platform/family/VersionInfo.h"
#include "platform/registry/Registry.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

const QString kPlacementKey = QString::fromUtf16(frmDiadocUnloadDocs::kPlacementKey);

QString currentTabKey(const QTabBar* tabs)
{
    return tabs->tabData(tabs->currentIndex()).toString();
}

} // namespace

class MainWindowStartupTest : public MainWindowFixture
{
};

TEST_F(MainWindowStartupTest, FreshStoreStartsWithTheDefaultsCentredAndIdle)
{
    const auto window = load();
    const MainWindowControls& c = window->controls();

    EXPECT_FALSE(window->autoStart());
    EXPECT_EQ(window->signIns, std::vector<bool>{false});
    EXPECT_TRUE(c.theBoxMessage->isHidden());
    EXPECT_TRUE(c.theBoxAuthorization->isEnabled());
    EXPECT_FALSE(c.theBoxAuthorization->isHidden());
    EXPECT_EQ(c.theLabelAuthorization->text(), u"Вы не авторизованы в Диадок. Требуется авторизация."_s);

    EXPECT_EQ(currentTabKey(c.theTabsTasks), u"ExecutingList"_s);
    EXPECT_EQ(currentTabKey(c.theTabsDocs), u"UnloadingList"_s);
    EXPECT_EQ(window->busyMode(), 0);
    EXPECT_EQ(c.theButtonExecute->text(), u"Начать выгрузку"_s);

    ASSERT_EQ(c.theComboBoxTypeDate->count(), 2);
    EXPECT_EQ(c.theComboBoxTypeDate->itemText(0), u"Получения или отправки"_s);
    EXPECT_EQ(c.theComboBoxTypeDate->itemData(1).toInt(), 1);
    EXPECT_EQ(c.theComboBoxTypeDate->currentIndex(), 0);
    EXPECT_TRUE(c.theComboBoxTypeDate->isHidden());

    EXPECT_EQ(c.thePath->text(), QString());
    EXPECT_EQ(c.theDateFrom->date(), QDate(2024, 3, 15));
    EXPECT_EQ(c.theDateTo->date(), QDate(2024, 3, 15));
    EXPECT_TRUE(c.theOldEndDate->isHidden());

    // Finished on by default, so the signature-rejected box is off limits but keeps its value.
    EXPECT_TRUE(c.theCheckFinished->isChecked());
    EXPECT_FALSE(c.theCheckSignatureRejected->isEnabled());
    EXPECT_FALSE(c.theCheckInternal->isChecked());
    EXPECT_FALSE(c.theCheckRevoked->isChecked());
    EXPECT_FALSE(c.theCheckNoSended->isChecked());
    EXPECT_TRUE(c.theCheckProtocol->isChecked());
    EXPECT_TRUE(c.theCheckDeleted->isChecked());
    EXPECT_TRUE(c.theCheckZip->isChecked());
    EXPECT_FALSE(c.theCheckZip->isEnabled());
    EXPECT_EQ(c.theCheckZip->toolTip(),
              u"Скачивать документы в виде множества файлов или zip-архивом с последующей распаковкой"_s);

    const int tx = core::TwipsPerPixelX();
    const int ty = core::TwipsPerPixelY();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->width(), 14130 / tx);
    EXPECT_EQ(window->height(), 8970 / ty);
    EXPECT_EQ(window->x(), ((screen.width() * tx - 14130) / 2) / tx);
    EXPECT_EQ(window->y(), ((screen.height() * ty - 8970) / 2) / ty);
    EXPECT_EQ(window->windowState(), Qt::WindowNoState);
    EXPECT_EQ(c.theSSSplitter->paneHeight(u"Pane Tasks"_s), 2990);
    EXPECT_EQ(window->paneFiltersWidth(), 4425);

    EXPECT_EQ(c.theTasksFailureCounter->text(), u"0"_s);
    EXPECT_EQ(c.theDocsFailureCounter->text(), u"0"_s);
    EXPECT_EQ(c.theMaxDocsCountInOneList->text(), u"0"_s);
    EXPECT_FALSE(c.theStartingTimer->isActive());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.errorDialogCalls.empty());
}

TEST_F(MainWindowStartupTest, StoredStoreRestoresChoicesDatesAndPlacement)
{
    options.Set_Path(u"/srv/archive/"_s);
    options.Set_FromDate(u"01.02.2024"_s);
    options.Set_ToDate(u"29.02.2024"_s);
    options.Set_Finished(0);
    options.Set_Internal(1);
    options.Set_NoSended(1);
    options.Set_Revoked(1);
    options.Set_SignatureRejected(1);
    options.Set_Protocol(0);
    options.Set_LoadContentByZip(0);
    options.Set_DateTypeSelect(1);
    store.utility.RegistrySetValue(kPlacementKey, u"Left"_s, 1500);
    store.utility.RegistrySetValue(kPlacementKey, u"Top"_s, 900);
    store.utility.RegistrySetValue(kPlacementKey, u"Width"_s, 12000);
    store.utility.RegistrySetValue(kPlacementKey, u"Height"_s, 7500);
    store.utility.RegistrySetValue(kPlacementKey, u"WindowState"_s, 1);
    store.utility.RegistrySetValue(kPlacementKey, u"PaneFiltersWidth"_s, 5100);
    store.utility.RegistrySetValue(kPlacementKey, u"PaneTasksHeight"_s, 3300);

    const auto window = load();
    const MainWindowControls& c = window->controls();
    EXPECT_EQ(c.thePath->text(), u"/srv/archive/"_s);
    EXPECT_EQ(c.theDateFrom->date(), QDate(2024, 2, 1));
    EXPECT_EQ(c.theDateTo->date(), QDate(2024, 2, 29));
    EXPECT_FALSE(c.theCheckFinished->isChecked());
    EXPECT_TRUE(c.theCheckSignatureRejected->isEnabled());
    EXPECT_TRUE(c.theCheckSignatureRejected->isChecked());
    EXPECT_TRUE(c.theCheckInternal->isChecked());
    EXPECT_TRUE(c.theCheckNoSended->isChecked());
    EXPECT_TRUE(c.theCheckRevoked->isChecked());
    EXPECT_FALSE(c.theCheckProtocol->isChecked());
    EXPECT_FALSE(c.theCheckZip->isChecked());
    // The date type is never restored.
    EXPECT_EQ(c.theComboBoxTypeDate->currentIndex(), 0);

    // A stored minimised state opens the window normal.
    EXPECT_EQ(window->windowState(), Qt::WindowNoState);
    EXPECT_EQ(window->pos(), QPoint(1500 / core::TwipsPerPixelX(), 900 / core::TwipsPerPixelY()));
    EXPECT_EQ(window->width(), 12000 / core::TwipsPerPixelX());
    EXPECT_EQ(window->height(), 7500 / core::TwipsPerPixelY());
    EXPECT_EQ(window->paneFiltersWidth(), 5100);
    EXPECT_EQ(c.theSSSplitter->paneHeight(u"Pane Tasks"_s), 3300);
}

TEST_F(MainWindowStartupTest, StoredMaximisedStateOpensMaximised)
{
    store.utility.RegistrySetValue(kPlacementKey, u"WindowState"_s, 2);
    EXPECT_EQ(load()->windowState(), Qt::WindowMaximized);
}

TEST_F(MainWindowStartupTest, DateRulesMoveTheStartAndSetTheEndToYesterday)
{
    options.Set_FromDate(u"01.01.2024"_s);
    options.Set_ToDate(u"31.01.2024"_s);
    options.Set_DateBeginMove(1);
    options.Set_DateEndYesterday(1);
    {
        // Without a stored end of the last run the start date stays.
        const auto window = load();
        EXPECT_EQ(window->controls().theDateFrom->date(), QDate(2024, 1, 1));
        EXPECT_FALSE(window->controls().theOldEndDate->isHidden());
        EXPECT_EQ(window->controls().theOldEndDate->text(), u"(ранее по 31.01.2024)"_s);
        EXPECT_EQ(window->controls().theDateTo->date(), QDate(2024, 3, 14));
    }
    options.Set_LastDateEnd(u"10.03.2024"_s);
    const auto window = load();
    EXPECT_EQ(window->controls().theDateFrom->date(), QDate(2024, 3, 10));
}

struct CaptionCase
{
    int log;
    int zip;
    QString prefix;
};

class MainWindowCaptionTest : public MainWindowFixture, public testing::WithParamInterface<CaptionCase>
{
};

TEST_P(MainWindowCaptionTest, CaptionCarriesTheLogAndZipMarks)
{
    options.Set_CreateLogFile(GetParam().log);
    options.Set_LoadContentByZip(GetParam().zip);
    const auto window = load();
    const QString base =
        u"Ларимо-9: Фетчлинг. Версия "_s + core::mOther::GetVersion() + u" (+DiadocAPI v. 2.14.6.210, Ж7W v. "_s;
    const QString caption = window->windowTitle();
    EXPECT_TRUE(caption.startsWith(GetParam().prefix + base)) << caption.toStdString();
    EXPECT_TRUE(caption.endsWith(u", Excel ??.?)"_s)) << caption.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Marks, MainWindowCaptionTest,
                         testing::Values(CaptionCase{0, 0, QString()}, CaptionCase{0, 1, QString()},
                                         CaptionCase{1, 0, u"+Log/ "_s}, CaptionCase{1, 1, u"+Zip/+Log/ "_s}));

TEST_F(MainWindowStartupTest, CaptionNamesEveryComponentVersion)
{
    auto window = std::make_unique<TestWindow>(services({}));
    EXPECT_EQ(window->windowTitle(), u"Ларимо-9: Фетчлинг. Версия ?.?.? (+DiadocAPI v. ?.??.?.??\?)"_s);
    factory.failCreation();
    MainWindowServices s = services({});
    platform::family::VersionInfo version;
    s.versionInfo = &version;
    s.excelFactory = [] { return std::optional<core::ExcelIdentity>({u"Табличный"_s, u"16.0"_s, u"4266"_s}); };
    window = std::make_unique<TestWindow>(s);
    window->Form_Load();
    EXPECT_EQ(window->windowTitle(), u"Ларимо-9: Фетчлинг. Версия "_s + core::mOther::GetVersion()
                                         + u" (+DiadocAPI v. ?.??.?.???, Ж7W v. "_s
                                         + core::mOther::GetVersionN7W(&version) + u", Табличный v. 16.0.4266)"_s);
}

struct CommandLineCase
{
    QString commandLine;
    bool autoStart;
};

class MainWindowCommandLineTest : public MainWindowFixture, public testing::WithParamInterface<CommandLineCase>
{
};

TEST_P(MainWindowCommandLineTest, SwitchAnywhereInAnyCaseStartsUnattended)
{
    const auto window = load(GetParam().commandLine);
    EXPECT_EQ(window->autoStart(), GetParam().autoStart);
    EXPECT_EQ(window->controls().theStartingTimer->isActive(), GetParam().autoStart);
    EXPECT_EQ(window->isMinimized(), GetParam().autoStart);
}

INSTANTIATE_TEST_SUITE_P(Switches, MainWindowCommandLineTest,
                         testing::Values(CommandLineCase{QString(), false}, CommandLineCase{u"/AUTOSTART"_s, true},
                                         CommandLineCase{u"/as"_s, true}, CommandLineCase{u"/ASK"_s, true},
                                         CommandLineCase{u"-x /autostart"_s, true}, CommandLineCase{u"AS"_s, false},
                                         CommandLineCase{u"\\AS"_s, false}));

TEST_F(MainWindowStartupTest, UnattendedStartMinimisesWhateverIsStoredAndPressesExecuteThenExit)
{
    store.utility.RegistrySetValue(kPlacementKey, u"WindowState"_s, 2);
    options.Set_AutomaticAutorization(0);
    const auto window = load(u"/AUTOSTART"_s);
    EXPECT_EQ(window->signIns, std::vector<bool>{false});
    QTimer* timer = window->controls().theStartingTimer;
    EXPECT_EQ(timer->interval(), 1000);
    ASSERT_TRUE(timer->isActive());
    window->show();
    EXPECT_TRUE(window->isMinimized());

    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(window->hookCalls, (std::vector<QString>{u"execute"_s, u"release"_s}));
    EXPECT_FALSE(window->isVisible());
    // A second tick does nothing.
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(window->hookCalls.size(), 2U);
    EXPECT_TRUE(ui.boxes.empty());
}

struct PrerequisiteCase
{
    int release;
    bool diadocApi;
    QString message; // empty: the sign-in area is offered
};

class MainWindowPrerequisiteTest : public MainWindowFixture, public testing::WithParamInterface<PrerequisiteCase>
{
};

TEST_P(MainWindowPrerequisiteTest, MissingPrerequisiteShowsItsTextAndOffersNoSignIn)
{
    prerequisites.release = GetParam().release;
    prerequisites.diadocApi = GetParam().diadocApi;
    const auto window = load();
    const MainWindowControls& c = window->controls();
    if (GetParam().message.isEmpty()) {
        EXPECT_TRUE(c.theBoxMessage->isHidden());
        EXPECT_TRUE(c.theBoxAuthorization->isEnabled());
        EXPECT_EQ(window->signIns.size(), 1U);
    } else {
        EXPECT_FALSE(c.theBoxMessage->isHidden());
        EXPECT_EQ(c.theLabelHeader->text(), GetParam().message);
        EXPECT_TRUE(c.theBoxAuthorization->isHidden());
        EXPECT_FALSE(c.theBoxAuthorization->isEnabled());
        EXPECT_TRUE(window->signIns.empty());
        EXPECT_EQ(c.thePath->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

const QString kFrameworkText =
    u"Для работы программы на компьютере должен быть установлен .NET Framework версии 4.6.2 или более новый."_s;
const QString kClientText =
    u"На вашем компьютере не установлена компонента DiadocAPI. Без неё утилита работать не может."_s;

INSTANTIATE_TEST_SUITE_P(Releases, MainWindowPrerequisiteTest,
                         testing::Values(PrerequisiteCase{0, true, kFrameworkText},
                                         PrerequisiteCase{394801, true, kFrameworkText},
                                         PrerequisiteCase{394801, false, kFrameworkText},
                                         PrerequisiteCase{394802, true, QString()},
                                         PrerequisiteCase{394802, false, kClientText}));

struct StoredReleaseCase
{
    std::optional<quint32> stored;
    int release;
};

class SystemPrerequisitesTest : public MainWindowFixture, public testing::WithParamInterface<StoredReleaseCase>
{
};

TEST_P(SystemPrerequisitesTest, FrameworkReleaseComesFromTheMachineHive)
{
    if (GetParam().stored) {
        store.registry.write(platform::registry::Hive::Machine, QString::fromUtf16(SystemPrerequisites::kFrameworkKey),
                             u"Release"_s, *GetParam().stored);
    }
    const SystemPrerequisites system(store.registry, diadocAccess);
    EXPECT_EQ(system.GetDotNet45VersionLong(), GetParam().release);
}

INSTANTIATE_TEST_SUITE_P(Stored, SystemPrerequisitesTest,
                         testing::Values(StoredReleaseCase{std::nullopt, Prerequisites::kRequiredFrameworkRelease},
                                         StoredReleaseCase{0U, 0}, StoredReleaseCase{394801U, 394801},
                                         StoredReleaseCase{394802U, 394802}, StoredReleaseCase{528040U, 528040}));

TEST_F(MainWindowStartupTest, SystemPrerequisitesAskTheClientFactory)
{
    const SystemPrerequisites system(store.registry, diadocAccess);
    EXPECT_TRUE(system.IsDiadocAPI());
    factory.failCreation();
    EXPECT_FALSE(system.IsDiadocAPI());
}

} // namespace mainwindow::test
