#include "VersionInfo.h"

#include "FamilyVersion.h"

using namespace Qt::StringLiterals;

namespace platform::family {

QString VersionInfo::version() const
{
    return QString::fromLatin1(kFamilyVersion);
}

QString VersionInfo::VersionAssemble() const
{
    return QString::fromLatin1(kFamilyAssemble);
}

QDate VersionInfo::VersionDate() const
{
    return QDate::fromString(QString::fromLatin1(kFamilyDate), u"yyyy-MM-dd"_s);
}

} // namespace platform::family
