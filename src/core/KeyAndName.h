#pragma once

#include <QString>

namespace core {

// A key and its display name: a document class, an organisation's document type (its key in
// Diadoc and its title), a document type switched on in the options.
struct KeyAndName
{
    QString Key;
    QString Name;

    friend bool operator==(const KeyAndName&, const KeyAndName&) = default;
};

} // namespace core
