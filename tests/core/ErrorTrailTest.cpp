#include <filesystem>
#include <new>
#include <system_error>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/mErrorHandling.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;
using core::Error;

namespace {

void innermost()
{
    try {
        throw Error(5, u"Invalid procedure call or argument"_s, u"VBRuntime"_s);
    } catch (...) {
        core::PropagateError(u"mFetchlingOptions", u"Get_TasksLimit", 12);
    }
}

void middle()
{
    try {
        innermost();
    } catch (...) {
        core::PropagateError(u"Fetchling", u"ПодготовкаНовойВыгрузки");
    }
}

// A procedure that arms no handler lets the error pass unchanged.
void withoutHandler()
{
    middle();
}

void topLevel(core::UiServices& ui)
{
    try {
        withoutHandler();
    } catch (...) {
        core::ReportError(ui, u"frmDiadocUnloadDocs", u"theButtonExecute_Click");
    }
}

const QString kThreeLevelTrail = u"[N7_Fetchling::frmDiadocUnloadDocs.theButtonExecute_Click]\r\n"
                                 u"[N7_Fetchling::Fetchling.ПодготовкаНовойВыгрузки]\r\n"
                                 u"[N7_Fetchling::mFetchlingOptions.Get_TasksLimit (12)]\r\n"
                                 u"[VBRuntime]\r\n"
                                 u"Invalid procedure call or argument"_s;

} // namespace

TEST(ErrorTrail, ThreeLevelsReachTheUserOutermostFirstWithTheSourceOnce)
{
    testsupport::ScriptedUiServices ui;
    ui.expectBox(core::msgbox::vbOK);
    ui.setMousePointer(core::MousePointer::Hourglass);

    topLevel(ui);

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, kThreeLevelTrail);
    EXPECT_EQ(ui.boxes[0].title, u"Сбой программы"_s);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbCritical | core::msgbox::vbOKOnly);
    EXPECT_EQ(ui.pointerDuringBoxes[0], core::MousePointer::Default);
    EXPECT_EQ(ui.splashCloses, 1);
}

TEST(ErrorTrail, ErrorDialogReceivesTrailSourceAndNumberInsteadOfTheBox)
{
    testsupport::ScriptedUiServices ui;
    ui.errorDialogInstalled = true;
    try {
        throw Error(-2147024893, u"Path not found"_s, u"FilesLib"_s);
    } catch (...) {
        core::ReportError(ui, u"frmOptions", u"theButtonOK_Click");
    }
    EXPECT_TRUE(ui.boxes.empty());
    ASSERT_EQ(ui.errorDialogCalls.size(), 1u);
    EXPECT_EQ(ui.errorDialogCalls[0].description,
              u"[N7_Fetchling::frmOptions.theButtonOK_Click]\r\n[FilesLib]\r\nPath not found"_s);
    EXPECT_EQ(ui.errorDialogCalls[0].source, u"FilesLib"_s);
    EXPECT_EQ(ui.errorDialogCalls[0].number, -2147024893);
}

TEST(ErrorTrail, UnattendedReportShowsNoSplashCloseAndTakesTheDefault)
{
    testsupport::ScriptedUiServices ui;
    ui.unattended = true;
    try {
        throw Error(1, u"x"_s);
    } catch (...) {
        core::ReportError(ui, u"m", u"p");
    }
    EXPECT_EQ(ui.splashCloses, 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
}

TEST(ErrorTrail, PropagateKeepsTheNumberAndClearsTheSource)
{
    try {
        try {
            throw Error(440, u"Automation error"_s, u"Diadoc"_s);
        } catch (...) {
            core::PropagateError(u"mDiadoc", u"Connect");
        }
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 440);
        EXPECT_TRUE(e.source().isEmpty());
        EXPECT_EQ(e.description(), u"[N7_Fetchling::mDiadoc.Connect]\r\n[Diadoc]\r\nAutomation error"_s);
        EXPECT_STREQ(e.what(), e.description().toUtf8().constData());
    }
}

struct LocationCase
{
    const char16_t* module;
    const char16_t* procedure;
    int line;
    const char16_t* source;
    const char16_t* description;
    const char16_t* expected;
};

class ErrorLocation : public testing::TestWithParam<LocationCase>
{
};

TEST_P(ErrorLocation, FollowsTheLocationFormat)
{
    const LocationCase& c = GetParam();
    EXPECT_EQ(core::describeAt(QStringView(c.module), QStringView(c.procedure), c.line, QString::fromUtf16(c.source),
                               QString::fromUtf16(c.description)),
              QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorLocation,
    testing::Values(LocationCase{u"", u"Proc", 0, u"", u"D", u"[N7_Fetchling::?.Proc]\r\nD"},
                    LocationCase{u"Mod", u"", 0, u"", u"D", u"[N7_Fetchling::Mod]\r\nD"},
                    LocationCase{u"", u"", 0, u"", u"D", u"[N7_Fetchling::?]\r\nD"},
                    LocationCase{u"Mod", u"Proc", 7, u"", u"D", u"[N7_Fetchling::Mod.Proc (7)]\r\nD"},
                    LocationCase{u"Mod", u"Proc", 0, u"Src", u"D", u"[N7_Fetchling::Mod.Proc]\r\n[Src]\r\nD"},
                    LocationCase{u"Mod", u"Proc", 0, u"", u"\r\nD", u"[N7_Fetchling::Mod.Proc]\r\nD"},
                    LocationCase{u"Mod", u"Proc", 0, u"", u"\nD", u"[N7_Fetchling::Mod.Proc]\nD"},
                    LocationCase{u"Mod", u"Proc", 0, u"", u"", u"[N7_Fetchling::Mod.Proc]\r\n"}));

TEST(ErrorMapping, PlatformFailuresBecomeTheTextsTheProgramRecognises)
{
    const auto mapped = [](auto&& raise) {
        try {
            raise();
        } catch (...) {
            return core::currentError();
        }
        return Error(0, QString());
    };
    const Error memory = mapped([] { throw std::bad_alloc(); });
    EXPECT_EQ(memory.description(), u"bad allocation"_s);
    EXPECT_EQ(memory.number(), 7);

    const Error disk = mapped(
        [] { throw std::filesystem::filesystem_error("write", std::make_error_code(std::errc::no_space_on_device)); });
    EXPECT_EQ(disk.description(), u"Disk full"_s);
    EXPECT_EQ(disk.number(), 61);

    const Error other = mapped([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(other.description(), u"boom"_s);
}
