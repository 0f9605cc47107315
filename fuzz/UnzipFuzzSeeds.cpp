// Writes a few archives with hostile entry names into a folder, as a starting corpus for unzip_fuzz.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <zip.h>

namespace {

struct Seed
{
    const char* file;
    QList<QByteArray> names;
    int method;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const QString folder = QFile::decodeName(argv[1]);
    QDir().mkpath(folder);
    const QList<Seed> seeds = {
        {"names.zip", {"../x", "/etc/x", "C:\\x", "a/../../x", "dir/", "a/doc.txt", "b/doc.txt"}, ZIP_CM_STORE},
        {"deflate.zip", {"one.txt", "\x91\xE7\xF1\xE2.txt", "\xD0\xA1\xD1\x87.xml", "archive.zip"}, ZIP_CM_DEFLATE},
        {"folders.zip", {"a/b/c/d.txt", "a/b/", "..\\..\\y", ".."}, ZIP_CM_DEFLATE},
    };
    static const QByteArray data = QByteArray("payload ").repeated(64);
    for (const Seed& seed : seeds) {
        int error = 0;
        const QByteArray path = QFile::encodeName(folder + u'/' + QString::fromUtf8(seed.file));
        zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!archive)
            return 1;
        for (const QByteArray& name : seed.names) {
            if (name.endsWith('/')) {
                zip_dir_add(archive, name.constData(), ZIP_FL_ENC_GUESS);
                continue;
            }
            zip_source_t* source =
                zip_source_buffer(archive, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
            const zip_int64_t index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_GUESS);
            if (index < 0) {
                zip_source_free(source);
                continue;
            }
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), seed.method, 0);
        }
        if (zip_close(archive) != 0)
            return 1;
    }
    return 0;
}
