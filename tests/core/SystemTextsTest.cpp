#include <cerrno>
#include <cstring>
#include <limits>

#include <QDateTime>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/MsgBox.h"
#include "core/mN7CommonCalc.h"
#include "core/mOther.h"
#include "core/mSystem.h"
#include "platform/family/FilesLib.h"
#include "platform/family/VersionInfo.h"
#include "support/RussianLocale.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;
using namespace core;

namespace {

struct MemCase
{
    double count;
    bool shortForm;
    const char16_t* text;
};

const MemCase kMemCases[] = {
    {1536, true, u"1.5 КБ"},
    {900, true, u"900 байт"},
    {1000, false, u"0.98 КБ (1000)"},
    {-2048, false, u"-2 КБ (-2048)"},
    {5.0 * 1024 * 1024 * 1024, true, u"5 ГБ"},
    {5.0 * 1024 * 1024 * 1024, false, u"5 ГБ (5368709120)"},
    {921, true, u"921 байт"},
    {922, true, u"0.9 КБ"},
    {0, true, u"0 байт"},
    {0, false, u"0 байт (0)"},
    {943718.4, true, u"921.6 КБ"},
    {943719, true, u"0.9 МБ"},
    {966367641.6, true, u"921.6 МБ"},
    {989560464998.4, true, u"921.6 ГБ"},
    {1099511627776.0 * 3, true, u"3 ТБ"},
    {1099511627776.0 * 3000, true, u"3000 ТБ"},
    {-512, false, u"-512 байт (-512)"},
};

struct NumberText
{
    double number;
    const char* text;
};

const NumberText kCStrCases[] = {
    {1.5, "1.5"},
    {2, "2"},
    {0.333, "0.33"},
    {0.999, "1"},
    {12.5, "12.5"},
    {0.125, "0.13"},
    {0.135, "0.14"},
    {2.675, "2.68"},
    {1.005, "1.01"},
    {0.005, "0.01"},
    {0.004, "0"},
    {0, "0"},
    {-1.25, "-1.25"},
    {-0.125, "-0.13"},
    {-0.001, "0"},
    {99.995, "100"},
    {1234567.891, "1234567.89"},
    {1e20, "100000000000000000000"},
};

struct ClngCase
{
    const char* name;
    QVariant value;
    int byDefault;
    int expected;
};

const ClngCase kClngCases[] = {
    {"text abc", u"abc"_s, 7, 7},
    {"2.5 to even", 2.5, 7, 2},
    {"3.5 to even", 3.5, 7, 4},
    {"-2.5 to even", -2.5, 7, -2},
    {"0.125", 0.125, 7, 0},
    {"just below the top", 2147483647.4, 7, 2147483647},
    {"2147483647.5 overflows", 2147483647.5, 7, 7},
    {"bottom half to even", -2147483648.5, 7, std::numeric_limits<int>::min()},
    {"below the bottom", -2147483649.0, 7, 7},
    {"text &H10", u"&H10"_s, 7, 16},
    {"text &hff", u"&hff"_s, 7, 255},
    {"text &HFFFFFFFF", u"&HFFFFFFFF"_s, 7, -1},
    {"text &H100000000", u"&H100000000"_s, 7, 7},
    {"text &O17", u"&O17"_s, 7, 15},
    {"text &HZZ", u"&HZZ"_s, 7, 7},
    {"empty text", u""_s, 7, 7},
    {"spaces", u"   "_s, 7, 7},
    {"empty value", QVariant(), 7, 0},
    {"null value", QVariant::fromValue(nullptr), 7, 7},
    {"text 1e3", u"1e3"_s, 7, 1000},
    {"text 1.5E2", u"1.5E2"_s, 7, 150},
    {"text 2D1", u"2D1"_s, 7, 20},
    {"text with spaces and sign", u"  -42 "_s, 7, -42},
    {"text 2.5", u"2.5"_s, 7, 2},
    {"text decimal comma", u"3,5"_s, 7, 4},
    {"text too big", u"3000000000"_s, 7, 7},
    {"text 12abc", u"12abc"_s, 7, 7},
    {"true", true, 7, -1},
    {"false", false, 7, 0},
    {"int", 123, 7, 123},
    {"long long too big", QVariant::fromValue<qlonglong>(1LL << 40), 7, 7},
    {"unsigned", QVariant::fromValue<uint>(4000000000u), 7, 7},
    {"nan", std::numeric_limits<double>::quiet_NaN(), 7, 7},
    // A date is its day number; noon is a half, which goes to the even day.
    {"date at midnight", QDateTime(QDate(2024, 1, 1), QTime(0, 0)), 7, 45292},
    {"date at noon to even", QDateTime(QDate(2024, 1, 1), QTime(12, 0)), 7, 45292},
    {"next date at noon to even", QDateTime(QDate(2024, 1, 2), QTime(12, 0)), 7, 45294},
    {"date in the afternoon", QDateTime(QDate(2024, 1, 1), QTime(12, 0, 1)), 7, 45293},
    {"date without time", QDate(2024, 1, 1), 7, 45292},
    {"first day", QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 7, 0},
    {"before the first day", QDateTime(QDate(1899, 12, 29), QTime(18, 0)), 7, -2},
    {"invalid date", QDateTime(), 7, 7},
};

} // namespace

