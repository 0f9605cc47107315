#pragma once

#include <QString>
#include <QStringList>

#include "TextCollection.h"

namespace core {

class mUnzipper;

// An unzip job: the caller fills the public fields, runs it and gets the unzip library's return
// code and the names of the entries the library reported.
class N7UnZipper final
{
public:
    explicit N7UnZipper(mUnzipper& module);

    bool ExtractOnlyNewer = false;
    bool SpaceUnderScore = false;
    bool PromptOverWrite = false;
    int Quiet = 2;
    bool WriteStdOut = false;
    bool TestZip = false;
    int ExtractOrList = 0; // 0 extract, 1 list
    bool FreshenExisting = false;
    bool DisplayComment = false;
    bool HonorDirectories = false;
    bool OverWriteFiles = true;
    bool ConvertCR_CRLF = false;
    bool Verbose = false;
    bool CaseSensitivity = false;
    int Privilege = 0;
    QString ZipFileName;
    QString ExtractDir;
    TextCollection ZipNames = newTextCollection();
    TextCollection ExcludeFiles = newTextCollection();
    // Names that no extracted file may take in ExtractDir, such as the files the caller writes
    // there itself: an entry of such a name is numbered ("DCInfo (2).n7l").
    QStringList ReservedNames;
    bool RaiseErrorOnFail = false;
    TextCollection UnzippedFileNames; // none until the first run, replaced by every run

    // Runs the job as its fields stand; 0 is success. With RaiseErrorOnFail another code raises
    // error 1000 + code with the code's text.
    int DoUnzipping();
    // Lists the archive: ExtractOrList becomes 1 and stays so.
    int DoListFiles(TextCollection& aFiles);

private:
    mUnzipper& m_module;
};

} // namespace core
