#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include "MainWindowControls.h"
#include "RunWindow.h"
#include "core/mOther.h"
#include "engine/ProtocolSource.h"
#include "run/DateRules.h"

namespace core {
class Clock;
class UiServices;
class mFetchlingOptions;
} // namespace core

namespace platform::family {
class VersionInfo;
}

namespace platform::registry {
class Registry;
}

namespace diadoc {
class mDiadoc;
}

namespace run {
class RunObserver;
struct OrgNode;
struct Services;
} // namespace run

namespace mainwindow {

class OrganisationTree;
class Prerequisites;
class QueueViews;
class SignInLabel;
class RunControl;

// What the main window is given from outside. Everything must outlive the window.
struct MainWindowServices
{
    MainWindowServices(core::mFetchlingOptions& options_, core::UiServices& ui_, const core::Clock& clock_,
                       const platform::registry::Registry& registry_, const diadoc::mDiadoc& diadoc_,
                       const Prerequisites& prerequisites_)
        : options(options_)
        , ui(ui_)
        , clock(clock_)
        , registry(registry_)
        , diadoc(diadoc_)
        , prerequisites(prerequisites_)
    {
    }

    core::mFetchlingOptions& options;
    core::UiServices& ui;
    const core::Clock& clock;
    // The store's machine hive holds the family's root folder, where the archive viewer lives.
    const platform::registry::Registry& registry;
    const diadoc::mDiadoc& diadoc;
    const Prerequisites& prerequisites;
    // The family's version component; nothing when it is missing.
    const platform::family::VersionInfo* versionInfo = nullptr;
    // What the sign-in and the run use; without them the window only shows its controls.
    const run::Services* runServices = nullptr;
    // Also told when a run has ended (the unattended start prints it); may be nothing.
    run::RunObserver* runListener = nullptr;
    // Hands a file to the desktop to be opened, without waiting; the desktop's own when empty.
    std::function<bool(const QString& file)> openFile;
    core::ExcelApplicationFactory excelFactory;
    // What follows the program's own path on the command line, the arguments joined by blanks.
    QString commandLine;
    // Starts a program with its arguments and does not wait for it; false when it could not start.
    // The program's own starter when empty.
    std::function<bool(const QString& program, const QStringList& arguments)> startProgram;
};

// The application's start-up object and only top-level window: checks the prerequisites, offers
// the sign-in, holds the choices of a run, shows the queues and the counters, and closes the
// application. It holds no logic of the run: sign-in and run are driven through the hooks below,
// and the window's side of a run reaches it only through RunWindow.
class frmDiadocUnloadDocs : public QMainWindow, private RunWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDiadocUnloadDocs)

public:
    static constexpr char16_t kPlacementKey[] = u"Software\\Quorvel Labs\\N7_Fetchling\\frmDiadocUnloadDocs";
    // The caption the window has until the load builds its own.
    static constexpr char16_t kDesignCaption[] = u"Ларимо-9: Фетчлинг. Версия ?.?.? (+DiadocAPI v. ?.??.?.??\?)";
    static constexpr char16_t kViewerProgram[] = u"N7_EDViewer.exe";
    static constexpr char16_t kViewerArchive[] = u"Files.n7t";
    // The login with which the unload folder box becomes editable (with a login and password sign-in).
    static constexpr char16_t kDeveloperLogin[] = u"developer@quorvel-labs.example";
    // Design sizes in twips.
    static constexpr int kDesignWidth = 14130;
    static constexpr int kDesignHeight = 8970;
    static constexpr int kDesignPaneFiltersWidth = 4425;
    static constexpr int kDesignPaneTasksHeight = 2990;
    static constexpr int kPanePathHeight = 810;
    static constexpr int kPanePathHeightWithWarning = 1290;
    static constexpr int kLongPathLength = 16;

    explicit frmDiadocUnloadDocs(MainWindowServices services, QWidget* parent = nullptr);
    ~frmDiadocUnloadDocs() override;

    // The load: prerequisites, sign-in, the run choices, the placement and, for an unattended
    // start, the start timer. Called once, before the window is shown.
    void Form_Load();

    // Opens the options dialog with the organisations' document types; what it stores is read back by
    // the options button. Virtual, so that a test can stand in for the modal dialog.
    virtual void DoOptions();

    // The state that the other parts of the window read.
    int busyMode() const override { return fBusyMode; }
    bool autoStart() const { return fAutoStart; }
    const MainWindowControls& controls() const { return m_c; }
    double paneFiltersWidth() const { return fPaneFiltersWidth; }
    // The text of status bar panel 1 to 4.
    QString statusPanelText(int index) const;
    // The organisations and departments of the last sign-in with the user's ticks.
    const OrganisationTree& organisationTree() const { return *m_organisationTree; }
    OrganisationTree& organisationTree() { return *m_organisationTree; }
    // The sign-in label's top and height in twips.
    const SignInLabel& signInLabel() const { return *m_signInLabel; }
    // The exit code of an unattended start, after its run (see run::StartSequence).
    int autoStartExitCode() const;