TEST(SystemTextsTest, MemCStrPicksTheUnitAboveNineTenthsOfIt)
{
    for (const MemCase& c : kMemCases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(mSystem::MemCStr(c.count, c.shortForm), QString::fromUtf16(c.text));
    }
}

TEST(SystemTextsTest, CStr1_00RoundsHalvesAwayFromZeroWithAPoint)
{
    for (const NumberText& c : kCStrCases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(mSystem::CStr1_00(c.number), QString::fromLatin1(c.text));
    }
}

TEST(SystemTextsTest, NumberTextsKeepThePointUnderRussianSettings)
{
    const testsupport::RussianLocale russian;
    if (!russian.available())
        GTEST_SKIP() << "the ru_RU.UTF-8 locale is not generated here (scripts/setup.sh does it)";
    for (const MemCase& c : kMemCases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(mSystem::MemCStr(c.count, c.shortForm), QString::fromUtf16(c.text));
    }
    for (const NumberText& c : kCStrCases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(mSystem::CStr1_00(c.number), QString::fromLatin1(c.text));
    }
}

TEST(SystemTextsTest, CLngDefFollowsTheSystemsConversion)
{
    for (const ClngCase& c : kClngCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mN7CommonCalc::CLngDef(c.value, c.byDefault), c.expected);
    }
}

TEST(SystemTextsTest, ConvertFromUnsignedLong64JoinsTheHalves)
{
    EXPECT_EQ(mSystem::ConvertFromUnsignedLong64(0xFFFFFFFFu, 0), 4294967295.0);
    EXPECT_EQ(mSystem::ConvertFromUnsignedLong64(0, 1), 4294967296.0);
    EXPECT_EQ(mSystem::ConvertFromUnsignedLong64(5, 2), 2 * 4294967296.0 + 5);
}

TEST(SystemTextsTest, ApiErrorMessageGivesTheSystemsTextOrTheUnknownText)
{
    EXPECT_EQ(mSystem::GetApiErrorMessage(123456), u"Unknown API error 123456 (0x1E240)"_s);
    EXPECT_EQ(mSystem::GetApiErrorMessage(-1), u"Unknown API error -1 (0xFFFFFFFF)"_s);
    // The standard's own function is the measure; the test has one thread.
    const QString expected = QString::fromLocal8Bit(std::strerror(ENOSPC)); // NOLINT(concurrency-mt-unsafe)
    EXPECT_EQ(mSystem::GetApiErrorMessage(ENOSPC), expected);
}

TEST(SystemTextsTest, ProcessMemoryComesFromTheProcessesOwnAccounting)
{
    const QByteArray status = "Name:\tN7\nVmPeak:\t    3776 kB\nVmSize:\t 3760 kB\nVmHWM:\t    2288 kB\n"
                              "VmRSS:\t    2000 kB\nVmData:\t     292 kB\nVmStk:\t     132 kB\n";
    const QByteArray stat = "4242 (a (odd) name) S 1 2 3 4 5 6 700 8 90 10 11";
    const ProcessMemoryCounters parsed = mSystem::parseProcessMemory(status, stat);
    EXPECT_EQ(parsed.PeakWorkingSetSize, 2288u * 1024);
    EXPECT_EQ(parsed.WorkingSetSize, 2000u * 1024);
    EXPECT_EQ(parsed.PagefileUsage, (292u + 132u) * 1024);
    EXPECT_EQ(parsed.PeakPagefileUsage, 3776u * 1024);
    EXPECT_EQ(parsed.PageFaultCount, 700u + 90u);

    const ProcessMemoryCounters own = mSystem::Get_ProcessMemoryInfo();
    EXPECT_GT(own.WorkingSetSize, 0u);
    EXPECT_GE(own.PeakWorkingSetSize, own.WorkingSetSize);
}

