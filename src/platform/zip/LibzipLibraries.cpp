#include "LibzipLibraries.h"

#include "LibzipUnzip.h"
#include "LibzipZip.h"

namespace platform::zip {

LibzipLibraries::LibzipLibraries() = default;
LibzipLibraries::~LibzipLibraries() = default;

UnzipLibrary* LibzipLibraries::loadUnzip(const QString& libraryName)
{
    if (libraryName.compare(QStringView(kUnzipLibraryName), Qt::CaseInsensitive) != 0)
        return nullptr;
    if (!m_unzip)
        m_unzip = std::make_unique<LibzipUnzip>();
    return m_unzip.get();
}

ZipLibrary* LibzipLibraries::loadZip(const QString& libraryName)
{
    if (libraryName.compare(QStringView(kZipLibraryName), Qt::CaseInsensitive) != 0)
        return nullptr;
    if (!m_zip)
        m_zip = std::make_unique<LibzipZip>();
    return m_zip.get();
}

} // namespace platform::zip
