#include "N7UnZipper.h"

#include "ZipErrorText.h"
#include "base/Error.h"
#include "mErrorHandling.h"
#include "mUnzipper.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr int kErrorBase = 1000;

} // namespace

N7UnZipper::N7UnZipper(mUnzipper& module)
    : m_module(module)
{
}

int N7UnZipper::DoUnzipping()
{
    try {
        const int code = m_module.RunUnzip(*this);
        if (RaiseErrorOnFail && code != 0)
            throw Error(kErrorBase + code, ZipErrorText(code));
        return code;
    } catch (...) {
        PropagateError(u"N7UnZipper", u"DoUnzipping");
    }
}

int N7UnZipper::DoListFiles(TextCollection& aFiles)
{
    try {
        ExtractOrList = 1;
        const int code = m_module.RunUnzip(*this);
        if (code == 0) {
            aFiles = UnzippedFileNames;
            return 0;
        }
        if (RaiseErrorOnFail)
            throw Error(kErrorBase + code, ZipErrorText(code));
        aFiles = newTextCollection();
        return code;
    } catch (...) {
        PropagateError(u"N7UnZipper", u"DoListFiles");
    }
}

} // namespace core
