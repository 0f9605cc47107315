#pragma once

#include <memory>

#include <QStringList>

namespace core {

// An ordered collection of texts shared by reference, as the zip jobs hand their name lists
// around: a field that answers "the same collection, not a copy" shares one of these. Null
// stands for no collection at all.
using TextCollection = std::shared_ptr<QStringList>;

inline TextCollection newTextCollection()
{
    return std::make_shared<QStringList>();
}

} // namespace core
