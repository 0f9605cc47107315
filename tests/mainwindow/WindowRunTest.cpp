#include <QRegularExpression>

#include "WindowRunFixture.h"
#include "mainwindow/OrganisationTree.h"
#include "platform/diadoc/SandboxService.h"
#include "run/StartSequence.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;

namespace mainwindow::test {

namespace {

const QString kCrLf = u"\r\n"_s;
const QString kStopRun = u"Вы действительно хотите прервать выгрузку документов из Диадок?"_s;
const QString kStopProtocols =
    u"Вы действительно хотите прервать формирование протокола выгрузки документов из Диадок?"_s;

// The value printed after a caption of the summary in the HTML protocol: the first "Да" or "Нет".
QString yesNoAfter(const QString& page, const QString& caption)
{
    const qsizetype at = page.indexOf(caption);
    if (at < 0)
        return {};
    const qsizetype yes = page.indexOf(u"Да"_s, at + caption.size());
    const qsizetype no = page.indexOf(u"Нет"_s, at + caption.size());
    if (yes < 0 && no < 0)
        return {};
    return (no < 0 || (yes >= 0 && yes < no)) ? u"Да"_s : u"Нет"_s;
}

} // namespace

using WindowRunTest = WindowRunFixture;

class WindowRunOfferTest : public WindowRunFixture, public testing::WithParamInterface<int>
{
};

// The whole run from the Execute button: the three protocols in the unload folder, the end text
// that lists them, and the Excel protocol handed to the desktop only when the person says yes.
TEST_P(WindowRunOfferTest, ExecuteUnloadsTheSampleAndListsItsThreeProtocols)
{
    const auto window = load();
    const MainWindowControls& c = window->controls();
    ASSERT_GT(c.theTreeViewPersons->topLevelItemCount(), 0) << c.theLabelAuthorization->text().toStdString();
    ui.expectBox(GetParam());
    execute(*window);

    const QStringList files = protocols();
    ASSERT_EQ(files.size(), 3) << files.join(u", "_s).toStdString();
    const QString base = files.at(1).chopped(4); // sorted: .csv, .htm, .xlsx
    EXPECT_EQ(files, (QStringList{base + u".csv"_s, base + u".htm"_s, base + u".xlsx"_s}));
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes.back().prompt, u"Выгрузка документов завершена."_s + kCrLf + u"В папке выгрузки ("_s + out()
                                          + u") созданы файлы протоколов:"_s + kCrLf + base + u".htm"_s + kCrLf + base
                                          + u".xlsx"_s + kCrLf + base + u".csv"_s + kCrLf
                                          + u"Открыть Ms Excel с протоколом выгрузки?"_s);
    EXPECT_EQ(ui.boxes.back().style, vbYesNo | vbQuestion);
    if (GetParam() == vbYes)
        EXPECT_EQ(opened, std::vector<QString>{out() + base + u".xlsx"_s});
    else
        EXPECT_TRUE(opened.empty());

    EXPECT_EQ(window->busyMode(), 0);
    EXPECT_EQ(c.theButtonExecute->text(), u"Начать выгрузку"_s);
    EXPECT_TRUE(c.theButtonExecute->isEnabled());
    EXPECT_TRUE(c.theProgressBar->isHidden());
    EXPECT_EQ(ui.mousePointer(), core::MousePointer::Default);
    ASSERT_EQ(listener.ended.size(), 1U);
    const run::RunOutcome& outcome = listener.ended.front();
    EXPECT_FALSE(outcome.stopped);
    EXPECT_GT(outcome.unloaded, 100);
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitDone);
    // The end date of a run that ended by itself is kept for the next one.
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"31.12.2024"_s);
    // The summary names the program as the window's caption does.
    EXPECT_TRUE(protocolText(u".htm"_s).contains(window->windowTitle())) << window->windowTitle().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Answers, WindowRunOfferTest, testing::Values(vbNo, vbYes),
                         [](const testing::TestParamInfo<int>& answer) {
                             return answer.param == vbYes ? "Open" : "DoNotOpen";
                         });

