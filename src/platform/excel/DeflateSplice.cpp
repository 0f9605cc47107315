#include "DeflateSplice.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include <QByteArray>
#include <QIODevice>

#include <zlib.h>

#include "ExcelError.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

constexpr qsizetype kChunk = 256 * 1024;
// How far back deflate's distances reach.
constexpr qsizetype kWindow = 32 * 1024;

[[noreturn]] void raiseBroken()
{
    error::raise(error::kApplicationDefined, u"The packed part cannot be read"_s);
}

// Where the marker begins in the text from `from` on, or -1; glibc's memmem is several times
// quicker than a search that stops at every "<" of a sheet.
qsizetype find(const QByteArray& text, qsizetype from, QByteArrayView marker)
{
    const void* found =
        memmem(text.constData() + from, std::size_t(text.size() - from), marker.data(), std::size_t(marker.size()));
    return found ? static_cast<const char*>(found) - text.constData() : -1;
}

// Whether the text ends with the beginning of the marker, which the next block may complete.
bool endsWithMarkerStart(const QByteArray& text, QByteArrayView marker)
{
    for (qsizetype length = std::min(text.size(), marker.size() - 1); length > 0; --length) {
        if (QByteArrayView(text).last(length) == marker.first(length))
            return true;
    }
    return false;
}

struct InflateEnder
{
    void operator()(z_stream* stream) const { inflateEnd(stream); }
};
struct DeflateEnder
{
    void operator()(z_stream* stream) const { deflateEnd(stream); }
};

// Packs the pieces given one after another, going on from the kept blocks.
class Packer final
{
public:
    // `window` is the text packed just before (the distances may reach into it); the first
    // `bits` bits of `lastByte` are the end of that packed text, not yet written.
    Packer(const DeflateSplice::Write& write, const QByteArray& window, int bits, uchar lastByte)
        : m_write(write)
        , m_output(kChunk, Qt::Uninitialized)
    {
        if (deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
        m_ender.reset(&m_stream);
        if (!window.isEmpty()
            && deflateSetDictionary(&m_stream, reinterpret_cast<const Bytef*>(window.constData()), uInt(window.size()))
                   != Z_OK)
            raiseBroken();
        if (bits > 0 && deflatePrime(&m_stream, bits, lastByte & ((1 << bits) - 1)) != Z_OK)
            raiseBroken();
    }

    void add(const char* data, qsizetype size)
    {
        m_crc = crc32_z(m_crc, reinterpret_cast<const Bytef*>(data), z_size_t(size));
        m_size += quint64(size);
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_stream.avail_in = uInt(size);
        pack(Z_NO_FLUSH);
    }
    void add(QIODevice& source)
    {
        QByteArray chunk(kChunk, Qt::Uninitialized);
        for (qint64 read; (read = source.read(chunk.data(), chunk.size())) > 0;)
            add(chunk.constData(), read);
    }
    void finish() { pack(Z_FINISH); }

    uLong crc() const { return m_crc; }
    quint64 size() const { return m_size; }

private:
    void pack(int flush)
    {
        for (;;) {
            m_stream.next_out = reinterpret_cast<Bytef*>(m_output.data());
            m_stream.avail_out = uInt(m_output.size());
            const int result = deflate(&m_stream, flush);
            if (result == Z_STREAM_ERROR)
                raiseBroken();
            if (const qsizetype packed = m_output.size() - qsizetype(m_stream.avail_out); packed > 0)
                m_write(m_output.constData(), packed);
            if (flush == Z_FINISH ? result == Z_STREAM_END : m_stream.avail_out != 0)
                return;
        }
    }

    const DeflateSplice::Write& m_write;
    QByteArray m_output;
    z_stream m_stream{};
    std::unique_ptr<z_stream, DeflateEnder> m_ender;
    uLong m_crc = crc32_z(0, nullptr, 0);
    quint64 m_size = 0;
};

} // namespace

DeflateSplice::Result DeflateSplice::splice(const Read& read, const Write& write, QByteArrayView marker,
                                            QIODevice& insertion)
{
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        throw std::bad_alloc();
    const std::unique_ptr<z_stream, InflateEnder> ender(&stream);

    QByteArray input(kChunk, Qt::Uninitialized);
    QByteArray output(kChunk, Qt::Uninitialized);
    QByteArray unsent; // packed bytes from the last boundary on; the first may hold the end of the kept blocks
    int keptBits = 0;  // how many low bits of unsent's first byte are kept blocks
    QByteArray window; // the last unpacked bytes before the boundary
    QByteArray tail;   // unpacked since the boundary
    uLong crc = crc32_z(0, nullptr, 0);
    quint64 size = 0;
    qsizetype at = -1;
    qsizetype searched = 0;
    bool ended = false;
    while (!ended) {
        const qint64 taken = read(input.data(), input.size());
        if (taken <= 0)
            raiseBroken();
        unsent.append(input.constData(), taken);
        stream.next_in = reinterpret_cast<Bytef*>(input.data());
        stream.avail_in = uInt(taken);
        for (;;) {
            stream.next_out = reinterpret_cast<Bytef*>(output.data());
            stream.avail_out = uInt(output.size());
            const int result = inflate(&stream, Z_BLOCK);
            if (result == Z_STREAM_END)
                ended = true;
            else if (result != Z_OK && result != Z_BUF_ERROR)
                raiseBroken();
            tail.append(output.constData(), output.size() - qsizetype(stream.avail_out));
            if (at < 0) {
                at = find(tail, std::max<qsizetype>(0, searched - (marker.size() - 1)), marker);
                searched = tail.size();
            }
            // Inflate stops after every block; after the last one it has yet to say that the stream ended.
            const bool afterBlock = (stream.data_type & 128) != 0;
            const bool atBoundary = afterBlock && (stream.data_type & 64) == 0;
            // A boundary inside the marker is no place to cut: the marker would begin in the kept blocks.
            if (at < 0 && !ended && atBoundary && !endsWithMarkerStart(tail, marker)) {
                const int unused = stream.data_type & 7;
                const qsizetype consumed = unsent.size() - qsizetype(stream.avail_in);
                const qsizetype whole = unused > 0 ? consumed - 1 : consumed;
                write(unsent.constData(), whole);
                unsent.remove(0, whole);
                keptBits = unused > 0 ? 8 - unused : 0;
                crc = crc32_z(crc, reinterpret_cast<const Bytef*>(tail.constData()), z_size_t(tail.size()));
                size += quint64(tail.size());
                // Only the window's worth is kept, so that it never grows to a block's size.
                const qsizetype fromWindow = std::max<qsizetype>(0, kWindow - tail.size());
                window = window.right(fromWindow) + tail.right(kWindow);
                tail.resize(0); // keeps its room for the next block
                searched = 0;
            }
            if (ended || (stream.avail_in == 0 && stream.avail_out != 0 && !(afterBlock && result == Z_OK)))
                break;
        }
    }
    if (at < 0)
        error::raise(error::kApplicationDefined, u"The sheet has no place for its hyperlinks"_s);

    Packer packer(write, window, keptBits, unsent.isEmpty() ? 0 : uchar(unsent.at(0)));
    packer.add(tail.constData(), at);
    packer.add(insertion);
    packer.add(tail.constData() + at, tail.size() - at);
    packer.finish();
    Result result;
    result.crc = quint32(crc32_combine64(crc, packer.crc(), z_off64_t(packer.size())));
    result.size = size + packer.size();
    return result;
}

} // namespace platform::excel
