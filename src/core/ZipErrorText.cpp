#include "ZipErrorText.h"

using namespace Qt::StringLiterals;

namespace core {

QString ZipErrorText(int code)
{
    switch (code) {
    case 2:
        return u"Unexpected end of ZIP file"_s;
    case 3:
        return u"ZIP file structure error"_s;
    case 4:
        return u"Out of memory during ZIP file processing"_s;
    case 5:
        return u"ZIP internal loginc error"_s;
    case 6:
        return u"ZIP entry too large to split"_s;
    case 7:
        return u"Invalid ZIP comment format"_s;
    case 8:
        return u"Zip test (-T) failed or Out of memory"_s;
    case 9:
        return u"ZIP operation terminated or interrupted by user"_s;
    case 10:
        return u"ZIP error using a temp file"_s;
    case 11:
        return u"ZIP read or seek error"_s;
    case 12:
        return u"Nothing to do for ZIP"_s;
    case 13:
        return u"Missing or empty ZIP file"_s;
    case 14:
        return u"ZIP error writing to file"_s;
    case 15:
        return u"ZIP couldn't open to write"_s;
    case 16:
        return u"ZIP bad command line argument"_s;
    case 18:
        return u"ZIP couldn't open a specified file to read"_s;
    default:
        return {};
    }
}

} // namespace core