// Yes to the offer, and the desktop has no program for a workbook: the person is told so.
TEST_F(WindowRunTest, AWorkbookThatNoProgramOpensIsReported)
{
    const auto window = load();
    desktopOpens = false;
    ui.expectBox(vbYes);
    ui.expectBox(vbOK);
    execute(*window);

    ASSERT_EQ(opened.size(), 1U);
    ASSERT_EQ(ui.boxes.size(), 2U);
    EXPECT_EQ(ui.boxes.back().prompt, u"Не удалось открыть файл "_s + opened.front() + u"."_s + kCrLf
                                          + u"На компьютере не найдена программа, которая открывает такие файлы."_s);
    EXPECT_EQ(ui.boxes.back().style, vbOKOnly | vbExclamation);
    EXPECT_EQ(window->busyMode(), 0);
}

TEST_F(WindowRunTest, CaptionsCountersAndStatusBarFollowTheRun)
{
    const auto window = load();
    const MainWindowControls& c = window->controls();
    QStringList atStart;
    ui.onProcessEvents = [&] {
        // The first change the window hears: the new, empty request queue.
        if (atStart.isEmpty() && window->busyMode() == 2)
            for (const QTabBar* tabs : {c.theTabsTasks, c.theTabsDocs})
                for (int i = 0; i < tabs->count(); ++i)
                    atStart.append(tabs->tabText(i));
    };
    ui.expectBox(vbNo);
    execute(*window);
    ui.onProcessEvents = {};

    EXPECT_EQ(atStart.mid(0, 4), (QStringList{u"На запуск (0)"_s, u"На повторный запуск (0)"_s, u"Выполняются (0)"_s,
                                              u"Выполнены (0)"_s}));
    const run::RunOutcome& outcome = listener.ended.at(0);
    EXPECT_EQ(tabCaption(c.theTabsDocs, u"UnloadedList"_s),
              u"Выгружены ("_s + QString::number(outcome.unloaded) + u')');
    EXPECT_EQ(tabCaption(c.theTabsDocs, u"IgnoredList"_s),
              u"Не выгружены ("_s + QString::number(outcome.ignored) + u')');
    EXPECT_EQ(tabCaption(c.theTabsDocs, u"MainQueue"_s), u"На выгрузку (0)"_s);
    EXPECT_EQ(tabCaption(c.theTabsTasks, u"ExecutedList"_s),
              u"Выполнены ("_s + QString::number(outcome.listRequests) + u')');
    EXPECT_EQ(c.theDocsCountAll->text(), QString::number(outcome.listed));
    EXPECT_NE(c.theMaxDocsCountInOneList->text(), u"0"_s);
    EXPECT_EQ(c.theTasksFailureCounter->text(), u"0"_s);
    // A run that ended by itself shows its finished lists.
    EXPECT_EQ(c.theTabsDocs->tabData(c.theTabsDocs->currentIndex()).toString(), u"UnloadedList"_s);
    EXPECT_EQ(c.theTabsTasks->tabData(c.theTabsTasks->currentIndex()).toString(), u"ExecutedList"_s);
    // Panel 1: the run's start and the end of its queue work, hours without a leading zero.
    static const QRegularExpression span(u"^9:05:07 - \\d{1,2}:\\d{2}:\\d{2}$"_s);
    EXPECT_TRUE(span.match(window->statusPanelText(1)).hasMatch()) << window->statusPanelText(1).toStdString();
}

TEST_F(WindowRunTest, StopQuestionAnsweredYesEndsTheRunAndKeepsTheOldEndDate)
{
    options.Set_LastDateEnd(u"15.06.2024"_s);
    const auto window = load();
    const MainWindowControls& c = window->controls();
    bool asked = false;
    bool disabledAfterYes = false;
    ui.onProcessEvents = [&] {
        if (!asked && window->busyMode() == 2 && c.theMaxDocsCountInOneList->text() != u"0"_s) {
            asked = true;
            execute(*window);
            disabledAfterYes = !c.theButtonExecute->isEnabled();
        }
    };
    ui.expectBox(vbYes); // the stop question
    ui.expectBox(vbNo);  // the Excel offer
    execute(*window);
    ui.onProcessEvents = {};

    ASSERT_TRUE(asked);
    EXPECT_TRUE(disabledAfterYes) << "the button stays disabled until the busy mode changes";
    ASSERT_EQ(ui.boxes.size(), 2U);
    EXPECT_EQ(ui.boxes.at(0).prompt, kStopRun);
    EXPECT_EQ(ui.boxes.at(0).style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_TRUE(ui.boxes.at(1).prompt.startsWith(u"Выгрузка документов прервана."_s + kCrLf + u"В папке выгрузки ("_s
                                                 + out() + u") созданы файлы протоколов:"_s))
        << ui.boxes.at(1).prompt.toStdString();
    EXPECT_EQ(protocols().size(), 3);
    EXPECT_TRUE(protocolText(u".htm"_s).contains(u"Выгрузка остановлена пользователем:"_s));
    EXPECT_TRUE(listener.ended.at(0).stopped);
    EXPECT_GT(listener.ended.at(0).left + listener.ended.at(0).ignored, 0);
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"15.06.2024"_s) << "a run the person stopped stores no end date";
    EXPECT_TRUE(c.theButtonExecute->isEnabled());
    EXPECT_EQ(window->busyMode(), 0);
}

