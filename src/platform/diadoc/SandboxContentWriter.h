#pragma once

#include <QString>

#include "SandboxData.h"

namespace platform::diadoc {

class SandboxService;

// Writes what a completed content save of the emulated client leaves on disk: the document's
// content files in a folder, or one ZIP archive (sound, or damaged as a fault rule asks). A
// missing folder or a file that cannot be written raises the texts the real client gives; a full
// disk raises "Disk full", as the program's own file layer does. The files take their names only
// once every one of them is written, so a failed save leaves none.
class SandboxContentWriter final
{
public:
    // The content files' bytes come from the service that holds the sandbox.
    static void writeFolder(const DocumentData& document, const QString& folder, bool withProtocol,
                            SandboxService& service);
    static void writeZip(const DocumentData& document, const QString& zipPath, FaultEffect damage,
                         SandboxService& service);
};

} // namespace platform::diadoc
