#pragma once

#include <QString>
#include <QStringView>

namespace core {

// Texts from other organisations may hold characters that no file the program writes can carry:
// control characters (NUL among them) cut a spreadsheet cell short or pass raw into a protocol,
// and non-characters or a lone surrogate make an XML part unreadable. Such characters are
// dropped; tab, carriage return and line feed stay for the outputs to treat as they allow.
class PrintableText final
{
public:
    static bool isPrintable(QStringView text);
    // The text without the characters above; the same text when it has none.
    static QString cleaned(const QString& text);
};

} // namespace core
