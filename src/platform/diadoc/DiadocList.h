#pragma once

#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// A list-valued answer of the client: Count items, read by GetItem with indices 0 to Count - 1.
// An item may be Nothing. A failing member raises core::Error with the client's message.
class DiadocList : public Object
{
public:
    virtual int Count() const = 0;
    // Raises "Subscript out of range" (9) for an index outside 0 .. Count - 1.
    virtual Variant GetItem(int index) const = 0;

    // The item as one interface; a null pointer for Nothing or another kind of item.
    template <typename T> std::shared_ptr<T> itemAs(int index) const { return GetItem(index).template as<T>(); }
};

} // namespace platform::diadoc
