#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include "base/TextCodec.h"

using namespace Qt::StringLiterals;
using core::TextCodec;

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

} // namespace

TEST(TextCodecTest, EveryCp1251ByteSurvivesARoundTrip)
{
    const QByteArray bytes = allBytes();
    const QString text = TextCodec::fromCp1251(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(TextCodec::toCp1251(text), bytes);
    EXPECT_EQ(TextCodec::toCp1251WithReferences(text), bytes);
    EXPECT_TRUE(TextCodec::isCp1251(text));
    // Each byte has a character of its own.
    EXPECT_EQ(QSet<QChar>(text.begin(), text.end()).size(), 256);
}

TEST(TextCodecTest, Cp1251KnowsTheCyrillicLettersAndSigns)
{
    EXPECT_EQ(TextCodec::toCp1251(u"АЯаяЁё№€"_s), QByteArray("\xC0\xDF\xE0\xFF\xA8\xB8\xB9\x88"));
    EXPECT_EQ(TextCodec::fromCp1251("\xCF\xF0\xE8\xE2\xE5\xF2, \x97 \xAB\xBB"), u"Привет, — «»"_s);
}

TEST(TextCodecTest, AgreesWithTheSystemConverterWhereOneIsAvailable)
{
    struct Decoder
    {
        const char* name;
        QString (*ours)(QByteArrayView);
        int undefinedByte;
    };
    const Decoder decoders[] = {{"windows-1251", &TextCodec::fromCp1251, 0x98}, {"IBM866", &TextCodec::fromCp866, -1}};
    for (const Decoder& d : decoders) {
        SCOPED_TRACE(d.name);
        QStringDecoder system(d.name);
        if (!system.isValid())
            continue;
        for (int i = 0x80; i < 256; ++i) {
            if (i == d.undefinedByte)
                continue;
            const QByteArray byte(1, static_cast<char>(i));
            EXPECT_EQ(d.ours(byte), QStringDecoder(d.name).decode(byte)) << "byte " << i;
        }
    }
}

TEST(TextCodecTest, MissingCharactersBecomeQuestionMarksOrReferences)
{
    const QString text = u"a\u4E2Db\U0001F600c\u00E9"_s; // CJK, an emoji (a surrogate pair), é
    EXPECT_EQ(TextCodec::toCp1251(text), QByteArray("a?b?c?"));
    EXPECT_EQ(TextCodec::toCp1251WithReferences(text), QByteArray("a&#20013;b&#128512;c&#233;"));
    EXPECT_FALSE(TextCodec::isCp1251(text));
    // Half a surrogate pair is no character: a question mark in both forms.
    const QString broken = QString(QChar(0xD800)) + u"x"_s;
    EXPECT_EQ(TextCodec::toCp1251(broken), QByteArray("?x"));
    EXPECT_EQ(TextCodec::toCp1251WithReferences(broken), QByteArray("?x"));
    EXPECT_FALSE(TextCodec::isCp1251(broken));
}

TEST(TextCodecTest, Cp866DecodesEntryNamesOfOldArchives)
{
    EXPECT_EQ(TextCodec::fromCp866("\x8F\xE0\xA8\xAC\xA5\xE0.txt"), u"Пример.txt"_s);
    EXPECT_EQ(TextCodec::fromCp866("\xF0\xF1\xFC"), u"Ёё№"_s);
    const QString all = TextCodec::fromCp866(allBytes());
    ASSERT_EQ(all.size(), 256);
    EXPECT_EQ(QSet<QChar>(all.begin(), all.end()).size(), 256) << "no two bytes share a character";
    EXPECT_EQ(all.left(128), TextCodec::fromCp1251(allBytes().left(128))) << "the lower half is ASCII";
}
