#pragma once

#include <QString>

#include "TextCollection.h"

namespace core {

class mZipper;

// A zip job, the packing twin of the unzip job: the caller fills the public fields, adds the
// paths of the files to pack and runs it; the result is the zip library's return code.
class N7Zipper final
{
public:
    explicit N7Zipper(mZipper& module);

    QString ZipDate;
    QString RootDir;
    QString TempDir;
    bool IsTemp = false; // held, not passed: the library's temporary-folder switch stays off
    int Suffix = 0;
    bool Encrypt = false;
    bool System = false;
    bool Volume = false;
    bool Extra = false;
    bool NoDirEntries = false;
    bool ExcludeDate = false;
    bool IncludeDate = false;
    bool Verbose = false;
    bool Quiet = false;
    bool CRLF_LF = false;
    bool LF_CRLF = false;
    bool JunkDir = false;
    bool Grow = false;
    bool Force = false;
    bool Move = false;
    bool DeleteEntries = false;
    bool Update = false;
    bool Freshen = false;
    bool JunkSFX = false;
    bool LatestTime = false;
    bool Offsets = false;
    bool Privilege = false;
    int Encryption = 0;
    int Recurse = 0;
    int Repair = 0;
    int Level = -1;
    bool RaiseErrorOnFail = false;
    bool DeleteExistingZipFile = true;
    QString ZipFileName;
    QString ZipInfo; // held, not passed
    QString Comment; // held, not passed

    void ClearFileNames();
    void AddFileName(QString aFileName);
    // The job's list itself, not a copy.
    TextCollection FileNames() const { return m_fileNames; }

    // Deletes an existing archive when asked, runs the job and returns the library's code; with
    // RaiseErrorOnFail another code than 0 raises error 1000 + code with the code's text.
    int DoZipping();

private:
    mZipper& m_module;
    TextCollection m_fileNames = newTextCollection();
};

} // namespace core
