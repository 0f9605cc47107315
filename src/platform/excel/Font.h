#pragma once

#include "Range.h"

namespace platform::excel {

// The font of a range; the protocol only makes it bold.
class Font final
{
public:
    explicit Font(Range range)
        : m_range(range)
    {
    }

    bool Bold() const { return m_range.format().bold; }
    void setBold(bool bold) { m_range.setFontBold(bold); }

private:
    Range m_range;
};

} // namespace platform::excel
