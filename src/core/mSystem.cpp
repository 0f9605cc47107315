#include "mSystem.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include <QFile>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/SystemErrorText.h"
#include "mErrorHandling.h"

using namespace Qt::StringLiterals;

namespace core::mSystem {

namespace {

constexpr char16_t kModule[] = u"mSystem";

struct Unit
{
    double divisor;
    const char16_t* text;
};

constexpr std::array kUnits = {
    Unit{1099511627776.0, u" ТБ"},
    Unit{1073741824.0, u" ГБ"},
    Unit{1048576.0, u" МБ"},
    Unit{1024.0, u" КБ"},
};

// A "kB" line of /proc/<pid>/status in bytes; 0 when the line is missing.
quint64 statusBytes(const QByteArray& status, QByteArrayView field)
{
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith(field) || line.size() <= field.size() || line[field.size()] != ':')
            continue;
        QByteArray value = line.mid(field.size() + 1).trimmed();
        const qsizetype unit = value.indexOf(' ');
        const bool kilo = unit >= 0;
        if (kilo)
            value.truncate(unit);
        return value.toULongLong() * (kilo ? 1024 : 1);
    }
    return 0;
}

// Minor and major page faults of /proc/<pid>/stat (fields 10 and 12, counted after the command
// name, which may hold spaces and brackets of its own).
quint64 pageFaults(const QByteArray& stat)
{
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    // After the bracket: state(3) ppid(4) pgrp(5) session(6) tty(7) tpgid(8) flags(9) minflt(10)
    // cminflt(11) majflt(12).
    if (fields.size() < 10)
        return 0;
    return fields[7].toULongLong() + fields[9].toULongLong();
}

QByteArray readProcFile(const char* path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(failure::kPathFileAccessNumber, file.errorString(), QString::fromLatin1(path));
    return file.readAll();
}

// The decimal digits of a whole count, without separators or exponent.
QString wholeDigits(double count)
{
    return QString::number(std::round(count), 'f', 0);
}

} // namespace

ProcessMemoryCounters parseProcessMemory(const QByteArray& status, const QByteArray& stat)
{
    ProcessMemoryCounters counters;
    counters.PageFaultCount = pageFaults(stat);
    counters.PeakWorkingSetSize = statusBytes(status, "VmHWM");
    counters.WorkingSetSize = statusBytes(status, "VmRSS");
    counters.PagefileUsage = statusBytes(status, "VmData") + statusBytes(status, "VmStk");
    counters.PeakPagefileUsage = statusBytes(status, "VmPeak");
    return counters;
}

ProcessMemoryCounters Get_ProcessMemoryInfo()
{
    try {
        return parseProcessMemory(readProcFile("/proc/self/status"), readProcFile("/proc/self/stat"));
    } catch (...) {
        PropagateError(kModule, u"Get_ProcessMemoryInfo");
    }
}

double ConvertFromUnsignedLong64(quint32 low, quint32 high)
{
    return static_cast<double>(low) + static_cast<double>(high) * 4294967296.0;
}

QString MemCStr(double count, bool shortForm)
{
    try {
        const bool negative = count < 0;
        if (negative)
            count = -count;
        QString text;
        for (const Unit& unit : kUnits) {
            if (count > unit.divisor * 0.9) {
                text = CStr1_00(count / unit.divisor) + QString::fromUtf16(unit.text);
                break;
            }
        }
        if (text.isEmpty())
            text = wholeDigits(count) + u" байт"_s;
        if (negative)
            text.prepend(u'-');
        if (!shortForm)
            text += u" ("_s + (negative ? u"-"_s : QString()) + wholeDigits(count) + u')';
        return text;
    } catch (...) {
        PropagateError(kModule, u"MemCStr");
    }
}

QString CStr1_00(double number)
{
    try {
        if (!std::isfinite(number))
            return QString::number(number);
        // The number as the system sees it, with 15 significant digits, then rounded in decimal
        // at the second decimal, halves away from zero: 0.125 gives 0.13, 2.675 gives 2.68.
        // std::to_chars, unlike printf, never takes the decimal mark from the C locale.
        std::array<char, 64> buffer{};
        const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(number),
                                           std::chars_format::scientific, 14);
        const QByteArray scientific(buffer.data(), written.ptr - buffer.data());
        const qsizetype e = scientific.indexOf('e');
        const QByteArray mantissa = scientific.left(e).replace(".", "");
        const int exponent = scientific.mid(e + 1).toInt();

        // digits holds the value times 100 as a whole decimal number, before rounding.
        const int wholeAndTwo = exponent + 3; // digits of the mantissa that stand left of the cut
        QByteArray digits;
        bool roundUp = false;
        if (wholeAndTwo <= 0) {
            digits = "0";
            roundUp = wholeAndTwo == 0 && mantissa[0] >= '5';
        } else if (wholeAndTwo >= mantissa.size()) {
            digits = mantissa + QByteArray(wholeAndTwo - mantissa.size(), '0');
        } else {
            digits = mantissa.left(wholeAndTwo);
            roundUp = mantissa[wholeAndTwo] >= '5';
        }
        if (roundUp) {
            qsizetype i = digits.size() - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i >= 0)
                digits[i] = static_cast<char>(digits[i] + 1);
            else
                digits.prepend('1');
        }
        while (digits.size() < 3)
            digits.prepend('0');
        QByteArray whole = digits.left(digits.size() - 2);
        while (whole.size() > 1 && whole[0] == '0')
            whole.remove(0, 1);
        QByteArray fraction = digits.right(2);
        while (!fraction.isEmpty() && fraction.back() == '0')
            fraction.chop(1);

        QString text = QString::fromLatin1(whole);
        if (!fraction.isEmpty())
            text += u'.' + QString::fromLatin1(fraction);
        if (number < 0 && text != u"0"_s)
            text.prepend(u'-');
        return text;
    } catch (...) {
        PropagateError(kModule, u"CStr1_00");
    }
}

QString GetApiErrorMessage(int code)
{
    try {
        // strerrorname_np knows exactly the numbers that the system has a text for.
        if (strerrorname_np(code) != nullptr)
            return systemErrorText(code);
        return u"Unknown API error "_s + QString::number(code) + u" (0x"_s
               + QString::number(static_cast<quint32>(code), 16).toUpper() + u')';
    } catch (...) {
        PropagateError(kModule, u"GetApiErrorMessage");
    }
}

} // namespace core::mSystem
