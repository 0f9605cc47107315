#include "mN7InnChecking.h"

#include <array>

#include "base/Error.h"
#include "mErrorHandling.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr char16_t kModule[] = u"mN7InnChecking";
constexpr int kSubscriptOutOfRange = 9;

// By position from the right end: position 1 weighs 3.
constexpr std::array<int, 11> kWeights = {3, 5, 7, 13, 17, 19, 23, 29, 31, 37, 41};

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool allAsciiDigits(const QString& text)
{
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

} // namespace

int GetInnCorrectLength(int kind)
{
    try {
        switch (kind) {
        case 1:
            return 12;
        case 2:
            return 10;
        default:
            return 0;
        }
    } catch (...) {
        PropagateError(kModule, u"GetInnCorrectLength");
    }
}

bool IsInnLengthCorrect(int kind, const QString& inn)
{
    try {
        return inn.size() == GetInnCorrectLength(kind);
    } catch (...) {
        PropagateError(kModule, u"IsInnLengthCorrect");
    }
}

QString GetCRCDigit(const QString& digits)
{
    try {
        if (digits.size() > static_cast<qsizetype>(kWeights.size()))
            throw Error(kSubscriptOutOfRange, u"Subscript out of range"_s);
        int sum = 0;
        for (qsizetype position = 1; position <= digits.size(); ++position) {
            const QChar c = digits.at(digits.size() - position);
            const int digit = isAsciiDigit(c) ? c.unicode() - u'0' : 0;
            sum += digit * kWeights.at(static_cast<std::size_t>(position - 1));
        }
        const int remainder = sum % 11;
        return QString::number(remainder <= 1 ? 0 : 11 - remainder);
    } catch (...) {
        PropagateError(kModule, u"GetCRCDigit");
    }
}

bool IsInnCRCCorrect(int kind, const QString& inn)
{
    try {
        if (kind != 1 && kind != 2)
            return false;
        if (!IsInnLengthCorrect(kind, inn))
            return false;
        // Letters or other digits than 0-9 would count as 0 in the sum and could pass as a number.
        if (!allAsciiDigits(inn))
            return false;
        if (kind == 2)
            return inn.mid(9, 1) == GetCRCDigit(inn.left(9));
        return inn.mid(10, 1) == GetCRCDigit(inn.left(10)) && inn.mid(11, 1) == GetCRCDigit(inn.left(11));
    } catch (...) {
        PropagateError(kModule, u"IsInnCRCCorrect");
    }
}

} // namespace core
