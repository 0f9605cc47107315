#pragma once

#include <QList>

#include "KeyName.h"

namespace core {

// An organisation as the document-type setting sees it: its document types, in order, as key
// (the type's name in Diadoc) and display name (its title). The organisation record provides it.
class DocTypesProvider
{
public:
    virtual ~DocTypesProvider() = default;
    virtual QList<KeyName> CollectionDocumentTypes() = 0;
};

} // namespace core
