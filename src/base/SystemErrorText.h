#pragma once

#include <QString>

namespace core {

// The system's own text for an errno value, as strerror gives it, but without strerror's shared
// buffer: any thread may ask.
QString systemErrorText(int errorNumber);

} // namespace core
