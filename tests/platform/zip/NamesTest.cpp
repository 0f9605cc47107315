#include <QString>

#include <gtest/gtest.h>

#include "base/TextCodec.h"
#include "platform/zip/EntryName.h"
#include "platform/zip/WildcardMatch.h"

using namespace Qt::StringLiterals;
using platform::zip::EntryName;
using platform::zip::wildcardMatch;

namespace {

TEST(EntryNameTest, SafeComponentRemovesWhatCouldLeaveOrBreakTheFolder)
{
    const QList<std::pair<QString, QString>> cases = {
        {u"report.pdf"_s, u"report.pdf"_s},
        {u""_s, u""_s},
        {u"."_s, u""_s},
        {u".."_s, u""_s},
        {u"   "_s, u""_s},
        {u"C:x.txt"_s, u"x.txt"_s},
        {u"a:b"_s, u"b"_s},
        {u"q?*<>|\".txt"_s, u"q______.txt"_s},
        {u"tab\there"_s, u"tab_here"_s},
        {u"x\u0085y"_s, u"x_y"_s},
        {u".hidden"_s, u".hidden"_s},
    };
    for (const auto& [given, expected] : cases) {
        SCOPED_TRACE(given.toStdString());
        EXPECT_EQ(EntryName::safeComponent(given), expected);
    }
}

TEST(EntryNameTest, NumberedNamesStayWithinTheByteLimitWithoutSplittingACharacter)
{
    EXPECT_EQ(EntryName::numbered(u"doc.txt"_s, 2), u"doc (2).txt"_s);
    EXPECT_EQ(EntryName::numbered(u"archive.tar.gz"_s, 3), u"archive.tar (3).gz"_s);
    EXPECT_EQ(EntryName::numbered(u".profile"_s, 2), u".profile (2)"_s);
    const QString longName = QString(300, u'€') + u".xml"_s; // three bytes each
    for (const int copy : {1, 2, 100}) {
        const QString numbered = EntryName::numbered(longName, copy);
        EXPECT_LE(numbered.toUtf8().size(), 255);
        EXPECT_GE(numbered.toUtf8().size(), 250);
        EXPECT_TRUE(numbered.endsWith(copy >= 2 ? u" ("_s + QString::number(copy) + u").xml"_s : u".xml"_s));
        EXPECT_FALSE(numbered.contains(QChar::ReplacementCharacter));
    }
    // A name of characters outside the basic plane is cut between characters, never inside one.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\x84").repeated(100);
    EXPECT_EQ(EntryName::numbered(emoji, 1), QString::fromUtf8("\xF0\x9F\x93\x84").repeated(63));
}

TEST(EntryNameTest, DecodingPrefersUtf8AndFallsBackToCp866)
{
    EXPECT_EQ(EntryName::decode(u"Счёт"_s.toUtf8(), false), u"Счёт"_s);
    EXPECT_EQ(EntryName::decode(QByteArray("\x91\xE7\xF1\xE2"), false), u"Счёт"_s);
    EXPECT_EQ(EntryName::decode(QByteArray("plain"), false), u"plain"_s);
}

TEST(CodePagesTest, Cp1251RoundTripsCyrillicAndReplacesWhatItLacks)
{
    const QString text = u"Привет, Ёж №1 — «€»"_s;
    EXPECT_EQ(core::TextCodec::fromCp1251(core::TextCodec::toCp1251(text)), text);
    EXPECT_EQ(core::TextCodec::toCp1251(u"a中b"_s), QByteArray("a?b"));
    EXPECT_EQ(core::TextCodec::toCp1251(QString::fromUtf8("x\xF0\x9F\x93\x84y")), QByteArray("x?y"));
    EXPECT_EQ(core::TextCodec::toCp1251(u"Я"_s), QByteArray("\xDF"));
    EXPECT_EQ(core::TextCodec::fromCp866(QByteArray("\x80\xAF\xE0\xEF\xF0\xF1\xFC")), u"АпряЁё№"_s);
}

TEST(WildcardMatchTest, PatternsOfTheUnzipInterface)
{
    struct Case
    {
        QString pattern;
        QString name;
        bool caseInsensitive;
        bool matches;
    };
    const QList<Case> cases = {
        {u"*.*"_s, u"README"_s, false, true},
        {u"*.txt"_s, u"a/b.txt"_s, false, true},
        {u"*.txt"_s, u"b.TXT"_s, false, false},
        {u"*.txt"_s, u"b.TXT"_s, true, true},
        {u"?.xml"_s, u"a.xml"_s, false, true},
        {u"?.xml"_s, u"ab.xml"_s, false, false},
        {u"[ab]*"_s, u"beta"_s, false, true},
        {u"[!ab]*"_s, u"beta"_s, false, false},
        {u"[a-c]x"_s, u"bx"_s, false, true},
        {u"[x"_s, u"[x"_s, false, true},
        {u"docs/a.txt"_s, u"docs/a.txt"_s, false, true},
        {u"*a*a*a*a*b"_s, QString(60, u'a'), false, false},
        {u""_s, u""_s, false, true},
        {u"*"_s, u""_s, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(c.pattern + u" ~ "_s + c.name).toStdString());
        EXPECT_EQ(wildcardMatch(c.pattern, c.name, c.caseInsensitive), c.matches);
    }
}

} // namespace
