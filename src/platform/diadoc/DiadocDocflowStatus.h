#pragma once

#include <memory>

#include "DiadocStatus.h"

namespace platform::diadoc {

// The docflow status of a document; callers read its primary status.
class DiadocDocflowStatus : public Object
{
public:
    virtual std::shared_ptr<DiadocStatus> PrimaryStatus() const = 0;
};

} // namespace platform::diadoc
