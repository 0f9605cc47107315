#include "PeakMemory.h"

#include <QFile>

namespace app {

namespace {

long long statusValue(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix(name);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

long long PeakMemory::kilobytes()
{
    return statusValue("VmHWM:");
}

long long PeakMemory::currentKilobytes()
{
    return statusValue("VmRSS:");
}

} // namespace app
