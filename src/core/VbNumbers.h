#pragma once

#include <optional>

#include <QStringView>

namespace core {

// VB's rounding where VB rounds to a whole number (CLng, "\"): halves go to the even neighbour.
double vbRoundHalfEven(double value);

// VB's CLng applied to a text: surrounding blanks, a sign, a decimal point, an exponent (E or D)
// and the "&H" / "&O" forms are understood, and fractions are rounded half to even. Nothing when
// the text is not a number or the result leaves the 32-bit range. Both "." and "," are read as the
// decimal mark, whatever the locale, so values typed on a Russian workstation convert too.
std::optional<qint32> vbLongFromText(QStringView text);

} // namespace core
