#pragma once

#include <memory>

#include "DiadocList.h"

namespace platform::diadoc {

// The package a document was sent in.
class DiadocDocumentPackage : public Object
{
public:
    // The DiadocDocument items of the package; Nothing for a document outside any package.
    virtual std::shared_ptr<DiadocList> Documents() const = 0;
};

} // namespace platform::diadoc
