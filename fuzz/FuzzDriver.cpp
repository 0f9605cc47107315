// Runs a fuzz target without libFuzzer, so that any compiler builds it and the test run can use it:
//   <driver> [file or folder ...] [--random COUNT] [--seed SEED]
// Every file given, and every file directly in a folder given, is one input; then COUNT inputs of
// random length and bytes follow, the same for the same seed. The target aborts on a fault.

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int runBytes(const QByteArray& bytes)
{
    return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                  static_cast<std::size_t>(bytes.size()));
}

bool runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "fuzz driver: cannot read %s\n", qUtf8Printable(path));
        return false;
    }
    runBytes(file.readAll());
    return true;
}

// Mostly short inputs, now and then long ones; bytes drawn evenly.
QByteArray randomInput(std::mt19937& engine)
{
    const std::size_t length = engine() % 8 == 0 ? engine() % 4096 : engine() % 160;
    QByteArray bytes(static_cast<qsizetype>(length), '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(engine() & 0xFF);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    long long randomCount = 0;
    unsigned seed = 20240301;
    int files = 0;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        bool ok = true;
        if (arg == u"--random" && i + 1 < args.size()) {
            randomCount = args.at(++i).toLongLong(&ok);
        } else if (arg == u"--seed" && i + 1 < args.size()) {
            seed = args.at(++i).toUInt(&ok);
        } else if (QFileInfo(arg).isDir()) {
            const QDir folder(arg);
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
                if (!runFile(folder.filePath(name)))
                    return 1;
                ++files;
            }
        } else if (!runFile(arg)) {
            return 1;
        } else {
            ++files;
        }
        if (!ok) {
            std::fprintf(stderr, "fuzz driver: \"%s\" needs a whole number\n", qUtf8Printable(arg));
            return 2;
        }
    }
    std::mt19937 engine(seed);
    for (long long n = 0; n < randomCount; ++n)
        runBytes(randomInput(engine));
    std::printf("fuzz driver: %d files and %lld random inputs passed\n", files, randomCount);
    return 0;
}
