#include "N7Zipper.h"

#include <utility>

#include <QFile>

#include "ZipErrorText.h"
#include "base/Error.h"
#include "mErrorHandling.h"
#include "mZipper.h"

namespace core {

namespace {

constexpr int kErrorBase = 1000;

} // namespace

N7Zipper::N7Zipper(mZipper& module)
    : m_module(module)
{
}

void N7Zipper::ClearFileNames()
{
    m_fileNames = newTextCollection();
}

void N7Zipper::AddFileName(QString aFileName)
{
    m_fileNames->append(std::move(aFileName));
}

int N7Zipper::DoZipping()
{
    try {
        if (DeleteExistingZipFile) {
            try {
                if (!ZipFileName.isEmpty())
                    QFile::remove(ZipFileName);
            } catch (...) {
                // A missing or locked archive is not this step's concern.
            }
        }
        const int code = m_module.RunZip(*this);
        if (RaiseErrorOnFail && code != 0)
            throw Error(kErrorBase + code, ZipErrorText(code));
        return code;
    } catch (...) {
        PropagateError(u"N7Zipper", u"DoZipping");
    }
}

} // namespace core
