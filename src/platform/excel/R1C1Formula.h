#pragma once

#include <optional>

#include <QString>
#include <QStringView>

namespace platform::excel {

// Column letters of a column number: 1 gives "A", 27 gives "AA".
QString columnLetters(int column);

// The formula with every R1C1 reference ("RC[-9]", "R1C1", "R[2]C3") turned into A1 notation for
// the cell at (row, column); texts in quotes and quoted sheet names are left alone. A relative
// reference past an edge of the sheet wraps round to the other edge; nothing when an absolute
// reference lies outside the sheet.
std::optional<QString> r1c1ToA1(QStringView formula, int row, int column);

} // namespace platform::excel
