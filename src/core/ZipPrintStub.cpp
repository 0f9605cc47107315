#include "ZipPrintStub.h"

namespace core {

int zipPrintStub(const char*, unsigned long)
{
    return 0;
}

} // namespace core
