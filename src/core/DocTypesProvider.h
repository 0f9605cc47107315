#pragma once

#include <memory>

#include "KeyAndName.h"
#include "KeyedCollection.h"

namespace core {

// An organisation as the document-type setting sees it: its document types, in order, as key
// (the type's name in Diadoc) and display name (its title). The organisation record provides it.
class DocTypesProvider
{
public:
    virtual ~DocTypesProvider() = default;
    // The organisation's own collection, keyed by type key; never a null pointer.
    virtual std::shared_ptr<const KeyedCollection<KeyAndName>> CollectionDocumentTypes() = 0;
};

} // namespace core
