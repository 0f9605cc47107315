#pragma once

#include <QString>

namespace platform::excel {

class Workbook;

// Writes a workbook of the model as an .xlsx file with libxlsxwriter. Sheets are written row by
// row in libxlsxwriter's constant-memory mode, so the renderer's memory stays bounded whatever the
// number of rows. Beyond the 65,530 hyperlinks a sheet can hold, further links are written as
// HYPERLINK formulas (plain values when their texts are too long for a formula). The links of a
// sheet with many of them are written by the renderer itself (SheetLinks), as libxlsxwriter
// would write them, since libxlsxwriter keeps all of them in memory.
class XlsxRenderer final
{
public:
    // From this many hyperlinks in a sheet on, the renderer writes them itself.
    static constexpr int kOwnLinksFrom = 1000;

    // `ownLinksFrom` other than the default is for comparing the two ways of writing links.
    explicit XlsxRenderer(Workbook& workbook, int ownLinksFrom = kOwnLinksFrom);

    // Renders into a temporary folder, then copies the result into the file, replacing it only
    // once the copy is complete. A full disk raises "Disk full".
    void save(const QString& fileName) const;
    // Renders straight into the path.
    void render(const QString& path, const QString& tempFolder) const;

    // Copies a file's bytes into another, with the same failure mapping as save.
    static void copyFile(const QString& source, const QString& destination);

private:
    Workbook& m_workbook;
    int m_ownLinksFrom = kOwnLinksFrom;
};

} // namespace platform::excel
