#include "FileFailure.h"

#include <array>
#include <cerrno>

#include <QIODevice>

#include "base/FailureTexts.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

struct Mapping
{
    int code;
    int number;
    const char16_t* message;
};

constexpr std::array kMappings = {
    Mapping{ENOSPC, failure::kDiskFullNumber, failure::kDiskFull},
    Mapping{EDQUOT, failure::kDiskFullNumber, failure::kDiskFull},
    Mapping{EACCES, failure::kPermissionDeniedNumber, u"Permission denied"},
    Mapping{EPERM, failure::kPermissionDeniedNumber, u"Permission denied"},
    Mapping{EROFS, failure::kPermissionDeniedNumber, u"Permission denied"},
    Mapping{ENOENT, 76, u"Path not found"},
    Mapping{ENOTDIR, 76, u"Path not found"},
    Mapping{EIO, 57, u"Device I/O error"},
    Mapping{ENAMETOOLONG, 52, u"Bad file name or number"},
    Mapping{EMFILE, 67, u"Too many files"},
    Mapping{ENFILE, 67, u"Too many files"},
};

constexpr char16_t kPathFileAccess[] = u"Path/File access error";

} // namespace

int FileFailure::numberOfErrno(int code)
{
    for (const Mapping& mapping : kMappings) {
        if (mapping.code == code)
            return mapping.number;
    }
    return failure::kPathFileAccessNumber;
}

QString FileFailure::messageOfErrno(int code)
{
    for (const Mapping& mapping : kMappings) {
        if (mapping.code == code)
            return QString::fromUtf16(mapping.message);
    }
    return QString::fromUtf16(kPathFileAccess);
}

QString FileFailure::messageOfDevice(const QIODevice& device)
{
    // Qt words a failed system call with the system's own text for its errno.
    const QString text = device.errorString();
    for (const Mapping& mapping : kMappings) {
        if (text == qt_error_string(mapping.code))
            return QString::fromUtf16(mapping.message);
    }
    return QString::fromUtf16(kPathFileAccess);
}

QString FileFailure::unnamedMessage()
{
    return QString::fromUtf16(kPathFileAccess);
}

} // namespace core
