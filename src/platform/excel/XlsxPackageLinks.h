#pragma once

#include <vector>

#include <QString>

namespace platform::excel {

class SheetLinks;

// Puts the hyperlinks that the renderer wrote itself (SheetLinks) into the workbook file that
// libxlsxwriter made: a sheet's <hyperlinks> element goes where libxlsxwriter puts it, just before
// the page margins, and its relationships become the sheet's relationships part. Every other part
// is copied as it is, without being packed again; of a sheet with links, only the end from the last
// deflate block before the page margins on is packed again.
class XlsxPackageLinks final
{
public:
    // Rewrites the file through files in the temporary folder. Raises "Disk full" or the write
    // error of the workbook when a file cannot be written; the file is then left as it was.
    static void insert(const QString& path, const QString& tempFolder, const std::vector<const SheetLinks*>& sheets);
};

} // namespace platform::excel
