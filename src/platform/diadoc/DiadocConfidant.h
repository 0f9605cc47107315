#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// The person a power of attorney is given to.
class DiadocConfidant : public Object
{
public:
    virtual QString Inn() const = 0;
    virtual QString Name() const = 0;
};

} // namespace platform::diadoc
