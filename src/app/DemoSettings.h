#pragma once

#include <QString>

namespace core {
class mFetchlingOptions;
}

namespace app {

// Points a settings store at a sandbox folder for a first unattended run: the server address,
// the sample account, the unload folder and the period, with every protocol switched on.
class DemoSettings final
{
public:
    static constexpr char16_t kLogin[] = u"buh@romashka.ru";
    static constexpr char16_t kPassword[] = u"Ромашка2024";

    // Raises core::Error naming the folder when the sandbox folder holds no sandbox.json, or when
    // the unload folder, or a folder above it, is something other than a folder.
    static void check(const QString& sandboxFolder, const QString& unloadFolder);

    // from and to are "dd.mm.yyyy"; the sample's documents lie in 2024. Checks the folders first
    // and leaves the store as it was when they do not pass.
    static void write(core::mFetchlingOptions& options, const QString& sandboxFolder, const QString& unloadFolder,
                      const QString& from = QStringLiteral("01.01.2024"),
                      const QString& to = QStringLiteral("31.12.2024"));
};

} // namespace app