TEST_F(WindowRunTest, StopQuestionAnsweredNoLetsTheRunFinishWithItsOwnDates)
{
    options.Set_DateBeginMove(1);
    options.Set_LastDateEnd(u"15.06.2024"_s);
    const auto window = load();
    const MainWindowControls& c = window->controls();
    ASSERT_EQ(c.theDateFrom->date(), QDate(2024, 6, 15));
    bool asked = false;
    QString storedMeanwhile;
    bool enabledAfterNo = false;
    ui.onProcessEvents = [&] {
        if (!asked && window->busyMode() == 2 && c.theMaxDocsCountInOneList->text() != u"0"_s) {
            asked = true;
            execute(*window);
            enabledAfterNo = c.theButtonExecute->isEnabled();
            storedMeanwhile = options.GetDefault_LastDateEnd();
        }
    };
    ui.expectBox(vbNo); // the stop question
    ui.expectBox(vbNo); // the Excel offer
    execute(*window);
    ui.onProcessEvents = {};

    ASSERT_TRUE(asked);
    EXPECT_TRUE(enabledAfterNo);
    EXPECT_EQ(storedMeanwhile, u"15.06.2024"_s) << "a declined stop question moves no date of the running unload";
    EXPECT_FALSE(listener.ended.at(0).stopped);
    EXPECT_EQ(listener.ended.at(0).from, u"15.06.2024"_s);
    EXPECT_TRUE(ui.boxes.at(1).prompt.startsWith(u"Выгрузка документов завершена."_s));
    // After the run: its end date is stored and becomes the next start.
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"31.12.2024"_s);
    EXPECT_EQ(c.theDateFrom->date(), QDate(2024, 12, 31));
}

TEST_F(WindowRunTest, StoppingTheProtocolsLeavesTheWorkbookOutAndTheEndDateUnstored)
{
    const auto window = load();
    // Shown, so that the progress bar has its width and moves.
    window->show();
    bool asked = false;
    ui.onProcessEvents = [&] {
        if (!asked && window->busyMode() == 3) {
            asked = true;
            EXPECT_EQ(window->controls().theProgressBar->Text(), u"Формирование протокола выгрузки в Html-файл..."_s);
            EXPECT_EQ(window->controls().theButtonExecute->text(), u"Остановить"_s);
            execute(*window);
        }
    };
    ui.expectBox(vbYes); // the stop question of the protocols
    ui.expectBox(vbOK);  // the end message, without an Excel offer
    execute(*window);
    ui.onProcessEvents = {};

    ASSERT_TRUE(asked);
    ASSERT_EQ(ui.boxes.size(), 2U);
    EXPECT_EQ(ui.boxes.at(0).prompt, kStopProtocols);
    EXPECT_TRUE(ui.boxes.at(1).prompt.startsWith(u"Выгрузка документов завершена."_s)) << "the unloading itself ended";
    EXPECT_FALSE(ui.boxes.at(1).prompt.contains(u".xlsx"_s));
    EXPECT_EQ(ui.boxes.at(1).style, vbOKOnly | vbInformation);
    for (const QString& name : protocols())
        EXPECT_FALSE(name.endsWith(u".xlsx"_s)) << name.toStdString();
    EXPECT_TRUE(options.GetDefault_LastDateEnd().isEmpty());
}

