#pragma once

#include <QDate>
#include <QString>

namespace platform::family {

// The family's version component: the product version that the window captions show.
class VersionInfo final
{
public:
    QString version() const;
    QString VersionAssemble() const;
    QDate VersionDate() const;
};

} // namespace platform::family
