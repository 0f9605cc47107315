#pragma once

#include <memory>

#include <QString>

class QFile;

namespace platform::excel {

// The hyperlinks of one large sheet, written by the renderer itself instead of libxlsxwriter,
// which keeps every link of a sheet in memory until the workbook is closed and then a 2 KB
// record per link while it writes the sheet's relationships (over 130 MB for the 65,530 links a
// sheet may hold). The <hyperlinks> element and the relationships part go into two temporary
// files as the rows go by, in exactly the form libxlsxwriter gives them; XlsxPackageLinks puts
// them into the workbook file afterwards.
class SheetLinks final
{
public:
    // Whether the renderer writes the address itself: a web or mail address that libxlsxwriter
    // would write as it stands once percent-encoded as every link is (nothing more to escape, no
    // "#" location to split off, within its length limit). Any other address leaves the sheet's
    // links to libxlsxwriter.
    static bool takes(const QString& address);

    // The files go into the folder; `sheet` is the sheet's position from 1.
    SheetLinks(const QString& folder, int sheet);
    ~SheetLinks();
    SheetLinks(const SheetLinks&) = delete;
    SheetLinks& operator=(const SheetLinks&) = delete;

    int sheet() const { return m_sheet; }
    int count() const { return m_count; }
    // Adds the link of the cell (from 1); links come in row order, and within a row in column order.
    void add(int row, int column, const QString& address);
    // Completes both files; raises like any write of the workbook when they cannot be written.
    void finish();

    // The <hyperlinks> element, and the whole relationships part of the sheet.
    QString elementFile() const;
    QString relationshipsFile() const;
    static QString sheetPart(int sheet);
    static QString relationshipsPart(int sheet);

private:
    void write(QFile& file, const QByteArray& bytes);

    int m_sheet = 0;
    int m_count = 0;
    std::unique_ptr<QFile> m_element;
    std::unique_ptr<QFile> m_relationships;
};

} // namespace platform::excel
