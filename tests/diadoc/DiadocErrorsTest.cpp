#include <gtest/gtest.h>

#include <QSize>

#include "base/Error.h"
#include "diadoc/mDiadocErrors.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;

namespace {

class DiadocErrorsTest : public testing::Test
{
protected:
    testsupport::TestRegistry store;
    diadoc::mDiadocErrors errors{store.utility};
};

struct RangCase
{
    const char* what;
    QString error;
    QString prefix;
    QString middle;
    QString suffix;
    int expected;
};

const QString kWin4 = u"WIN32[0x00000004]"_s;
const QString kCannotOpen = u"The system cannot open the file."_s;
const QString kWin3 = u"WIN32[0x00000003]"_s;
const QString kCannotFind = u"The system cannot find the path specified."_s;
const QString kBadTypes = u"COM1C.HTTP_ERROR[0x00000190]code 400:"_s;
const QString kConflict = u"COM1C.HTTP_ERROR[0x00000199]code 409:"_s;
const QString kNotFound = u"##100[Ошибка сервера Диадок]code:404, HTTP error: Entity"_s;

} // namespace

TEST_F(DiadocErrorsTest, RangErrorMatchesBeginningEndAndInnerPartExactly)
{
    const RangCase cases[] = {
        // Length boundary: the three parts together decide the shortest error that can match.
        {"prefix and suffix alone, empty middle", kWin4 + kCannotOpen, kWin4, {}, kCannotOpen, 1},
        {"one character short of all three parts", u"ABC"_s, u"AB"_s, u"B"_s, u"BC"_s, 0},
        {"exactly as long as all three parts", u"ABBBC"_s, u"AB"_s, u"B"_s, u"BC"_s, 1},
        {"overlapping ends, too short for both", u"ABC"_s, u"AB"_s, {}, u"BC"_s, 0},
        // The middle is searched in the whole text, the prefix and suffix included.
        {"middle only inside the prefix", kConflict + u" see the server log"_s, kConflict, u"HTTP_ERROR"_s, {}, 1},
        {"middle inside the prefix, text too short for all parts",
         kConflict + u" x"_s,
         kConflict,
         u"HTTP_ERROR"_s,
         {},
         0},
        {"middle only inside the suffix", kWin4 + u" at 12:00. "_s + kCannotOpen, kWin4, u"cannot open"_s, kCannotOpen,
         1},
        {"middle absent", kWin4 + u" at 12:00. "_s + kCannotOpen, kWin4, u"denied"_s, kCannotOpen, 0},
        {"middle in another letter case",
         kBadTypes + u" document types are invalid"_s,
         kBadTypes,
         u"Document types are invalid"_s,
         {},
         0},
        // Both ends compare exactly.
        {"prefix in lower case", u"win32[0x00000004]"_s + kCannotOpen, kWin4, {}, kCannotOpen, 0},
        {"suffix in another letter case", kWin4 + u"The System cannot open the file."_s, kWin4, {}, kCannotOpen, 0},
        {"suffix without its full stop", kWin4 + u"The system cannot open the file"_s, kWin4, {}, kCannotOpen, 0},
        {"suffix followed by a line break", kWin4 + kCannotOpen + u"\r\n"_s, kWin4, {}, kCannotOpen, 0},
        {"prefix after a leading blank", u" "_s + kWin4 + kCannotOpen, kWin4, {}, kCannotOpen, 0},
        {"another code in the prefix", kWin3 + kCannotOpen, kWin4, {}, kCannotOpen, 0},
        {"another sentence at the end", kWin4 + kCannotFind, kWin4, {}, kCannotOpen, 0},
        {"Cyrillic prefix in another letter case",
         u"##100[ошибка сервера Диадок]code:404, HTTP error: Entity x "
         u"not found in message"_s,
         kNotFound,
         u"not found in message"_s,
         {},
         0},
        // The classifications the request and download queues make.
        {"path not found", kWin3 + u" "_s + kCannotFind, kWin3, {}, kCannotFind, 1},
        {"any operating system error", u"WIN32[0x00000005]Access is denied."_s, u"WIN32[0x"_s, {}, {}, 1},
        {"hexadecimal mark in upper case", u"WIN32[0X00000005]Access is denied."_s, u"WIN32[0x"_s, {}, {}, 0},
        {"entity not found",
         kNotFound + u" 3f2a not found in message 77"_s,
         kNotFound,
         u"not found in message"_s,
         {},
         1},
        {"entity found but phrase capitalised",
         kNotFound + u" 3f2a Not found in message 77"_s,
         kNotFound,
         u"not found in message"_s,
         {},
         0},
        {"refused document types",
         kBadTypes + u" Document types are invalid: Foo"_s,
         kBadTypes,
         u"Document types are invalid"_s,
         {},
         1},
        {"refused document types under another code",
         kConflict + u" Document types are invalid: Foo"_s,
         kBadTypes,
         u"Document types are invalid"_s,
         {},
         0},
        {"print form not supported",
         kConflict + u" Generating print form for this type of document is not supported"_s,
         kConflict,
         u"Generating print form for this type of document is not supported"_s,
         {},
         1},
        {"bad variant access", u"bad variant access"_s, u"bad variant access"_s, {}, {}, 1},
        // Empty parts match every text, the empty one included.
        {"everything empty", {}, {}, {}, {}, 1},
        {"empty parts, any text", u"anything"_s, {}, {}, {}, 1},
        {"empty text against a prefix", {}, u"W"_s, {}, {}, 0},
    };
    for (const RangCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(errors.RangError(c.error, c.prefix, c.middle, c.suffix), c.expected);
    }
}

