#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// The identity of a machine-readable power of attorney in the tax service's registry.
class DiadocPowerOfAttorneyId : public Object
{
public:
    virtual QString RegistrationNumber() const = 0;
    virtual QString IssuerINN() const = 0;
};

} // namespace platform::diadoc
