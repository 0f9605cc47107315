#pragma once

#include <functional>

namespace platform::zip {

// Options record of the zip32 interface (ZPOPT): three texts, twenty-six switches, the recursion
// and repair modes, and the level as a character ('0'..'9', or 0 for the default level).
// Texts are zero-terminated in the system's 8-bit code page and must live until ZpArchive returns.
struct ZPOPT
{
    const char* Date = nullptr; // "MM/DD/YY"
    const char* szRootDir = nullptr;
    const char* szTempDir = nullptr;
    int fTemp = 0;
    int fSuffix = 0;
    int fEncrypt = 0;
    int fSystem = 0;
    int fVolume = 0;
    int fExtra = 0;
    int fNoDirEntries = 0;
    int fExcludeDate = 0;
    int fIncludeDate = 0;
    int fVerbose = 0;
    int fQuiet = 0;
    int fCRLF_LF = 0;
    int fLF_CRLF = 0;
    int fJunkDir = 0;
    int fGrow = 0;
    int fForce = 0;
    int fMove = 0;
    int fDeleteEntries = 0;
    int fUpdate = 0;
    int fFreshen = 0;
    int fJunkSFX = 0;
    int fLatestTime = 0;
    int fComment = 0;
    int fOffsets = 0;
    int fPrivilege = 0;
    int fEncryption = 0;
    int fRecurse = 0;
    int fRepair = 0;
    char fLevel = 0;
};

// Callback record of the zip32 interface, called on the caller's thread from inside ZpArchive.
struct ZIPUSERFUNCTIONS
{
    std::function<int(const char* text, unsigned long size)> print;
    // Fills the buffer of the given size with a zero-terminated archive comment.
    std::function<int(char* buffer, int size)> comment;
    // Fills the buffer of the given size with a zero-terminated password; 0 when it did.
    std::function<int(char* buffer, int size, const char* prompt, const char* name)> password;
    // One file added; anything but 0 stops the run.
    std::function<int(const char* name, unsigned long size)> service;
};

// Return codes of the zip32 interface (the numbers of the shared error-text table).
namespace zipcode {
inline constexpr int ZE_OK = 0;
inline constexpr int ZE_EOF = 2;
inline constexpr int ZE_FORM = 3;
inline constexpr int ZE_MEM = 4;
inline constexpr int ZE_LOGIC = 5;
inline constexpr int ZE_ABORT = 9;
inline constexpr int ZE_TEMP = 10;
inline constexpr int ZE_READ = 11;
inline constexpr int ZE_NONE = 12;
inline constexpr int ZE_NAME = 13;
inline constexpr int ZE_WRITE = 14;
inline constexpr int ZE_CREAT = 15;
inline constexpr int ZE_PARMS = 16;
inline constexpr int ZE_OPEN = 18;
} // namespace zipcode

// The zip library as the program calls it: callbacks, then options, then one archiving call with
// a table of file names (windows-1251, wildcards allowed).
class ZipLibrary
{
public:
    virtual ~ZipLibrary() = default;

    // Takes the callback record; 0 means the library cannot work.
    virtual int ZpInit(ZIPUSERFUNCTIONS* lpZipUserFunc) = 0;
    virtual int ZpSetOptions(ZPOPT* opts) = 0;
    virtual int ZpArchive(int argc, const char* zipFileName, char** argv) = 0;
};

} // namespace platform::zip
