#pragma once

#include <QString>

namespace core {

// A key and its display name, such as a document type's key and title. The Diadoc layer's
// KeyAndName carries the same two fields.
struct KeyName
{
    QString Key;
    QString Name;

    friend bool operator==(const KeyName&, const KeyName&) = default;
};

} // namespace core
