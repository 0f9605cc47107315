#include <QStringList>

#include <gtest/gtest.h>

#include "engine/NameCleaning.h"
#include "support/QtPrinters.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using engine::NameCleaning;

namespace {

struct Case
{
    QString given;
    QString expected;
};

class NameCleaningTest : public testing::Test
{
protected:
    testsupport::TestRegistry store;
    NameCleaning cleaning{store.utility};
};

} // namespace

TEST_F(NameCleaningTest, ExcludeNegligibleDropsLegalFormsAndQuotes)
{
    const Case cases[] = {
        {u"ООО Ромашка"_s, u"Ромашка"_s},
        {u"Ромашка (ООО)"_s, u"Ромашка"_s},
        {u"ПАО «Лютик»"_s, u"Лютик"_s},
        {u"ООО «Ромашка»"_s, u"Ромашка"_s},
        {u"ООО«Ромашка»"_s, u"ОООРомашка"_s},
        {u"ООО"_s, u"ООО"_s},
        {u"ООО "_s, u"ООО"_s},
        {u"ооо Ромашка"_s, u"ооо Ромашка"_s},
        {u"ОООРомашка"_s, u"ОООРомашка"_s},
        {u"ООО ООО Ромашка"_s, u"ООО Ромашка"_s},
        {u"ООО АО Ромашка"_s, u"Ромашка"_s},
        {u"АО ООО Ромашка"_s, u"ООО Ромашка"_s},
        {u"ЗАО Ромашка (АО)"_s, u"Ромашка"_s},
        {u"Ромашка (АО) (ООО)"_s, u"Ромашка"_s},
        {u"Ромашка (ООО) (АО)"_s, u"Ромашка (ООО)"_s},
        {u"Ромашка(ООО)"_s, u"Ромашка(ООО)"_s},
        {u"  'Ро`ма\"шка'  "_s, u"Ромашка"_s},
        {u"ИП Иванов"_s, u"ИП Иванов"_s},
        {u"\tООО Ромашка"_s, u"\tООО Ромашка"_s},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        EXPECT_EQ(cleaning.ExcludeNegligible(c.given), c.expected);
    }
}

TEST_F(NameCleaningTest, EcrdiskReplacesWhatAFolderNameMayNotHold)
{
    const Case cases[] = {
        {u"a/b\\c*d?e:f&g<h>i"_s, u"a_b_c_d_e_f_g_h_i"_s},
        {u"Акт \"12\""_s, u"Акт '12'"_s},
        {u"a|b"_s, u"a|b"_s},
        {u"line\r\nbreak\ttab"_s, u"line__break_tab"_s},
        {u"nul"_s + QChar(0) + u"\x7F\x85"_s, u"nul___"_s},
        {u"..Акт 12. "_s, u"..Акт 12. "_s},
        {u"«Лютик»"_s, u"«Лютик»"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        EXPECT_EQ(NameCleaning::ecrdisk(c.given), c.expected);
    }
}

TEST_F(NameCleaningTest, TrimNegligibleCleansAndTrimsBlanksAndDots)
{
    const Case cases[] = {
        {u"..Акт 12. "_s, u"Акт 12"_s}, {u"Счёт: 5/6"_s, u"Счёт_ 5_6"_s}, {u"..."_s, QString()},
        {u" . . "_s, QString()},        {QString(), QString()},           {u"Акт\t"_s, u"Акт_"_s},
        {u"A.B"_s, u"A.B"_s},           {u"\"Лютик\"."_s, u"'Лютик'"_s},  {u"../../etc"_s, u"_.._etc"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        EXPECT_EQ(NameCleaning::TrimNegligible(c.given), c.expected);
    }
}

TEST_F(NameCleaningTest, CleanElementKeepsAnElementOnItsOwnLevel)
{
    const Case cases[] = {
        {u"Акт/счёт"_s, u"Акт_счёт"_s}, {u"..\\..\\x"_s, u".._.._x"_s}, {u"7701\n"_s, u"7701_"_s},
        {u"Входящий"_s, u"Входящий"_s}, {u"Счёт: 5"_s, u"Счёт: 5"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        EXPECT_EQ(NameCleaning::cleanElement(c.given), c.expected);
    }
}

TEST_F(NameCleaningTest, LongNamesStayWithin255BytesAtACharacterBoundary)
{
    const QString cyrillic = QString(300, u'ж');
    const QString trimmed = NameCleaning::TrimNegligible(cyrillic);
    EXPECT_EQ(trimmed, QString(127, u'ж')) << "127 two-byte letters fit, a 128th would make 256 bytes";
    EXPECT_EQ(trimmed.toUtf8().size(), 254);

    EXPECT_EQ(NameCleaning::TrimNegligible(QString(300, u'a')), QString(255, u'a'));
    EXPECT_EQ(NameCleaning::TrimNegligible(QString(126, u'ж') + u" ."_s + QString(100, u'ж')), QString(126, u'ж'))
        << "a cut that ends on a blank or a dot loses them";

    const QString emoji = u"😀"_s;
    const QString emojis = emoji.repeated(70);
    const QString cut = NameCleaning::cutToByteBudget(emojis, 255);
    EXPECT_EQ(cut, emoji.repeated(63)) << "a surrogate pair is never split";

    const QString combining = QString(u"и"_s + QChar(0x0306)).repeated(100); // й written as и and a breve
    const QString cutCombining = NameCleaning::cutToByteBudget(combining, 255);
    EXPECT_EQ(cutCombining.size() % 2, 0) << "a letter keeps its combining mark";
    EXPECT_LE(cutCombining.toUtf8().size(), 255);

    EXPECT_EQ(NameCleaning::cutToByteBudget(u"Акт"_s, 255), u"Акт"_s);
    EXPECT_EQ(NameCleaning::cutToByteBudget(u"Акт"_s, 5), u"Ак"_s);
    EXPECT_EQ(NameCleaning::cutToByteBudget(u"Акт"_s, 1), QString());
    EXPECT_EQ(NameCleaning::cutToByteBudget(u"Акт"_s, 0), QString());
}

TEST_F(NameCleaningTest, FolderNameKeepsItsSuffix)
{
    const QString suffix = u" ~e41b"_s;
    const QString fitted = NameCleaning::fitFolderName(QString(300, u'ж'), suffix);
    EXPECT_TRUE(fitted.endsWith(suffix));
    EXPECT_LE(fitted.toUtf8().size(), NameCleaning::kMaxNameBytes);
    EXPECT_EQ(fitted, QString(124, u'ж') + suffix);
    EXPECT_EQ(NameCleaning::fitFolderName(u"Акт 12"_s, suffix), u"Акт 12 ~e41b"_s);
    EXPECT_EQ(NameCleaning::fitFolderName(u"2024-"_s, suffix), u"2024- ~e41b"_s) << "no trimming before the suffix";
}

TEST_F(NameCleaningTest, ClosingALevelDropsTrailingBlanksAndDots)
{
    const Case cases[] = {
        {u"Ромашка"_s, u"Ромашка"_s},
        {u"2024-"_s, u"2024-"_s},
        {u"Ромашка. "_s, u"Ромашка"_s},
        {u"Ромашка ..  "_s, u"Ромашка"_s},
        {u" Ромашка"_s, u" Ромашка"_s},
        {u".."_s, QString()},
        {u" "_s, QString()},
        {QString(200, u'ж') + u" x"_s, QString(127, u'ж')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        EXPECT_EQ(NameCleaning::closeLevel(c.given), c.expected);
    }
}
