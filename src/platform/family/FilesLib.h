#pragma once

#include <QString>
#include <QStringList>

namespace platform::family {

// The family's file library: drive of a path, file search by mask, file removal and moving a
// folder aside. Failures raise core::Error.
class FilesLib final
{
public:
    // The mount point that holds the path, for a free-space query; empty when there is none.
    QString DriveRoot(const QString& path) const;
    // Full paths of the files directly in folder whose names match the mask ("*" and "?"),
    // without regard to case, ordered by name.
    QStringList FindFiles(const QString& folder, const QString& mask, int attributes, bool sorted) const;
    // The full path of the file when it exists, else the empty text.
    QString ExistingFilePath(const QString& path) const;
    // Removes the file; a file that is not there is no failure.
    void RemoveFile(const QString& path, bool force) const;
    // Moves the folder aside to the first free name "<folder>~N", so that a new attempt starts in
    // an empty folder and nothing of the old one is lost. Answers the new path.
    QString RenameFolder(const QString& folder, int flags, int options) const;
};

// True when name matches a file mask of "*" and "?" without regard to case.
bool matchesMask(const QString& name, const QString& mask);

} // namespace platform::family
