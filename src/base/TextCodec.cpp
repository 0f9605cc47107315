#include "TextCodec.h"

#include <algorithm>
#include <array>
#include <optional>

namespace core {

namespace {

// Characters of the bytes 0x80 to 0xFF. The byte 0x98 has no character in windows-1251; it is
// kept as U+0098 so that every byte survives a round trip, as the system's own converter does.
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Characters of the CP866 bytes 0x80 to 0xFF (the lower half is ASCII, as in ZIP entry names).
constexpr std::array<char16_t, 128> kCp866High = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407,
    0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

std::optional<char> cp1251Byte(char32_t character)
{
    if (character < 0x80)
        return static_cast<char>(character);
    if (character >= 0x0410 && character <= 0x044F) // the Cyrillic alphabet, the common case
        return static_cast<char>(0xC0 + (character - 0x0410));
    for (std::size_t i = 0; i < kCp1251High.size(); ++i) {
        if (kCp1251High[i] == character)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

template <typename Unmappable> QByteArray encode(QStringView text, Unmappable&& unmappable)
{
    // A character takes one byte, or none more than its code units, but for an unmappable one,
    // whose replacement may be longer: the bytes are written in place and made room for then.
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        char32_t character = unit.unicode();
        if (character < 0x80) {
            out[length++] = static_cast<char>(character);
            continue;
        }
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(unit, text[i + 1]);
            ++i;
        } else if (unit.isSurrogate()) {
            out[length++] = '?'; // half a pair is no character at all
            continue;
        }
        if (const auto byte = cp1251Byte(character)) {
            out[length++] = *byte;
            continue;
        }
        QByteArray replacement;
        unmappable(replacement, character);
        const qsizetype needed = length + replacement.size() + (text.size() - i - 1);
        if (needed > bytes.size()) {
            bytes.resize(needed);
            out = bytes.data();
        }
        std::copy(replacement.cbegin(), replacement.cend(), out + length);
        length += replacement.size();
    }
    bytes.truncate(length);
    return bytes;
}

QString decode(QByteArrayView bytes, const std::array<char16_t, 128>& high)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.append(value < 0x80 ? QChar(value) : QChar(high[value - 0x80]));
    }
    return text;
}

} // namespace

QByteArray TextCodec::toCp1251(QStringView text)
{
    return encode(text, [](QByteArray& bytes, char32_t) { bytes.append('?'); });
}

QByteArray TextCodec::toCp1251WithReferences(QStringView text)
{
    return encode(text, [](QByteArray& bytes, char32_t character) {
        bytes.append("&#").append(QByteArray::number(static_cast<quint32>(character))).append(';');
    });
}

bool TextCodec::isCp1251(QStringView text)
{
    bool all = true;
    encode(text, [&all](QByteArray&, char32_t) { all = false; });
    for (const QChar unit : text)
        all = all && !unit.isSurrogate();
    return all;
}

QString TextCodec::fromCp1251(QByteArrayView bytes)
{
    return decode(bytes, kCp1251High);
}

QString TextCodec::fromCp866(QByteArrayView bytes)
{
    return decode(bytes, kCp866High);
}

} // namespace core
