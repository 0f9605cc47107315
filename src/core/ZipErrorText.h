#pragma once

#include <QString>

namespace core {

// The English text of a return code of the zip library; the unzip library's codes are shown with
// the text of the zip code of the same number. Codes without a text give the empty text.
QString ZipErrorText(int code);

} // namespace core
