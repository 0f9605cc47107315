#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QList>

#include <zlib.h>

#include "base/Error.h"
#include "platform/excel/DeflateSplice.h"

using platform::excel::DeflateSplice;

namespace {

constexpr char kMarker[] = "<pageMargins";
const QByteArray kLinks = "<hyperlinks><hyperlink ref=\"M2\" r:id=\"rId1\"/></hyperlinks>";

Bytef* bytes(const QByteArray& data)
{
    return reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
}

// Letters that hardly repeat, so that deflate makes many symbols of them.
QByteArray noise(qsizetype size, quint64 seed)
{
    QByteArray text(size, Qt::Uninitialized);
    for (char& c : text) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        c = char('a' + seed % 26);
    }
    return text;
}

// A raw deflate stream of the pieces with a block ending after each piece but the last, not on a
// byte boundary; `boundaries` gets how many whole bytes were out at the end of each such block.
QByteArray packed(const QList<QByteArray>& pieces, QList<qsizetype>& boundaries)
{
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        stream.next_in = bytes(pieces[i]);
        stream.avail_in = uInt(pieces[i].size());
        int result = Z_OK;
        do {
            stream.next_out = bytes(chunk);
            stream.avail_out = uInt(chunk.size());
            result = deflate(&stream, last ? Z_FINISH : Z_BLOCK);
            out.append(chunk.constData(), chunk.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0 || (last && result != Z_STREAM_END));
        if (!last)
            boundaries.append(out.size());
    }
    deflateEnd(&stream);
    return out;
}

QByteArray unpacked(const QByteArray& raw)
{
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = bytes(raw);
    stream.avail_in = uInt(raw.size());
    QByteArray out;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    int result = Z_OK;
    do {
        stream.next_out = bytes(chunk);
        stream.avail_out = uInt(chunk.size());
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk.constData(), chunk.size() - qsizetype(stream.avail_out));
    } while (result == Z_OK);
    inflateEnd(&stream);
    EXPECT_EQ(result, Z_STREAM_END) << "the new stream ends as a stream";
    EXPECT_EQ(stream.avail_in, 0u) << "and nothing follows it";
    return out;
}

struct Spliced
{
    QByteArray stream;
    DeflateSplice::Result result;
};

// Splices the links in, reading the stream `readSize` bytes at a time.
Spliced splice(const QByteArray& stream, qsizetype readSize)
{
    Spliced spliced;
    qsizetype position = 0;
    const auto read = [&](char* buffer, qint64 size) {
        const qint64 taken = std::min<qint64>({size, qint64(readSize), qint64(stream.size() - position)});
        std::memcpy(buffer, stream.constData() + position, std::size_t(taken));
        position += taken;
        return taken;
    };
    const auto write = [&](const char* data, qint64 size) { spliced.stream.append(data, size); };
    QByteArray links = kLinks;
    QBuffer insertion(&links);
    insertion.open(QIODevice::ReadOnly);
    spliced.result = DeflateSplice::splice(read, write, kMarker, insertion);
    return spliced;
}

} // namespace

TEST(DeflateSpliceTest, TheTextGoesBeforeTheMarkerAndTheBlocksBeforeItsBoundaryStayAsTheyWere)
{
    const QByteArray end = "<pageMargins left=\"0.7\"/></worksheet>";
    struct Case
    {
        const char* name;
        QList<QByteArray> pieces;
        qsizetype keptBlocks; // the blocks ahead of the marker's
    };
    const Case cases[] = {
        {"one block", {"<worksheet>" + noise(2000, 1) + end}, 0},
        {"after several blocks", {noise(50000, 2), noise(50000, 3), "<sheetData/>" + end}, 2},
        {"a boundary inside the marker", {noise(50000, 4), noise(3000, 5) + "<pageMar", "gins/></worksheet>"}, 1},
        {"a boundary right before the marker", {noise(50000, 6), noise(3000, 7), end}, 2},
        {"the marker twice", {noise(50000, 8), "a<pageMargins/>b<pageMargins/>c"}, 1},
    };
    for (const Case& c : cases) {
        for (const qsizetype readSize : {qsizetype(1000), qsizetype(1 << 20)}) {
            SCOPED_TRACE(std::string(c.name) + ", read " + std::to_string(readSize));
            QList<qsizetype> boundaries;
            const QByteArray stream = packed(c.pieces, boundaries);
            const QByteArray text = c.pieces.join();
            const qsizetype at = text.indexOf(kMarker);
            const QByteArray expected = text.left(at) + kLinks + text.mid(at);

            const Spliced spliced = splice(stream, readSize);
            EXPECT_EQ(unpacked(spliced.stream), expected);
            EXPECT_EQ(spliced.result.size, quint64(expected.size()));
            EXPECT_EQ(spliced.result.crc, crc32_z(0, bytes(expected), z_size_t(expected.size())));
            if (c.keptBlocks > 0) {
                const qsizetype kept = boundaries[c.keptBlocks - 1];
                EXPECT_EQ(spliced.stream.left(kept), stream.left(kept)) << "the blocks were copied, not packed again";
            }
        }
    }
}

TEST(DeflateSpliceTest, AStreamWithoutTheMarkerOrCutShortIsRefused)
{
    QList<qsizetype> boundaries;
    const QByteArray withoutMarker = packed({noise(50000, 9), "</worksheet>"}, boundaries);
    EXPECT_THROW(splice(withoutMarker, 1000), core::Error);
    const QByteArray withMarker = packed({noise(50000, 10), "<pageMargins/></worksheet>"}, boundaries);
    EXPECT_THROW(splice(withMarker.left(withMarker.size() / 2), 1000), core::Error);
}
