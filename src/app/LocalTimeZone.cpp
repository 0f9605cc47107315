#include "LocalTimeZone.h"

#include <time.h>

#include <QFileInfo>

namespace app {

namespace {

constexpr char kZoneFile[] = "/etc/localtime";

} // namespace

bool LocalTimeZone::pin()
{
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QString::fromLatin1(kZoneFile)))
        return false;
    qputenv("TZ", QByteArray(":") + kZoneFile);
    tzset();
    return true;
}

} // namespace app