TEST(SystemTextsTest, VersionTextsHaveTheirPlaceholdersWithoutTheComponent)
{
    EXPECT_TRUE(QRegularExpression(u"^\\d+\\.\\d+\\.\\d+$"_s).match(mOther::GetVersion()).hasMatch());

    EXPECT_EQ(mOther::GetVersionN7W(nullptr), u"?.???.???.????"_s);
    const platform::family::VersionInfo info;
    EXPECT_EQ(mOther::GetVersionN7W(&info), info.version() + u'.' + info.VersionAssemble() + u" от "_s
                                                + info.VersionDate().toString(u"dd.MM.yyyy"_s));

    EXPECT_EQ(mOther::GetExcelVersion({}), u"Excel ??.?"_s);
    EXPECT_EQ(mOther::GetExcelVersion([] { return std::optional<ExcelIdentity>(); }), u"Excel ??.?"_s);
    EXPECT_EQ(mOther::GetExcelVersion([]() -> std::optional<ExcelIdentity> { throw Error(429, u"no"_s); }),
              u"Excel ??.?"_s)
        << "an application that cannot be created counts as missing";
    EXPECT_EQ(mOther::GetExcelVersion([] {
                  return std::optional<ExcelIdentity>({u"Табличный"_s, u"16.0"_s, u"4266"_s});
              }),
              u"Табличный v. 16.0.4266"_s);
}

TEST(SystemTextsTest, OneFilesLibForTheProcess)
{
    EXPECT_EQ(&mOther::FilesLib(), &mOther::FilesLib());
}

TEST(SystemTextsTest, MessageBoxesShowTheDefaultPointerAndRestoreIt)
{
    struct BoxCase
    {
        const char* name;
        int answer;
        int (*show)(UiServices&);
        int style;
        QString title;
    };
    const BoxCase cases[] = {
        {"iMsgBox", msgbox::vbNo,
         [](UiServices& ui) { return mOther::iMsgBox(ui, u"Текст"_s, msgbox::vbYesNo, u"Свой"_s); }, msgbox::vbYesNo,
         u"Свой"_s},
        {"iMsgBox without title", msgbox::vbOK,
         [](UiServices& ui) { return mOther::iMsgBox(ui, u"Текст"_s, msgbox::vbOKOnly); }, msgbox::vbOKOnly,
         u"Ларимо-9: Фетчлинг."_s},
        {"WarningMsgBox", msgbox::vbOK,
         [](UiServices& ui) {
             mN7CommonCalc::WarningMsgBox(ui, u"Текст"_s, u"Свой"_s);
             return msgbox::vbOK;
         },
         48, u"Свой"_s},
        {"QuestionMsgBox yes", msgbox::vbYes,
         [](UiServices& ui) { return mN7CommonCalc::QuestionMsgBox(ui, u"Текст"_s, u"Свой"_s); }, 35, u"Свой"_s},
        {"QuestionMsgBox cancel", msgbox::vbCancel,
         [](UiServices& ui) { return mN7CommonCalc::QuestionMsgBox(ui, u"Текст"_s, u"Свой"_s); }, 35, u"Свой"_s},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScriptedUiServices ui;
        ui.setMousePointer(MousePointer::Hourglass);
        ui.expectBox(c.answer);
        EXPECT_EQ(c.show(ui), c.answer);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].prompt, u"Текст"_s);
        EXPECT_EQ(ui.boxes[0].style, c.style);
        EXPECT_EQ(ui.boxes[0].title, c.title);
        EXPECT_EQ(ui.pointerDuringBoxes[0], MousePointer::Default);
        EXPECT_EQ(ui.mousePointer(), MousePointer::Hourglass);
    }
}

TEST(SystemTextsTest, MaxAndMinOfListKeepTheEarlierOfEqualValues)
{
    EXPECT_EQ(mN7CommonCalc::MaxOfList({3, 9, 4}), QVariant(9));
    EXPECT_EQ(mN7CommonCalc::MinOfList({3, 9, 4}), QVariant(3));
    EXPECT_EQ(mN7CommonCalc::MaxOfList({2, 2.0}).typeId(), QMetaType::Int) << "a tie keeps the first";
    EXPECT_EQ(mN7CommonCalc::MaxOfList({u"abc"_s, u"abd"_s, u"Z"_s}), QVariant(u"abd"_s));
    EXPECT_EQ(mN7CommonCalc::MinOfList({u"b"_s, 100}), QVariant(100)) << "a number is less than a text";
    EXPECT_EQ(mN7CommonCalc::MaxOfList({1.5, -3, 1.25}), QVariant(1.5));
    try {
        mN7CommonCalc::MaxOfList({});
        FAIL() << "an empty list must raise";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 9);
    }
}
