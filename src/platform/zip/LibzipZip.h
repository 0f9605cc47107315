#pragma once

#include <QByteArray>

#include "ZipLibrary.h"

namespace platform::zip {

// The zip library on libzip. Names in the list are windows-1251 paths, relative to szRootDir when
// that is given, and may hold wildcards; they are stored in the archive as UTF-8. Switches it does
// not act on: fTemp, fSuffix, fSystem, fVolume, fExtra, fVerbose, fQuiet, fCRLF_LF, fLF_CRLF,
// fGrow, fForce, fJunkSFX, fOffsets, fPrivilege, fRepair. Encryption is AES-256, the only method
// the libzip of this system writes.
class LibzipZip final : public ZipLibrary
{
public:
    int ZpInit(ZIPUSERFUNCTIONS* lpZipUserFunc) override;
    int ZpSetOptions(ZPOPT* opts) override;
    int ZpArchive(int argc, const char* zipFileName, char** argv) override;

private:
    ZIPUSERFUNCTIONS m_callbacks;
    ZPOPT m_options;
};

} // namespace platform::zip