TEST_F(WindowRunTest, AfterBadAllocationEveryStartIsRefusedUntilRestart)
{
    platform::diadoc::FaultRule rule;
    rule.operation = u"GetDocumentsAsync"_s;
    rule.text = u"bad allocation"_s;
    service()->addFault(rule);
    options.Set_LastDateEnd(u"15.06.2024"_s);
    const auto window = load();
    ui.expectBox(vbOK); // the critical message of the failure
    ui.expectBox(vbNo); // the end message with the Excel offer
    execute(*window);
    ASSERT_EQ(listener.ended.size(), 1U);
    EXPECT_EQ(listener.ended.at(0).stopReason, u"bad allocation"_s);
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"15.06.2024"_s)
        << "a run stopped by a failure stores no end date: the next one starts where it started";
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitStopped);
    const QString page = protocolText(u".htm"_s);
    EXPECT_TRUE(page.contains(u"(прервана в связи с &quot;bad allocation&quot;)"_s)
                || page.contains(u"(прервана в связи с \"bad allocation\")"_s));

    const QString refusal = u"Последняя выгрузка документов была прервана в связи с критической ошибкой (\"bad "_s
                            u"allocation\")."_s
                            + kCrLf + kCrLf
                            + u"Чтобы начать новую выгрузку, необходимо выйти из программы, и запустить её снова."_s;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ui.boxes.clear();
        ui.expectBox(vbOK);
        execute(*window);
        ASSERT_EQ(ui.boxes.size(), 1U);
        EXPECT_EQ(ui.boxes.at(0).prompt, refusal);
        EXPECT_EQ(ui.boxes.at(0).style, vbOKOnly | vbInformation);
        EXPECT_EQ(window->busyMode(), 0);
    }
    EXPECT_EQ(listener.ended.size(), 1U) << "no other run started";
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitRefused);
}

struct RunRefusalCase
{
    const char* name;
    std::function<void(frmDiadocUnloadDocs&, const MainWindowControls&)> change;
    QString text;
};

class WindowRunRefusalTest : public WindowRunFixture, public testing::WithParamInterface<RunRefusalCase>
{
};

TEST_P(WindowRunRefusalTest, ARunThatCannotStartSaysWhyAndReturnsToIdle)
{
    const auto window = load();
    GetParam().change(*window, window->controls());
    ui.expectBox(vbOK);
    execute(*window);
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes.at(0).prompt, GetParam().text);
    EXPECT_EQ(window->busyMode(), 0);
    EXPECT_EQ(ui.mousePointer(), core::MousePointer::Default);
    EXPECT_TRUE(listener.ended.empty());
    EXPECT_TRUE(protocols().isEmpty());
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitRefused);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, WindowRunRefusalTest,
    testing::Values(
        RunRefusalCase{"NoFolder", [](auto&, const MainWindowControls& c) { c.thePath->setText(QString()); },
                       u"Выберите папку для сохранения файлов Диадок."_s},
        RunRefusalCase{"NothingTicked",
                       [](auto&, const MainWindowControls& c) {
                           for (QTreeWidgetItemIterator it(c.theTreeViewPersons); *it != nullptr; ++it)
                               (*it)->setCheckState(0, Qt::Unchecked);
                       },
                       u"Не выбрано ни одного подразделения."_s},
        RunRefusalCase{"NoOrganisation",
                       [](frmDiadocUnloadDocs& w, const MainWindowControls&) { w.organisationTree().clear(); },
                       u"Нет ни одной организации (ни одного подразделения)."_s},
        // Such a period would list nothing and still report an unloading done.
        RunRefusalCase{"PeriodEndsBeforeItStarts",
                       [](auto&, const MainWindowControls& c) {
                           c.theDateFrom->setDate(QDate(2024, 3, 15));
                           c.theDateTo->setDate(QDate(2024, 3, 14));
                       },
                       u"Период выгрузки задан неверно: дата начала (15.03.2024) позже даты окончания (14.03.2024)."
                       u"\r\nУкажите период, который начинается не позже, чем заканчивается."_s}),
    [](const testing::TestParamInfo<RunRefusalCase>& c) { return std::string(c.param.name); });

// The question about a folder better avoided is the only box of a start that the person declines:
// the refusal is not shown again.
TEST_F(WindowRunTest, ADeclinedFolderBetterAvoidedShowsOnlyItsQuestion)
{
    const auto window = load();
    window->controls().thePath->setText(dir.filePath(QStringLiteral("users/me/out")));
    ui.expectBox(vbCancel);
    execute(*window);
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_TRUE(ui.boxes.at(0).prompt.contains(u"крайне не рекомендуется."_s)) << ui.boxes.at(0).prompt.toStdString();
    EXPECT_EQ(ui.boxes.at(0).style, vbOKCancel | vbQuestion | vbDefaultButton2);
    EXPECT_TRUE(listener.ended.empty());
    EXPECT_EQ(window->busyMode(), 0);
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitRefused);
}

