#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// Outcome of the client's TestConnection2 probe.
class DiadocTestConnectionResult : public Object
{
public:
    // A Boolean, or Empty when the probe says nothing (callers count Empty as False).
    virtual Variant ConnectionSuccess() const = 0;
    virtual QString ErrorText() const = 0;
};

} // namespace platform::diadoc
