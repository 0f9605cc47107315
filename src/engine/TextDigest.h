#pragma once

#include <QHashFunctions>
#include <QStringView>

namespace engine {

// A 128-bit digest of a text, kept in place of the text where a run remembers one per document
// (document folders and their owners, packages): over 100,000 documents the texts themselves
// would take tens of megabytes. Two different texts share a digest with a chance far below that
// of a disk error.
class TextDigest final
{
public:
    TextDigest() = default;
    explicit TextDigest(QStringView text);

    bool operator==(const TextDigest&) const = default;
    friend size_t qHash(const TextDigest& digest, size_t seed = 0) noexcept
    {
        return qHashMulti(seed, digest.m_high, digest.m_low);
    }

private:
    quint64 m_high = 0;
    quint64 m_low = 0;
};

} // namespace engine
