#pragma once

#include <QString>

namespace platform::diadoc {

// Writes a deterministic sandbox folder: organisations (one with departments, one with an unpaid
// tariff), accounts, certificates and documents of several types with packages, powers of
// attorney and shared content files. The same seed and count always give the same files; the
// bundled sample and the benchmarks' large sandboxes both come from here.
class SandboxGenerator final
{
public:
    struct Settings
    {
        int documents = 300;
        quint32 seed = 20240301;
    };

    // Raises core::Error when a file cannot be written.
    static void write(const QString& folder, const Settings& settings);
};

} // namespace platform::diadoc
