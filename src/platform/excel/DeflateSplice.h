#pragma once

#include <functional>

#include <QByteArrayView>
#include <QtGlobal>

class QIODevice;

namespace platform::excel {

// Puts a text into a raw deflate stream just before the first place where a marker begins. The
// blocks before the last block boundary ahead of the marker are kept bit for bit; only the text
// from that boundary on is packed again (at zlib's default level), going on from the kept bits
// with the text before them as its dictionary. A large part changed near its end is thus not
// packed anew.
class DeflateSplice final
{
public:
    // Reads packed bytes into the buffer: how many, 0 at the stream's end; raises on a failure.
    using Read = std::function<qint64(char* buffer, qint64 size)>;
    // Writes bytes of the new stream; raises on a failure.
    using Write = std::function<void(const char* data, qint64 size)>;

    // The new stream's unpacked text.
    struct Result
    {
        quint32 crc = 0;
        quint64 size = 0;
    };

    // Raises when the stream is broken or the text holds no marker; the insertion is read from
    // where it stands to its end.
    static Result splice(const Read& read, const Write& write, QByteArrayView marker, QIODevice& insertion);
};

} // namespace platform::excel
