#pragma once

#include <memory>
#include <unordered_map>

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include "AsyncContentsListener.h"
#include "RecordList.h"
#include "ResultPolling.h"
#include "core/ListenerList.h"

namespace core {
class Clock;
class UiServices;
class mFetchlingOptions;
class mLogFile;
class mUnzipper;
} // namespace core

namespace platform::diadoc {
class DiadocDocument;
} // namespace platform::diadoc

namespace diadoc {

class AsyncDocRecord;
class AsyncTskRecord;
class mDiadocErrors;

// The content downloads of one unloading run: documents wait in a main queue, are downloaded
// through the Diadoc client (at most DocsLimit at once, as separate files or one ZIP archive that
// is unpacked), are polled until complete, offered to the owner for acceptance, and end unloaded,
// ignored with their reason, or in the secondary queue for another try. Nothing runs by itself:
// the queue moves when a document is added or a result is asked for.
class AsyncContents final
{
public:
    using Record = std::shared_ptr<AsyncDocRecord>;

    // A document whose download fails this many times is given up with its last error; one whose
    // download did not complete in time (kTimeOutsBeforeGivingUp) after its second time-out.
    static constexpr int kMaxAttempts = 10;
    // The pause of the polling loop while downloads run and none was accepted.
    static constexpr int kPollPauseMs = 250;
    // How long a queue that is released waits for downloads still in flight.
    static constexpr int kReleaseWaitMs = 30000;

    // The reason given to a document that this run has already taken for download.
    static constexpr char16_t kRepeatReason[] =
        u"Документ повторно попал в результаты запросов и уже выгружается в этом запуске";

    // What the polling did, for diagnostics and benchmarks.
    struct Statistics
    {
        qint64 polls = 0;  // IsCompleted asked
        qint64 pauses = 0; // pauses of kPollPauseMs
        qint64 starts = 0; // start attempts
    };

    // Reads DocsLimit from the options once. The unzip module and the run log serve every
    // document of the run.
    AsyncContents(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
                  core::mUnzipper& unzipper, core::mLogFile& log);
    // Lets go of the downloads still in flight without waiting: an owner waits for them first
    // with FinishRunningDownloads.
    ~AsyncContents();
    AsyncContents(const AsyncContents&) = delete;
    AsyncContents& operator=(const AsyncContents&) = delete;

    // Listeners are called in the order they were attached; the queue does not own them. A
    // listener that may outlive the queue, or go before it, attaches through listeners().
    void attach(AsyncContentsListener* listener) { m_listeners.attach(listener); }
    void detach(AsyncContentsListener* listener) { m_listeners.detach(listener); }
    core::ListenerList<AsyncContentsListener>& listeners() { return m_listeners; }

    const AsyncDocList& MainQueue() const { return m_mainQueue; }
    const AsyncDocList& SecondaryQueue() const { return m_secondaryQueue; }
    const AsyncDocList& UnloadingList() const { return m_unloadingList; }
    const AsyncDocList& UnloadedList() const { return m_unloadedList; }
    const AsyncDocList& IgnoredList() const { return m_ignoredList; }

    // 1 main queue, 2 secondary queue, 3 unloading, 4 unloaded, 5 ignored; any other value the
    // sum of all five.
    int Count(int aSelect = 0) const;
    // Documents of the ignored list that were queued for download and failed for good: their
    // start, download, unpacking or metadata failed, or every attempt failed. Documents that a
    // rule of the run left out, and repeats, are not counted.
    int FailedCount() const { return m_failed; }

    bool AddNewDocInQueue(const AsyncTskRecord& aTaskRecord,
                          const std::shared_ptr<platform::diadoc::DiadocDocument>& aDocument, const QString& aPath,
                          bool aWithProtocol, bool aLoadContentByZip);
    bool AddDocInListIgnored(const AsyncTskRecord& aTaskRecord,
                             const std::shared_ptr<platform::diadoc::DiadocDocument>& aDocument, const QString& Reason);

    // The unloaded documents one by one, downloading, collecting and waiting as long as anything
    // is left to do; nothing at the end or once the queue is cancelled.
    Record GetFirstResult();
    Record GetNextResult();

    // One collection pass over the running downloads; true when a document was unloaded in it.
    // A pass asked for while another runs answers false at once.
    bool РазобратьРаботающиеЗапросы();

    // While no download is in flight, starts the waiting documents one after another until one
    // runs or none waits. Nothing but this queue starts a download, and it starts them only when a
    // document is added or one was taken out of the unloading list: with none in flight and none
    // added, a caller that waits for the waiting ones to go would wait for ever.
    void StartWhenNoneInFlight();

    // Waits, on the clock and for at most maxWaitMs, until no download of the unloading list is
    // still being written, then lets go of their operations. Nothing is judged or moved: the
    // owner calls it before it lets the queue go, so that no file is written after the run has
    // ended. The clock may let a window's messages through; the owner guards against re-entry.
    void FinishRunningDownloads(int maxWaitMs = kReleaseWaitMs);