TEST_F(WindowRunTest, ADepartmentTickedAloneIsEnoughAndTheFolderIsNormalised)
{
    const auto window = load();
    const MainWindowControls& c = window->controls();
    QTreeWidgetItem* department = nullptr;
    for (QTreeWidgetItemIterator it(c.theTreeViewPersons); *it != nullptr; ++it) {
        (*it)->setCheckState(0, Qt::Unchecked);
        if (department == nullptr && (*it)->parent() != nullptr)
            department = *it;
    }
    ASSERT_NE(department, nullptr);
    department->setCheckState(0, Qt::Checked);
    c.thePath->setText(out() + u'/');
    ui.expectBox(vbNo);
    execute(*window);
    EXPECT_EQ(c.thePath->text(), out()) << "a doubled closing separator loses one";
    EXPECT_EQ(options.GetDefault_Path(), out() + u'/') << "the store keeps the text as it was before the run";
    ASSERT_EQ(listener.ended.size(), 1U);
    EXPECT_EQ(listener.ended.at(0).ticked, 2) << "the department and the warehouse below it";
    EXPECT_TRUE(protocolText(u".htm"_s).contains(u"\\"_s + department->text(0))
                || protocolText(u".htm"_s).contains(u"Филиал"_s));
}

// The summary tells the filters the run took, whatever the boxes show when it is written.
TEST_F(WindowRunTest, TheSummaryShowsTheFiltersTheRunStartedWith)
{
    const auto window = load();
    const MainWindowControls& c = window->controls();
    c.theCheckFinished->setChecked(false);
    c.theCheckRevoked->setChecked(true);
    c.theCheckInternal->setChecked(false);
    c.theCheckSignatureRejected->setChecked(true);
    ui.onProcessEvents = [&] {
        if (window->busyMode() == 2) {
            c.theCheckRevoked->setChecked(false);
            c.theCheckInternal->setChecked(true);
            c.theCheckSignatureRejected->setChecked(false);
        }
    };
    ui.expectBox(vbNo);
    execute(*window);
    ui.onProcessEvents = {};
    const QString page = protocolText(u".htm"_s);
    EXPECT_EQ(yesNoAfter(page, u"Выгружать аннулированные документы:"_s), u"Да"_s);
    EXPECT_EQ(yesNoAfter(page, u"Выгружать документы из папки Внутренние:"_s), u"Нет"_s);
    EXPECT_EQ(yesNoAfter(page, u"Выгружать документы с отказом ответной подписи:"_s), u"Да"_s);
}

// /AUTOSTART through the window: signed in without being asked, one run a second after start-up,
// no box waits, the listener hears the end, and the window closes by itself.
TEST_F(WindowRunTest, AnUnattendedStartRunsOnceThroughTheWindowAndCloses)
{
    ui.unattended = true;
    options.Set_AutomaticAutorization(0);
    const auto window = load(u"/AUTOSTART"_s);
    window->show();
    ASSERT_TRUE(window->controls().theStartingTimer->isActive());
    QMetaObject::invokeMethod(window->controls().theStartingTimer, "timeout");

    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(listener.ended.size(), 1U);
    EXPECT_FALSE(listener.ended.at(0).stopped);
    EXPECT_EQ(listener.ended.at(0).protocols.size(), 3);
    EXPECT_EQ(protocols().size(), 3);
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitDone);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().prompt.toStdString();
    EXPECT_TRUE(opened.empty());
}

TEST_F(WindowRunTest, AnUnattendedStartWithoutSignInIsRefused)
{
    ui.unattended = true;
    options.Set_Login(QString());
    const auto window = load(u"/AUTOSTART"_s);
    window->show();
    QMetaObject::invokeMethod(window->controls().theStartingTimer, "timeout");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(listener.ended.empty());
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitRefused);
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes.at(0).prompt, u"Нет ни одной организации (ни одного подразделения)."_s);
    EXPECT_TRUE(window->controls().theLabelAuthorization->text().contains(u"Требуется авторизация."_s));
}

} // namespace mainwindow::test
