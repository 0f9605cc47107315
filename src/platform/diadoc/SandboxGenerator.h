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
    // The defaults give the bundled sample; any other value gives another, equally fixed, sandbox.
    struct Settings
    {
        int documents = 300;
        quint32 seed = 20240301;
        int extraOrganizations = 0;  // more paid organisations beside the sample's two
        int extraCounterparties = 0; // more counterparties beside the sample's five
        int years = 1;               // documents spread over this many years from 2024
        bool hostileTitles = false;  // every 50th title tries to climb out, names a device or is too long
        // The first kHostileDocuments documents carry content files named like the program's own
        // files beside a document, and titles, numbers and counterparty names with control
        // characters (NUL among them), line breaks and spreadsheet formulas.
        bool hostileContent = false;
        int polls = 2; // polls before a list or a download completes; 0: at once
    };

    static constexpr int kHostileDocuments = 12;

    // Raises core::Error when a file cannot be written.
    static void write(const QString& folder, const Settings& settings);
};

} // namespace platform::diadoc