    int DocsLimit() const { return m_docsLimit; }
    bool isCancelled() const { return m_cancel; }
    const Statistics& statistics() const { return m_statistics; }

private:
    enum class Verdict
    {
        Unloaded,  // offered for acceptance
        Secondary, // another try later
        Ignored,   // given up
    };

    bool PushForwardProcess();
    void ЗапуститьОчереднойЗапросИзОчередей();

    // Download start, judgement and unpacking.
    int ЗапуститьЗапрос(const Record& rec);
    int InitDocSaveContent(const Record& aAsyncDocRecord);
    bool ПереименоватьПапку(const QString& folder, const Record& owner);
    // Folder mode takes the names of the files the download was seen to write.
    int КоличествоВыгруженныхФайлов(const Record& rec, const QStringList& writtenInFolder, bool inSharedFolder);
    int РаспаковатьContentZip(const Record& rec, const QString& archive, const QString& mask, const QString& folder);
    Verdict judgeCompleted(const Record& rec);
    // A download still running after the operation time-out: failed, let go, tried again.
    Verdict judgeTimedOut(const Record& rec);
    bool timedOut(const Record& rec) const;
    Verdict judgeFailedStart(const Record& rec);
    Verdict classifyError(const Record& rec) const;
    Verdict retryOrGiveUp(const Record& rec) const;

    // Folder bookkeeping: who may move a folder aside, and what a folder-mode download wrote.
    static QString folderKey(const QString& path);
    bool ownsFolderAlone(const Record& rec, const QString& folder) const;
    // Files of the folder that are new or changed since the record's download started.
    QStringList filesWrittenSinceStart(const Record& rec, const QString& folder);
    // Folder mode: a written file that has one of the program's own names (OwnFileNames) moves to
    // the first free numbered name, as the unpacker numbers it. Empty, or why it could not move.
    QString moveOffOwnNames(const AsyncDocRecord& rec, const QStringList& written);
    // Folder mode: above 0 when the download left content: in a folder of its own, any content
    // file the folder holds; in a folder shared with another document, what changed in it.
    int contentFilesOfDownload(const Record& rec, const QStringList& written, bool inSharedFolder) const;
    // Whether the folder or a folder below it that is no other document's holds a content file.
    bool holdsContentFile(const QString& folder) const;
    // ZIP mode: the archive of a download that failed goes, whole or not.
    void removePartialArchive(const AsyncDocRecord& rec);

    void toSecondaryQueue(const Record& rec);
    void toIgnoredList(const Record& rec);
    void forget(const Record& rec);
    // One pass of the polling loop; true when the loop should wait before the next.
    bool pollPass();

    void raiseChanged();
    void raiseWait();
    void raiseBadUnloadDoc();
    template <typename Method> void raiseRecord(Method method, const Record& rec);

    struct FileStamp
    {
        qint64 size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const FileStamp& other) const = default;
    };
    using FolderContent = QHash<QString, FileStamp>;
    // The content files directly in the folder with their size and time of last change.
    static FolderContent scanFolder(const QString& folder);
    // True when the folder made for the path is one that surely takes files without a probe.
    static bool madeWritable(const QString& path, const QString& made);

    core::Clock& m_clock;
    core::UiServices& m_ui;
    core::mUnzipper& m_unzipper;
    core::mLogFile& m_log;
    std::unique_ptr<mDiadocErrors> m_errors;
    int m_docsLimit = 30;

    AsyncDocList m_mainQueue;
    AsyncDocList m_secondaryQueue;
    AsyncDocList m_unloadingList;
    AsyncDocList m_unloadedList;
    AsyncDocList m_ignoredList;
    int m_failed = 0;
    bool m_cancel = false;
    bool m_busy = false;

    std::unordered_map<const AsyncDocRecord*, int> m_attempts;
    std::unordered_map<const AsyncDocRecord*, int> m_timeOuts;
    // When each download of the unloading list was started, on the clock.
    std::unordered_map<const AsyncDocRecord*, qint64> m_startedAt;
    // Box and document id of every document taken for download, to catch repeats.
    QSet<QString> m_taken;
    // How many queued documents name each target folder, and which document made a folder.
    QHash<QString, int> m_folderUsers;
    QHash<QString, const AsyncDocRecord*> m_folderMaker;
    // Folder mode: the files the folder held when each running download into it started; each one
    // is measured against its own start. The downloads into a folder shared with another document.
    QHash<const AsyncDocRecord*, FolderContent> m_contentAtStart;
    QSet<const AsyncDocRecord*> m_inSharedFolder;
    Statistics m_statistics;
    ResultPolling<AsyncDocList> m_results;
    // Declared last, so that it goes first: a listener told that the queue goes finds its lists
    // still standing.
    core::ListenerList<AsyncContentsListener> m_listeners;
};

} // namespace diadoc
