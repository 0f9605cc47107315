#pragma once

#include <QString>
#include <QStringView>

namespace platform::excel {

// Where a workbook spills while it is filled and saved (rows beyond memory, the rendered file, the
// links of large sheets): files and folders in the temporary folder whose names carry the owner's
// process id, "fetchling-<kind>-<pid>-XXXXXX". A process killed meanwhile cannot remove its own;
// the next one to spill removes what processes that are gone left behind.
class ScratchSpace final
{
public:
    // The system's temporary folder when folder is empty.
    explicit ScratchSpace(const QString& folder);

    const QString& folder() const { return m_folder; }
    // The template of a QTemporaryFile or QTemporaryDir of the kind ("rows", "xlsx") for this process.
    QString nameTemplate(QStringView kind) const;
    // Removes the scratch files and folders of processes that no longer run.
    void removeLeftovers() const;

    // The owner's process id a scratch name carries, 0 for a name of another form.
    static qint64 ownerOf(const QString& name);

private:
    QString m_folder;
};

} // namespace platform::excel
