#pragma once

#include <QString>

namespace platform::excel {

class Range;
class Worksheet;

// The hyperlinks of a worksheet.
class Hyperlinks final
{
public:
    explicit Hyperlinks(Worksheet& sheet)
        : m_sheet(sheet)
    {
    }

    // Links the anchor cell to the address, replacing a link it had. The cell keeps its value (an
    // empty cell shows the address) and takes the link style.
    void Add(const Range& anchor, const QString& address);
    int Count() const;

private:
    Worksheet& m_sheet;
};

} // namespace platform::excel
