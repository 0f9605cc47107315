#pragma once

#include <QByteArray>
#include <QString>

namespace platform::diadoc {

// Where a value of a JSON text begins, found by the path the sandbox loader names it with:
// members joined by ".", elements as "[n]" ("listAsync.delayMs", "faults[2].attempt"). QJsonDocument
// keeps no positions, yet a value it accepted may still be refused, and the refusal names the byte
// offset in the file. Meant for a text that QJsonDocument has accepted; a key given twice counts
// where it stands last, as QJsonDocument keeps the last.
class JsonOffsets final
{
public:
    // The byte offset of the value at the path, or -1 when the text holds none there.
    static qint64 of(const QByteArray& json, const QString& path);
};

} // namespace platform::diadoc
