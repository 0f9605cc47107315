#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// A status with severity, id and text: the primary docflow status of a document and the status of
// an attached power of attorney.
class DiadocStatus : public Object
{
public:
    virtual QString Severity() const = 0;
    virtual QString id() const = 0;
    virtual QString Text() const = 0;
};

} // namespace platform::diadoc
