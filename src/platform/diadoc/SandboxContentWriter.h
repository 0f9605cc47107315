#pragma once

#include <QString>

#include "SandboxData.h"

namespace platform::diadoc {

// Writes what a completed content save of the emulated client leaves on disk: the document's
// content files in a folder, or one ZIP archive (sound, or damaged as a fault rule asks). A
// missing folder or a file that cannot be written raises the texts the real client gives.
class SandboxContentWriter final
{
public:
    static void writeFolder(const DocumentData& document, const QString& folder, bool withProtocol);
    static void writeZip(const DocumentData& document, const QString& zipPath, FaultEffect damage);
};

} // namespace platform::diadoc
