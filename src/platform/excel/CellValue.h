#pragma once

#include <variant>

#include <QDateTime>
#include <QString>

namespace platform::excel {

// A formula kept as its clients wrote it, in R1C1 notation; the model does not calculate it.
struct Formula
{
    QString r1c1;
    bool operator==(const Formula&) const = default;
};

using Empty = std::monostate;

// What one cell holds: nothing, a text, a number, a boolean, a date and time, or a formula.
using CellValue = std::variant<Empty, QString, double, bool, QDateTime, Formula>;

} // namespace platform::excel
