#include "Hyperlinks.h"

#include "ExcelError.h"
#include "Range.h"
#include "Worksheet.h"

namespace platform::excel {

void Hyperlinks::Add(const Range& anchor, const QString& address)
{
    m_sheet.checkOpen();
    if (anchor.kind() != Range::Kind::Cell || &anchor.Worksheet() != &m_sheet || address.isEmpty())
        error::raiseApplicationDefined();
    const int row = anchor.Row();
    const int column = anchor.Column();
    if (!m_sheet.value(row, column))
        m_sheet.setValue(row, column, address);
    m_sheet.cellLayer(row, column).hyperlink.set(true, m_sheet.nextStamp());
    m_sheet.setHyperlink(row, column, address);
}

int Hyperlinks::Count() const
{
    m_sheet.checkOpen();
    return m_sheet.hyperlinkCount();
}

} // namespace platform::excel
