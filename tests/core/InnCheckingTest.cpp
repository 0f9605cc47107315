#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/mN7InnChecking.h"

using namespace Qt::StringLiterals;

namespace {

TEST(InnLength, ByKind)
{
    EXPECT_EQ(core::GetInnCorrectLength(1), 12);
    EXPECT_EQ(core::GetInnCorrectLength(2), 10);
    EXPECT_EQ(core::GetInnCorrectLength(0), 0);
    EXPECT_EQ(core::GetInnCorrectLength(3), 0);

    EXPECT_TRUE(core::IsInnLengthCorrect(1, u"12345678901a"_s)); // characters are not examined
    EXPECT_TRUE(core::IsInnLengthCorrect(2, u"1234567894"_s));
    EXPECT_FALSE(core::IsInnLengthCorrect(1, u"1234567894"_s));
    EXPECT_FALSE(core::IsInnLengthCorrect(2, u"123456789047"_s));
    EXPECT_TRUE(core::IsInnLengthCorrect(5, QString()));
    EXPECT_FALSE(core::IsInnLengthCorrect(5, u"1"_s));
}

TEST(InnCheckDigit, WeightsFromTheRight)
{
    struct Case
    {
        QString digits;
        QString check;
    };
    const Case cases[] = {
        {u"1"_s, u"8"_s},           {u"0"_s, u"0"_s},         {QString(), u"0"_s},
        {u"12"_s, u"0"_s},          {u"123456789"_s, u"4"_s}, {u"1234567890"_s, u"4"_s},
        {u"12345678904"_s, u"7"_s}, {u"a"_s, u"0"_s}, // a letter counts as 0
        {u"99999999999"_s, u"0"_s},                   // 9 x 225 = 2025, remainder 1
        {u"2"_s, u"5"_s},                             // 6: 11 - 6
        {u"4"_s, u"0"_s},                             // 12 % 11 = 1 gives 0, not 10
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.digits.toStdString());
        EXPECT_EQ(core::GetCRCDigit(c.digits), c.check);
    }
}

TEST(InnCheckDigit, MoreThanElevenDigitsFailWithItsPlace)
{
    try {
        core::GetCRCDigit(u"123456789012"_s);
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 9);
        EXPECT_TRUE(e.description().contains(u"mN7InnChecking.GetCRCDigit"_s)) << e.description().toStdString();
        EXPECT_TRUE(e.description().endsWith(u"Subscript out of range"_s));
    }
}

TEST(InnCheck, NumbersOfBothKinds)
{
    struct Case
    {
        int kind;
        QString inn;
        bool correct;
    };
    const Case cases[] = {
        {2, u"1234567894"_s, true},
        {2, u"1234567890"_s, false},
        {1, u"123456789047"_s, true},
        {1, u"123456789040"_s, false},
        {1, u"123456789057"_s, false}, // wrong first check digit
        {1, u"1234567894"_s, false},   // length of the other kind
        {2, u"123456789047"_s, false},
        {3, u"1234567894"_s, false},
        {0, QString(), false},
        {2, u"a234567894"_s, false}, // letters never pass, even where they would count as 0
        {2, u"0000000000"_s, true},
        {2, u"O000000000"_s, false},           // a letter O where 0 would pass
        {2, u"１２３４５６７８９４"_s, false}, // full-width digits are not digits of a number
        {2, u"123456789\u0664"_s, false},      // Arabic-Indic four
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + c.inn.toStdString());
        EXPECT_EQ(core::IsInnCRCCorrect(c.kind, c.inn), c.correct);
    }
}

} // namespace
