#pragma once

#include "ExtractFolder.h"
#include "UnzipLibrary.h"

namespace platform::zip {

// The unzip library on libzip. Entries are flattened into the target folder under safe names
// (see EntryName and ExtractFolder) unless ndflag asks for the stored folders, which are then
// rebuilt from cleaned components only. Switches it does not act on: fQuiet, naflag, nZIflag,
// fPrivilege.
class LibzipUnzip final : public UnzipLibrary
{
public:
    LibzipUnzip();
    explicit LibzipUnzip(ExtractFolder::WriteCall write);

    int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                             USERFUNCTIONS* lpUserFunctions) override;

private:
    ExtractFolder::WriteCall m_write;
};

} // namespace platform::zip
