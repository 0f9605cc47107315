#pragma once

#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>

#include "run/SignIn.h"

namespace core {
class UiServices;
class mAPI;
class mFetchlingOptions;
} // namespace core

namespace run {

// The run's choices of documents, handed to the engine in this order.
struct RunFlags
{
    bool withProtocol = false;
    bool withNoSended = false;
    bool withDeleted = true; // the hidden "deleted" box is always ticked
    bool withRevoked = false;
    bool withInternal = false;
    bool withSignatureRejected = false;
    bool onlyFinished = false;

    // The filters as the settings store holds them (each on only when stored as 1).
    static RunFlags fromOptions(const core::mFetchlingOptions& options);
};

// What one run is asked to do: the unload folder, the period, the filters and the ticked nodes,
// taken once when the run is started, so that what a window changes meanwhile does not move the
// running unload nor its summary.
struct RunRequest
{
    // As chosen; the start sequence checks it and hands the run the normalised folder, with its
    // closing "/".
    QString unloadFolder;
    QDate from;
    QDate to;
    int dateType = 0; // 0: by the date of receipt or sending
    RunFlags flags;
    std::vector<OrgNode> nodes; // every node of the tree, ticked or not, in tree order
    // What the summary names as the program (the window's caption); the run's own when empty.
    QString programCaption;
    // Lines for the run log about the settings that were read for this run and replaced (a stored
    // date that is no date).
    QStringList notes;

    int tickedCount() const;
};

// The checks of the unload folder before a run, in their order: an empty text, a system folder, a
// folder that is better avoided (asked), a folder that cannot be made or written to. A folder that
// passes them stands and takes files.
class UnloadFolder final
{
public:
    struct Check
    {
        QString folder;  // normalised, with its closing "/"
        QString refusal; // the message when the folder cannot be used
        int style = 0;   // the message's box style
        // The refusal is the question about a folder better avoided, already shown and declined:
        // a window shows nothing more.
        bool asked = false;
        bool ok() const { return refusal.isEmpty(); }
    };

    // Normalises the text (a "\" counts as "/", a doubled closing "/" loses one, a closing "/" is
    // added) and checks it; the question about a folder that is better avoided goes through the
    // ui, and an unattended run takes its default answer, Cancel. Makes the missing folders of a
    // path that passes the first checks; a relative path is refused before anything is made.
    static Check check(const QString& text, const core::mAPI& folders, core::UiServices& ui);
};

} // namespace run
