#pragma once

#include <QString>

namespace core {

// A link address as every file of the program holds it: each byte of its UTF-8 beyond ASCII,
// each blank and each control character percent-encoded, so that the address stays one plain
// ASCII line that a shortcut, a workbook's relationships part or a reader takes as it stands.
class LinkAddress final
{
public:
    static QString encoded(const QString& address);
};

} // namespace core
