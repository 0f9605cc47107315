#pragma once

#include <memory>

#include "Libraries.h"

namespace platform::zip {

class LibzipUnzip;
class LibzipZip;

// Answers the libzip engines for the two library names the program loads; any other name is a
// library that is not there.
class LibzipLibraries final : public Libraries
{
public:
    LibzipLibraries();
    ~LibzipLibraries() override;

    UnzipLibrary* loadUnzip(const QString& libraryName) override;
    ZipLibrary* loadZip(const QString& libraryName) override;

private:
    std::unique_ptr<LibzipUnzip> m_unzip;
    std::unique_ptr<LibzipZip> m_zip;
};

} // namespace platform::zip
