#include "R1C1Formula.h"

#include "XlConstants.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'\\';
}

// One part of a reference after its letter: "[n]" relative, "n" absolute, nothing for the same row
// or column. Moves `pos` past what it read.
struct Part
{
    bool relative = true;
    int value = 0;
};

std::optional<Part> readPart(QStringView text, qsizetype& pos)
{
    Part part;
    if (pos < text.size() && text[pos] == u'[') {
        const qsizetype close = text.indexOf(u']', pos);
        if (close < 0)
            return std::nullopt;
        bool ok = false;
        part.value = text.mid(pos + 1, close - pos - 1).toInt(&ok);
        if (!ok)
            return std::nullopt;
        pos = close + 1;
        return part;
    }
    const qsizetype start = pos;
    while (pos < text.size() && text[pos].isDigit())
        ++pos;
    if (pos > start) {
        bool ok = false;
        part.relative = false;
        part.value = text.mid(start, pos - start).toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return part;
}

// A relative reference that runs off one edge of the sheet comes back in at the other, as in the
// spreadsheet: one column left of A is XFD.
int wrapped(int position, int size)
{
    return ((position - 1) % size + size) % size + 1;
}

} // namespace

QString columnLetters(int column)
{
    QString letters;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        letters.prepend(QChar(u'A' + rest));
        column = (column - 1) / 26;
    }
    return letters;
}

std::optional<QString> r1c1ToA1(QStringView formula, int row, int column)
{
    QString result;
    result.reserve(formula.size());
    qsizetype pos = 0;
    while (pos < formula.size()) {
        const QChar c = formula[pos];
        if (c == u'"' || c == u'\'') {
            // A text or a quoted sheet name: copied up to its closing quote (a doubled quote stays inside).
            qsizetype end = pos + 1;
            while (end < formula.size()) {
                if (formula[end] == c) {
                    if (end + 1 < formula.size() && formula[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            result += formula.mid(pos, end + 1 - pos);
            pos = end + 1;
            continue;
        }
        if (c == u'R' && (pos == 0 || !isNamePart(formula[pos - 1]))) {
            qsizetype end = pos + 1;
            const std::optional<Part> rowPart = readPart(formula, end);
            if (rowPart && end < formula.size() && formula[end] == u'C') {
                ++end;
                const std::optional<Part> columnPart = readPart(formula, end);
                const bool standsAlone = end >= formula.size() || (!isNamePart(formula[end]) && formula[end] != u'(');
                if (columnPart && standsAlone) {
                    const int r = rowPart->relative ? wrapped(row + rowPart->value, kMaxRows) : rowPart->value;
                    const int k =
                        columnPart->relative ? wrapped(column + columnPart->value, kMaxColumns) : columnPart->value;
                    if (r < 1 || r > kMaxRows || k < 1 || k > kMaxColumns)
                        return std::nullopt;
                    result += (columnPart->relative ? QString() : u"$"_s) + columnLetters(k)
                              + (rowPart->relative ? QString() : u"$"_s) + QString::number(r);
                    pos = end;
                    continue;
                }
            }
        }
        result += c;
        ++pos;
    }
    return result;
}

} // namespace platform::excel
