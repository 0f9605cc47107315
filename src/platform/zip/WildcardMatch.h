#pragma once

#include <QStringView>

namespace platform::zip {

// Matches an entry name against a pattern of the unzip and zip interfaces: "*" any run of
// characters ("/" included), "?" one character, "[...]" one of a set ("[!...]" or "[^...]" none
// of it). "*.*" matches every name, as on DOS, so that names without a dot are taken too.
bool wildcardMatch(QStringView pattern, QStringView name, bool caseInsensitive);

bool hasWildcards(QStringView text);

} // namespace platform::zip
