#pragma once

#include <QString>

#include "ProtocolSource.h"

class QIODevice;

namespace core {
class UiServices;
}

namespace engine {

class ProtocolOutput;

// Writes the HTML protocol of a finished or stopped run: one self-contained windows-1251 page with
// the summary rows as its heading and one table per non-empty document list. Every value that
// comes from outside is escaped, so a document's title cannot break the page.
class HtmlProtocol final
{
public:
    // Everything given must outlive the writer.
    HtmlProtocol(const ProtocolSource& source, const SummaryRows& aAddText, ProtocolProgress& progress,
                 core::UiServices& ui);

    // Writes the page into the file aFileName, which takes it only once it is complete. True when
    // the page was written to its end or cut short by a cancel; false after a failure, which has
    // then been shown to the user.
    bool write(const QString& aFileName);
    // The same onto a device, opened here when it is not open yet; aFileName names it in messages.
    bool write(QIODevice& device, const QString& aFileName);

    // 0 for a status in which a document's flow is in order, 1 for any other (the empty one too).
    static int picturecode(const QString& sss);

    // The texts of the page as the writer escapes them: "&", "<", ">", quotes and apostrophes, after
    // the characters no protocol holds are dropped (core::PrintableText).
    static QString escaped(const QString& text);
    // The link to a folder: a file URL, with every character outside ASCII percent-encoded.
    static QString folderLink(const QString& folder);

private:
    enum class LastCell
    {
        Folder,
        ErrorDescription,
        None,
        LastErrorDescription,
    };

    struct Section
    {
        const DocRecordList* list;
        const char16_t* heading;
        QString headerCells;
        LastCell lastCell;
    };

    void writePage(ProtocolOutput& out);
    void writeStyle(ProtocolOutput& out) const;
    QString documentRow(const diadoc::AsyncDocRecord& doc, LastCell lastCell) const;
    // Raises the step event; true when a listener asked to stop.
    bool stepCancelled();
    void showFailure(const QString& aFileName, int number, const QString& description) const;

    const ProtocolSource& m_source;
    const SummaryRows& m_addText;
    ProtocolProgress& m_progress;
    core::UiServices& m_ui;

    int m_stepCount = 0;
    int m_numberStep = 0;
    bool m_cancel = false;
    // The stage of the writing a failure is reported at, in place of a source line.
    int m_line = 0;
};

} // namespace engine
