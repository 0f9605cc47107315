#include "DiskSpace.h"

#include <cerrno>
#include <cmath>

#include <QFileInfo>
#include <QStorageInfo>

#include "core/mSystem.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {

// The drive text of a storage: its root with a closing separator.
QString driveText(const QStorageInfo& storage)
{
    QString root = storage.rootPath();
    if (!root.endsWith(u'/'))
        root += u'/';
    return root;
}

} // namespace

double diskFreeSpace(const QString& path, QString& sentence)
{
    QString probe = path;
    while (!probe.isEmpty() && !QFileInfo::exists(probe))
        probe = QFileInfo(probe).path() == probe ? QString() : QFileInfo(probe).path();
    if (probe.isEmpty()) {
        sentence = u"Свободное место на диске определить не удалось."_s;
        return 0;
    }
    errno = 0;
    const QStorageInfo storage(probe);
    if (!storage.isValid() || !storage.isReady()) {
        const int code = errno;
        sentence = u"Свободное место на диске "_s + probe + u" определить не удалось. Причина: "_s
                   + (code != 0 ? core::mSystem::GetApiErrorMessage(code) : QString());
        return 0;
    }
    const auto available = static_cast<double>(storage.bytesAvailable());
    const auto total = static_cast<double>(storage.bytesTotal());
    const auto free = static_cast<double>(storage.bytesFree());
    QString allFree;
    if (std::abs(available - free) > 100000.0)
        allFree = u" (всего свободно "_s + core::mSystem::MemCStr(free, false) + u')';
    sentence = u"Свободное место на диске "_s + driveText(storage) + u" = "_s + core::mSystem::MemCStr(available, true)
               + u" из "_s + core::mSystem::MemCStr(total, true) + allFree + u'.';
    return available;
}

} // namespace run
