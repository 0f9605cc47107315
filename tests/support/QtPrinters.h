#pragma once

#include <ostream>

#include <QString>

// How GoogleTest prints Qt's values in a failure message: a text as itself, in quotes, rather than
// as a list of UTF-16 code units. It must be in the namespace of QString (the global one) for
// GoogleTest to find it.
void PrintTo(const QString& text, std::ostream* out);
