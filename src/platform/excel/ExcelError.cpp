#include "ExcelError.h"

#include "base/Error.h"

namespace platform::excel::error {

void raise(int number, const QString& text)
{
    throw core::Error(number, text);
}

void raiseApplicationDefined()
{
    raise(kApplicationDefined, QString::fromUtf16(kApplicationDefinedText));
}

} // namespace platform::excel::error
