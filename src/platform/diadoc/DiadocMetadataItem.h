#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// One key/value pair of a document's Diadoc metadata.
class DiadocMetadataItem : public Object
{
public:
    virtual QString Key() const = 0;
    virtual QString Value() const = 0;
};

} // namespace platform::diadoc
