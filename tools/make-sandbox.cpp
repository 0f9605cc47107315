// Writes a deterministic sandbox folder for the emulated Diadoc service:
//   make-sandbox <folder> [documents] [seed]
// The bundled sample is "make-sandbox samples/sandbox"; benchmarks ask for large counts.
#include <cstdio>

#include <QCoreApplication>
#include <QStringList>

#include "base/Error.h"
#include "platform/diadoc/SandboxGenerator.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: make-sandbox <folder> [documents] [seed]\n");
        return 2;
    }
    platform::diadoc::SandboxGenerator::Settings settings;
    if (args.size() > 2)
        settings.documents = args.at(2).toInt();
    if (args.size() > 3)
        settings.seed = args.at(3).toUInt();
    try {
        platform::diadoc::SandboxGenerator::write(args.at(1), settings);
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
