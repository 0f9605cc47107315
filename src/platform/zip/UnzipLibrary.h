#pragma once

#include <functional>

namespace platform::zip {

// Options record of one unzip run, laid out as the unzip32 interface's DCL without a
// structure-version member: fifteen switches, then the archive and the target folder.
// Texts are zero-terminated in the system's 8-bit code page (UTF-8 here).
struct DCL
{
    int ExtractOnlyNewer = 0;
    int SpaceToUnderscore = 0;
    int PromptToOverwrite = 0;
    int fQuiet = 0;
    int ncflag = 0;
    int ntflag = 0;
    int nvflag = 0;
    int nfflag = 0;
    int nzflag = 0;
    int ndflag = 0;
    int noflag = 0;
    int naflag = 0;
    int nZIflag = 0;
    int C_flag = 0;
    int fPrivilege = 0;
    const char* lpszZipFN = nullptr;
    const char* lpszExtractDir = nullptr;
    // An addition to the unzip32 record: names that no extracted file may take directly in the target
    // folder (compared without regard to case), ended by a null pointer; null for none. An entry
    // of such a name is numbered as a second entry of one name is.
    const char* const* lpszReservedNames = nullptr;
};

// Callback record of the unzip32 interface. The library calls these on the caller's thread from
// inside Wiz_SingleEntryUnzip; an empty slot is not called.
struct USERFUNCTIONS
{
    std::function<int(const char* text, unsigned long size)> print;
    std::function<void()> sound;
    // Asked before an existing file is replaced; answers one of the replace codes below.
    std::function<int(const char* fileName)> replace;
    // Fills the buffer of the given size with a zero-terminated password; 0 when it did.
    std::function<int(char* buffer, int size, const char* prompt, const char* entryName)> password;
    // One listed entry (nvflag 1).
    std::function<void(unsigned long ucsize, unsigned long csize, unsigned cfactor, unsigned month, unsigned day,
                       unsigned year, unsigned hour, unsigned minute, char check, const char* fileName,
                       const char* methodText, unsigned long crc, char encrypted)>
        message;
    // One entry extracted or tested; anything but 0 stops the run.
    std::function<int(const char* fileName, unsigned long size)> service;

    // Filled by the library.
    unsigned long TotalSizeComp = 0;
    unsigned long TotalSize = 0;
    unsigned long NumMembers = 0;
    unsigned CompFactor = 0;
};

// Return codes of the unzip32 interface.
namespace unzipcode {
inline constexpr int PK_OK = 0;
inline constexpr int PK_WARN = 1;    // some entries had problems and were skipped
inline constexpr int PK_ERR = 2;     // error in the archive's data (bad CRC, bad compressed data)
inline constexpr int PK_BADERR = 3;  // severe error in the archive's structure
inline constexpr int PK_MEM = 4;     // out of memory
inline constexpr int PK_NOZIP = 9;   // archive missing or not an archive
inline constexpr int PK_PARAM = 10;  // bad options
inline constexpr int PK_FIND = 11;   // no entry matched
inline constexpr int PK_DISK = 50;   // disk full or other write failure
inline constexpr int PK_EOF = 51;    // the archive ended too early
inline constexpr int IZ_CTRLC = 80;  // stopped by the service callback
inline constexpr int IZ_UNSUP = 81;  // unsupported compression or encryption
inline constexpr int IZ_BADPWD = 82; // no entry extracted because of a bad password
} // namespace unzipcode

// Answers of the replace callback.
namespace replaceanswer {
inline constexpr int IDM_REPLACE_NO = 100;
inline constexpr int IDM_REPLACE_TEXT = 101;
inline constexpr int IDM_REPLACE_YES = 102;
inline constexpr int IDM_REPLACE_ALL = 103;
inline constexpr int IDM_REPLACE_NONE = 104;
inline constexpr int IDM_REPLACE_RENAME = 105;
inline constexpr int IDM_REPLACE_HELP = 106;
} // namespace replaceanswer

// The unzip library as the program calls it: one entry point that lists, tests or extracts the
// entries of one archive that match the include table and not the exclude table.
class UnzipLibrary
{
public:
    virtual ~UnzipLibrary() = default;

    virtual int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                                     USERFUNCTIONS* lpUserFunctions) = 0;
};

} // namespace platform::zip
