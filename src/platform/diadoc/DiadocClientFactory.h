#pragma once

#include <memory>

#include "DiadocClient.h"

namespace platform::diadoc {

// Creates client objects, as the ProgID "Diadoc.DiadocClient" does; a library that is not
// registered raises "ActiveX component can't create object" (429).
class DiadocClientFactory
{
public:
    virtual ~DiadocClientFactory() = default;
    virtual std::shared_ptr<DiadocClient> create() = 0;
};

} // namespace platform::diadoc
