#pragma once

#include <QString>
#include <QVariant>

namespace core {

// Where a control keeps its saved settings between sessions of the window that holds it: each
// value is written with its default, and a name that is missing reads as its default.
class PropertyBag
{
public:
    virtual ~PropertyBag() = default;

    virtual QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const = 0;
    virtual void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) = 0;
};

} // namespace core
