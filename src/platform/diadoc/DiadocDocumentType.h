#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// One document type that an organisation may exchange: its key (Name) and its display title.
class DiadocDocumentType : public Object
{
public:
    virtual QString Name() const = 0;
    virtual QString Title() const = 0;
};

} // namespace platform::diadoc
