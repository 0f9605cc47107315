#pragma once

#include <memory>

#include <QString>

#include "ProtocolSource.h"
#include "core/ListenerList.h"
#include "core/mFetchlingOptions.h"

namespace core {
class Clock;
class UiServices;
class mLogFile;
class mUnzipper;
} // namespace core

namespace diadoc {
class AsyncContents;
class AsyncDocRecord;
class AsyncTasks;
class AsyncTskRecord;
class mDiadoc;
} // namespace diadoc

namespace platform::diadoc {
class DiadocDocument;
class Variant;
} // namespace platform::diadoc

namespace platform::excel {
class Workbook;
}

namespace engine {

class FetchlingListener;
class FolderLayout;
class MetadataFile;
class PowerOfAttorneyFiles;

// The unloading engine of one run: it owns the run's request and download queues, turns ticked
// organisation nodes into list requests, files every listed document into its pattern folder or
// among the ignored with the reason, and finishes every downloaded one with its metadata file.
// It never touches a window; its listeners hear of everything and can stop the run.
class Fetchling final
{
public:
    enum class ProtocolKind
    {
        Html,
        Excel,
        Csv,
    };

    // Reads LimitDocsInMemory and the two versions once, then prepares an empty run. The services
    // must outlive the engine.
    Fetchling(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
              core::mUnzipper& unzipper, core::mLogFile& log, const diadoc::mDiadoc& diadoc);
    ~Fetchling();
    Fetchling(const Fetchling&) = delete;
    Fetchling& operator=(const Fetchling&) = delete;

    // Listeners are called in the order they were attached; the engine does not own them. A
    // listener that may outlive the engine, or go before it, attaches through listeners().
    void attach(FetchlingListener* listener) { m_listeners.attach(listener); }
    void detach(FetchlingListener* listener) { m_listeners.detach(listener); }
    core::ListenerList<FetchlingListener>& listeners() { return m_listeners; }

    // Starts a new run: clears the stop flag, takes the run's flags and a snapshot of the options,
    // and replaces both queues with new empty ones. aWithNoSended has no effect.
    void ПодготовкаНовойВыгрузки(PersonsCollection& aКоллекцияОрганизаций, int aПоКакимДатамВыбирать,
                                 bool aWithProtocol, bool aWithNoSended, bool aWithDeleted, bool aWithRevoked,
                                 bool aWithInternal, bool aWithSignatureRejected, bool aOnlyFinished);
    // The unload folder last given to MainДобавлениеЗапросовВОчередь; empty before.
    QString Path() const { return m_path; }
    // Runs the request queue to its end; the count of the last list queued here.
    int ПостановкаДокументовВОчередьНаЗагрузку();
    // Runs the download queue to its end; how many unloaded documents it handed out.
    int ОбработкаВыгруженныхДокументов();
    void SetWithProtocol(bool i) { m_withProtocol = i; }
    // Adds the list requests of one tree node ("org…" or "org…|dep<id>") for every document class
    // (the internal one only when asked) over the period; a non-empty folder becomes the run's.
    void MainДобавлениеЗапросовВОчередь(const QString& aNodeKey, const QString& aДепартаментName,
                                        const QString& aFolder, int aDaysCount,
                                        const platform::diadoc::Variant& aDateFrom,
                                        const platform::diadoc::Variant& aDateTo);
    diadoc::AsyncContents& AsyncDocs();
    diadoc::AsyncTasks& AsyncTasks();

    // Writes the HTML protocol of the run into the file; False after a failure (already shown).
    // Raises the HTML protocol events. The protocols of one run may share their folder lookups.
    bool WriteProtocolHtml(const QString& aFileName, const SummaryRows& aAddText, ProtocolFolders* folders = nullptr);
    // Writes the CSV protocol of the run; False after a failure (already shown).
    bool WriteProtocolCsv(const QString& aFileName, ProtocolFolders* folders = nullptr);
    // The row-icon class of a status text in the HTML protocol.
    static int picturecode(const QString& sss);
    // Fills the Excel protocol workbook that the main window made (sheets "Итоги", "Выгружены",
    // "Не выгружены" first); empty when done, else the error text. Raises the Excel protocol events.
    QString WriteProtocolExcel(platform::excel::Workbook& aBook, const SummaryRows& aAddText,
                               ProtocolFolders* folders = nullptr);

