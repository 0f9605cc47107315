#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// The other organisation of a document.
class DiadocCounteragent : public Object
{
public:
    virtual QString Inn() const = 0;
    virtual QString Kpp() const = 0;
    virtual QString Name() const = 0;
};

} // namespace platform::diadoc
