#pragma once

#include <QString>

namespace platform::zip {

class UnzipLibrary;
class ZipLibrary;

// Loads the zip and unzip libraries by name, as the program loads its DLLs. A library that is
// missing, or lacks an entry point, answers nothing. A loaded library stays loaded.
class Libraries
{
public:
    virtual ~Libraries() = default;

    virtual UnzipLibrary* loadUnzip(const QString& libraryName) = 0;
    virtual ZipLibrary* loadZip(const QString& libraryName) = 0;
};

inline constexpr char16_t kUnzipLibraryName[] = u"n7unzip.dll";
inline constexpr char16_t kZipLibraryName[] = u"n7zip.dll";

} // namespace platform::zip
