#include "TextDigest.h"

#include <cstring>

#include <QCryptographicHash>

namespace engine {

TextDigest::TextDigest(QStringView text)
{
    // The UTF-16 code units as they lie in memory (the digest never leaves the process); the first
    // 128 of the 160 bits are kept.
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t))),
        QCryptographicHash::Blake2b_160);
    std::memcpy(&m_high, digest.constData(), sizeof m_high);
    std::memcpy(&m_low, digest.constData() + sizeof m_high, sizeof m_low);
}

} // namespace engine
