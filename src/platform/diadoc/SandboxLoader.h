#pragma once

#include <QJsonObject>
#include <QString>

#include "SandboxData.h"

namespace platform::diadoc {

// Reads a sandbox folder's sandbox.json. A fault in the file (not a regular file, bad JSON, a
// missing or mistyped field, a number out of its range, a content path that leaves the folder or
// names no file) raises core::Error whose text names the file and the fault, and for a value its
// byte offset in the file.
class SandboxLoader final
{
public:
    static SandboxData load(const QString& folder);
    static FaultRule faultFromJson(const QJsonObject& object, const QString& where);

    static constexpr char16_t kFileName[] = u"sandbox.json";

private:
    static QByteArray readFile(const QString& path);
};

} // namespace platform::diadoc