TEST_F(DiadocErrorsTest, RangErrorGivesZeroForNullEvenWhenEveryPartIsEmpty)
{
    EXPECT_EQ(errors.RangError(QVariant(), {}, {}, {}), 0);
    EXPECT_EQ(errors.RangError(QVariant::fromValue(nullptr), {}, {}, {}), 0);
    EXPECT_EQ(errors.RangError(QVariant(QString()), {}, {}, {}), 1) << "an empty text is not Null";
}

TEST_F(DiadocErrorsTest, RangErrorTakesAnyValueWithATextForm)
{
    EXPECT_EQ(errors.RangError(QVariant(4090904), u"409"_s, u"09"_s, u"04"_s), 1);
    EXPECT_EQ(errors.RangError(QVariant(4090904), u"409"_s, {}, u"4."_s), 0);
}

TEST_F(DiadocErrorsTest, RangErrorRefusesAValueWithoutTextAndNamesItselfInTheTrail)
{
    try {
        errors.RangError(QVariant(QSize(3, 4)), {}, {}, {});
        FAIL() << "a value without a text form must not be judged";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 13);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::mDiadoc.RangError]"_s)) << e.what();
        EXPECT_TRUE(e.description().endsWith(u"Type mismatch"_s)) << e.what();
    }
}

TEST_F(DiadocErrorsTest, ErrorIsSearchesTheWholeTextAsTheUtilityDoes)
{
    const QString text = u"##100[Ошибка сервера Диадок]code:401, HTTP error: Invalid API client id"_s;
    EXPECT_TRUE(errors.ErrorIs(text, u"Invalid API client id"_s));
    EXPECT_TRUE(errors.ErrorIs(text, u"##100"_s)) << "the very first character counts";
    EXPECT_TRUE(errors.ErrorIs(text, u"Ошибка сервера"_s));
    EXPECT_FALSE(errors.ErrorIs(text, u"invalid API client id"_s));
    EXPECT_FALSE(errors.ErrorIs(text, u"Invalid API client id."_s));
    EXPECT_FALSE(errors.ErrorIs(u"short"_s, u"short text"_s));
    EXPECT_FALSE(errors.ErrorIs({}, u"x"_s));
}

TEST_F(DiadocErrorsTest, DiadocErrorTranslateGivesRussianTextsForTheTwoSignInErrorsOnly)
{
    const QString key = QString::fromUtf16(diadoc::mDiadocErrors::kInvalidApiKeyText);
    const QString login = QString::fromUtf16(diadoc::mDiadocErrors::kWrongLoginText);
    EXPECT_EQ(key, u"Неверный ключ к Диадок API"_s);
    EXPECT_EQ(login, u"Неверный логин или пароль"_s);

    const struct
    {
        QString error;
        QString expected;
    } cases[] = {
        {u"##100[Ошибка сервера Диадок]code:401, HTTP error: Invalid API client id"_s, key},
        {u"##100[Ошибка сервера Диадок]code:401, HTTP error: Wrong password provided for login ivanov"_s, login},
        {u"##100 Wrong password provided for login; Invalid API client id"_s, key},
        {u"##100 Invalid API client id; Wrong password provided for login"_s, key},
        {u"##100Invalid API client id"_s, key},
        // Near misses keep the client's own text.
        {u"Invalid API client id"_s, u"Invalid API client id"_s},
        {u"COM1C.HTTP_ERROR[0x00000191]code 401: Invalid API client id"_s,
         u"COM1C.HTTP_ERROR[0x00000191]code 401: Invalid API client id"_s},
        {u" ##100 Invalid API client id"_s, u" ##100 Invalid API client id"_s},
        {u"##10 Invalid API client id"_s, u"##10 Invalid API client id"_s},
        {u"##100 invalid API client id"_s, u"##100 invalid API client id"_s},
        {u"##100 Wrong password provided for Login"_s, u"##100 Wrong password provided for Login"_s},
        {u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal"_s,
         u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal"_s},
        {u"##100"_s, u"##100"_s},
        {{}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        EXPECT_EQ(errors.DiadocErrorTranslate(c.error), c.expected);
    }
}
