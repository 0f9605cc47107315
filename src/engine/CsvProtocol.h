#pragma once

#include <QString>

#include "ProtocolSource.h"

class QIODevice;

namespace core {
class UiServices;
}

namespace engine {

// Writes the CSV protocol of a run: one windows-1251 line of ten ";"-separated fields for each
// unloaded document, without a header line.
class CsvProtocol final
{
public:
    // Everything given must outlive the writer.
    CsvProtocol(const ProtocolSource& source, ProtocolProgress& progress, core::UiServices& ui);

    // Writes the file aFileName, which takes the new content only once it is complete. True when it
    // was written to its end or cut short by a cancel; false after a failure, which has then been
    // shown to the user.
    bool write(const QString& aFileName);
    // The same onto a device, opened here when it is not open yet; aFileName names it in messages.
    bool write(QIODevice& device, const QString& aFileName);

    // Where a field's text comes from: the service or people (titles, names, numbers, reasons), or
    // the program itself (dates it formats, fixed names).
    enum class Source
    {
        Outside,
        Program,
    };

    // A field as the file holds it: characters no protocol holds dropped, blanks trimmed, a text
    // from outside that a spreadsheet would take for a formula (it begins with "=", "+", "-", "@",
    // a tab or a carriage return) preceded by an apostrophe, inner quotes doubled, and the whole
    // enclosed in quotes when it holds a comma, a semicolon, a quote or a line break.
    static QString writtenField(const QString& field, Source source = Source::Program);

private:
    QString line(const diadoc::AsyncDocRecord& doc) const;
    void showFailure(const QString& aFileName, const QString& description) const;

    const ProtocolSource& m_source;
    ProtocolProgress& m_progress;
    core::UiServices& m_ui;
};

} // namespace engine
