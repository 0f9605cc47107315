#include "SystemErrorText.h"

#include <cstring>

namespace core {

QString systemErrorText(int errorNumber)
{
    // The GNU strerror_r answers a constant text or one it wrote into the buffer given.
    char buffer[256] = {};
    return QString::fromLocal8Bit(strerror_r(errorNumber, buffer, sizeof buffer));
}

} // namespace core
