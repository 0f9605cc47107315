#pragma once

#include <memory>

#include "DiadocPowerOfAttorney.h"
#include "DiadocStatus.h"

namespace platform::diadoc {

// One item of a document's GetPowersOfAttorney list.
class DiadocAttachedPowerOfAttorney : public Object
{
public:
    virtual std::shared_ptr<DiadocPowerOfAttorney> PowerOfAttorney() const = 0;
    // A DiadocStatus object, or Nothing when the power of attorney has not been checked.
    virtual Variant Status() const = 0;
};

} // namespace platform::diadoc
