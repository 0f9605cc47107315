#include "LinkAddress.h"

#include <QByteArray>

namespace core {

QString LinkAddress::encoded(const QString& address)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString result;
    const QByteArray bytes = address.toUtf8();
    result.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code <= 0x20 || code >= 0x7F) {
            result += u'%';
            result += QLatin1Char(kHex[code >> 4]);
            result += QLatin1Char(kHex[code & 0x0F]);
        } else {
            result += QLatin1Char(byte);
        }
    }
    return result;
}

} // namespace core
