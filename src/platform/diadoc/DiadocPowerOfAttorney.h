#pragma once

#include <memory>

#include "DiadocConfidant.h"
#include "DiadocPowerOfAttorneyId.h"

namespace platform::diadoc {

// A power of attorney attached to a document.
class DiadocPowerOfAttorney : public Object
{
public:
    virtual std::shared_ptr<DiadocPowerOfAttorneyId> id() const = 0;
    // Nothing when the power of attorney names no confidant.
    virtual std::shared_ptr<DiadocConfidant> Confidant() const = 0;
};

} // namespace platform::diadoc
