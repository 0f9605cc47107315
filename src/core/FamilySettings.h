#pragma once

#include <QString>

namespace core {

class mRegistryTools;

// The family's own settings, read only, below its key in either hive. These belong with the
// settings store (their error trails name mFetchlingOptions) but read through mRegistryTools,
// which the store does not hold.
inline constexpr char16_t kFamilyKey[] = u"SOFTWARE\\Quorvel Labs\\Larimo9";

// Joins two key paths with one "\" between them; an empty first key gives the second unchanged.
QString ConcatenateRegistryKeys(QString firstKey, QString secondKey);

// A text value below the family key, or the default when it is missing or not a text.
QString GetProductSetting_String(mRegistryTools& tools, bool localMachine, QString subKey, QString valueName,
                                 QString defaultValue);

} // namespace core
