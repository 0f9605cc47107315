// Writes a deterministic sandbox folder for the emulated Diadoc service:
//   make-sandbox [--hostile] <folder> [documents] [seed]
// The bundled sample is "make-sandbox samples/sandbox"; benchmarks ask for large counts.
#include <cstdio>

#include <QCoreApplication>
#include <QStringList>

#include "base/Error.h"
#include "platform/diadoc/SandboxGenerator.h"

namespace {

constexpr char kUsage[] = "usage: make-sandbox [--hostile] <folder> [documents] [seed]\n"
                          "Writes a sandbox folder for the emulated Diadoc service; the defaults give the\n"
                          "bundled sample (make-sandbox samples/sandbox).\n"
                          "  --hostile  the first documents carry content named like the program's own files\n"
                          "             and titles and names with control characters and spreadsheet formulas\n";

int refuse(const QString& why)
{
    std::fprintf(stderr, "make-sandbox: %s\n%s", why.toLocal8Bit().constData(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QStringList positional;
    bool hostile = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == u"--help" || arg == u"-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == u"--hostile") {
            hostile = true;
            continue;
        }
        // Options start with "-"; a folder of such a name can still be given as "./-name".
        if (arg.startsWith(u'-'))
            return refuse(QStringLiteral("unknown option %1").arg(arg));
        positional.append(arg);
    }
    if (positional.isEmpty() || positional.size() > 3)
        return refuse(positional.isEmpty() ? QStringLiteral("no folder given") : QStringLiteral("too many arguments"));

    platform::diadoc::SandboxGenerator::Settings settings;
    settings.hostileContent = hostile;
    bool ok = true;
    if (positional.size() > 1) {
        settings.documents = positional.at(1).toInt(&ok);
        if (!ok || settings.documents < 0)
            return refuse(
                QStringLiteral("the document count \"%1\" is not a whole number of 0 or more").arg(positional.at(1)));
    }
    if (positional.size() > 2) {
        settings.seed = positional.at(2).toUInt(&ok);
        if (!ok)
            return refuse(QStringLiteral("the seed \"%1\" is not a whole number of 0 or more").arg(positional.at(2)));
    }
    try {
        platform::diadoc::SandboxGenerator::write(positional.at(0), settings);
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