    // What the protocol writers read: the unload folder, the organisations and every list of both
    // queues as they stand.
    ProtocolSource protocolSource() const;
    // The progress receiver to hand a protocol writer: it raises the engine's begin, step and end
    // events of that protocol.
    ProtocolProgress& protocolProgress(ProtocolKind kind);

    bool isStopped() const { return m_stop; }
    int folderRemovalCount() const { return m_folderRemovals; }
    const QString& versionText() const { return m_versionText; }
    // How many packages the run asked of the service.
    int packageRequests() const;

private:
    class TasksHandler;
    class DocsHandler;
    class ProtocolRelay;

    // Request queue handlers.
    void fAsyncTasks_OnAllowNextTaskStart(bool& rAllow);
    void fAsyncTasks_OnExecutedTask(const std::shared_ptr<diadoc::AsyncTskRecord>& rAsyncTskRecord);
    void fAsyncTasks_OnChanged(bool& rCancel);
    void fAsyncTasks_OnWait(bool& rCancel);
    // Download queue handlers.
    void fAsyncDocs_OnBeforeAddInUnloadedList(const std::shared_ptr<diadoc::AsyncDocRecord>& rDocRecord,
                                              QString& rCancelReason);
    void fAsyncDocs_OnChanged(bool& rCancel);
    void fAsyncDocs_OnWait(bool& rCancel);
    void fAsyncDocs_OnBadUnload(bool& rCancel);

    int ПостановкаДокументовВОчередьНаВыгрузкуПоОдномуСписку(const std::shared_ptr<diadoc::AsyncTskRecord>& rec);
    // The reason a listed document is not unloaded; empty when it is to be downloaded.
    QString ignoreReason(platform::diadoc::DiadocDocument& doc) const;
    bool IsDocInListExclude(const QString& title, const QString& direction) const;
    void takeCancel(bool cancel);

    template <typename Method, typename... Args> void raise(Method method, Args&&... args);

    const core::mFetchlingOptions& m_options;
    core::Clock& m_clock;
    core::UiServices& m_ui;
    core::mUnzipper& m_unzipper;
    core::mLogFile& m_log;

    bool m_stop = false;
    PersonsCollection m_ownPersons;
    PersonsCollection* m_persons = &m_ownPersons;
    QString m_path;
    bool m_withProtocol = false;
    bool m_withNoSended = false;
    bool m_withDeleted = false;
    bool m_withRevoked = false;
    bool m_withInternal = false;
    bool m_withSignatureRejected = false;
    bool m_onlyFinished = false;
    core::mFetchlingOptions::DocNamesExclude m_exclusions;
    bool m_excludeMHD = false;
    bool m_loadContentByZip = false;
    int m_memoryLimit = 200;
    QString m_versionText;
    int m_folderRemovals = 0;

    std::unique_ptr<FolderLayout> m_layout;
    std::unique_ptr<MetadataFile> m_metadata;
    std::unique_ptr<PowerOfAttorneyFiles> m_powersOfAttorney;
    core::ListenerList<FetchlingListener> m_listeners;
    // The handlers outlive the queues they are attached to.
    std::unique_ptr<TasksHandler> m_tasksHandler;
    std::unique_ptr<DocsHandler> m_docsHandler;
    std::unique_ptr<ProtocolRelay> m_htmlRelay;
    std::unique_ptr<ProtocolRelay> m_excelRelay;
    std::unique_ptr<ProtocolRelay> m_csvRelay;
    std::unique_ptr<diadoc::AsyncTasks> m_tasks;
    std::unique_ptr<diadoc::AsyncContents> m_docs;
};

} // namespace engine
