#pragma once

#include <QList>
#include <QString>

namespace engine {

// One column of a protocol list sheet: the header of row 1, the width in characters, whether the
// whole column is centred, and whether it holds its values as text (format "@").
struct ExcelProtocolColumn
{
    QString header;
    double width = 0;
    bool centre = false;
    bool text = true;
};
using ExcelProtocolColumns = QList<ExcelProtocolColumn>;

} // namespace engine