protected:
    // Hooks that the sign-in and the run fill. The defaults keep the window usable without them.

    // Signs in with the stored settings (after the sign-in dialog when showDialog), fills fPersons and
    // the tree and reports the outcome in theLabelAuthorization; ends by enabling the tree when it
    // has nodes and by thePathRefresh. Without the run's services it does only that ending.
    virtual void DoAuthorizationEx(bool showDialog);
    // The Execute button: starts one unloading run, or offers to stop the one under way. The
    // default does nothing.
    virtual void theButtonExecute_Click();
    // A developer button: opens one sign-in dialog variant (0 to 3) and ignores its answer.
    virtual void runSignInDialogVariant(int variant);
    // How many documents the last run of this session unloaded; -1 when no run has taken place.
    virtual int lastRunUnloadedCount() const;
    // Releases the last run's engine and its two queues.
    virtual void releaseRun();
    // Every node of the organisation tree in tree order, with its key, its path and its tick.
    virtual std::vector<run::OrgNode> treeNodes() const;

    // Busy mode 0 idle, 2 unloading, 3 writing protocols; any other value is only stored.
    void SetBusyMode(int mode) override;
    void thePathRefresh();
    void theCheckSignatureRejectedRefresh();
    void SaveParameters() override;
    void UpdateTasksFailureCounter(int count);
    void UpdateDocsFailureCounter(int count);
    void UpdateMaxDocsCountInOneList(int count) override;
    QString MeCaption() const;
    bool isDeveloperMode() const;

    core::mFetchlingOptions& options() const { return m_services.options; }
    core::UiServices& ui() const { return m_services.ui; }
    const diadoc::mDiadoc& diadocAccess() const { return m_services.diadoc; }
    // The queue tabs and grids: the run binds its queues here when it starts and lets go of them
    // before they go.
    QueueViews& queueViews() override { return *m_queueViews; }

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // The window's state shared with the sign-in. The run's own state (its stop, its stop reason,
    // its counts) is run::Run's, read through the run.
    QString fBaseCaption;
    int fBusyMode = 0;
    bool fAutoStart = false;
    // Shared with the organisation tree and with the engine of the last run, which reads it until
    // the next run replaces it.
    std::shared_ptr<engine::PersonsCollection> fPersons;
    int fMaxDocsInOneList = -1;
    int fTasksFailureCount = 0;
    int fDocsFailureCount = 0;
    double fPaneFiltersWidth = kDesignPaneFiltersWidth;

    MainWindowControls m_c;

private:
    // RunWindow: what the window's side of a run reaches.
    run::RunRequest runChoices() const override;
    run::Organisations signedIn() const override;
    void showUnloadFolder(const QString& folder) override;
    void showNextStart(const QDate& from) override;
    void setExecuteEnabled(bool enabled) override;
    void selectQueueTabs(const QString& tasksKey, const QString& docsKey) override;
    void showTabCaptions(const QList<RunStatus::TabCaption>& tasks, const QList<RunStatus::TabCaption>& docs) override;
    void showTaskCounts(int empty, int documents) override;
    void showFailureCounts(int listFailures, int downloadFailures) override;
    void resetCounters() override;
    void showStatusText(int panel, const QString& text) override;
    core::DProgressBar& progressBar() override;

    void connectControls();
    // Shows a period of the date rules in the date boxes and the label of the replaced end date.
    void showPeriod(const run::DateRules::Period& period);
    void applyPlacement();
    void applyDefaultPlacement();
    void storePlacement();
    // Busy, or a start or release under way: the window is not to close.
    bool isBusy() const;
    void Form_QueryUnload(bool& cancel);
    void Form_Unload(bool& cancel);
    void showRefusal();
    void offerArchiveViewer();
    int windowStateNumber() const;
    int centredLeft() const;
    int centredTop() const;

    void theButtonOptions_Click();
    void theButtonExit_Click();
    void theButtonSelectFolder_Click();
    void theStartingTimer_Timer();
    void theTimerStatusBar_Timer();

    MainWindowServices m_services;
    OrganisationTree* m_organisationTree = nullptr;
    SignInLabel* m_signInLabel = nullptr;
    double m_designPaneFiltersWidth = kDesignPaneFiltersWidth;
    // The stored values that the date rules of the load or of the options replaced, for the log
    // of the next run.
    QStringList m_replacedDates;
    // Set while the window is being closed: a close asked from the messages let through meanwhile
    // (the wait for the last run's downloads) is not a second close.
    bool m_closing = false;
    // Nothing without the run's services.
    std::unique_ptr<RunControl> m_runControl;
    std::unique_ptr<QueueViews> m_queueViews;
};

} // namespace mainwindow
