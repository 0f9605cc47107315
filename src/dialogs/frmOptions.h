#pragma once

#include <functional>
#include <optional>

#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QUrl;

namespace core {
class DocTypesProvider;
class UiServices;
class mFetchlingOptions;
} // namespace core

namespace dialogs {

class DocTypesTree;
class ExclusionListEditor;
class FolderStructureEditor;
class ToolBarsPopup;
class TwipsLayout;

// The options dialog: every stored option that the main window does not edit itself, on four tabs.
// Created for one use; Execute loads every control from the store and shows the dialog modally.
// Only OK stores, and it stores every option in one transaction of the store; Cancel and the
// window's close box store nothing. The caller reads the store again afterwards.
class frmOptions final : public QDialog
{
    Q_OBJECT

public:
    // Opens an address; the desktop's handler unless a test gives its own.
    using UrlOpener = std::function<void(const QUrl&)>;

    static constexpr char16_t kInstructionAddress[] =
        u"https://learn.microsoft.com/ru-ru/windows/win32/fileio/maximum-file-path-limitation";
    static constexpr char16_t kWebPageAddress[] = u"https://quorvel-labs.example/fetchling";

    frmOptions(core::UiServices& ui, core::mFetchlingOptions& options, QWidget* parent = nullptr,
               UrlOpener openUrl = {});
    ~frmOptions() override;
    Q_DISABLE_COPY_MOVE(frmOptions)

    // Loads every control (the document types from the organisations given, which may be none),
    // shows the dialog and returns when it has been closed. A failure while loading is passed on
    // and the dialog is not shown.
    void Execute(const QList<core::DocTypesProvider*>& aOrgCollection);
    // The row navigation of the exclusion grid, the same arithmetic as every unbound grid's.
    static void TDBGridArrayed_OnUnboundGetRelativeBookmark(int aCount, const std::optional<int>& aStartLocation,
                                                            int aoffset, std::optional<int>& rNewLocation,
                                                            int& rApproximatePosition, int aBaseIndex = 1);
    // Pastes the clipboard's text into the exclusion grid from its current row on.
    void PasteFromClip();
    // Runs a command of the tool bar or of a popup menu by its identifier.
    void HandleActionCommand(const QString& id);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* buildProtocolPanel();
    QWidget* buildDocTypesPanel();
    QWidget* buildExcludePanel();
    QWidget* buildMorePanel();
    void Form_Load();
    void loadNumbers();
    void theOK_Click();
    void theCancel_Click();
    void theDefault_Click();
    void thePath_LostFocus();
    void theButtonSelectFolder_Click();
    void theURL1_DblClick();
    void theURL2_DblClick();
    void CheckPathLen();
    void OpenWebPage(const QString& address);
    void theToolBars_ToolClick(const QString& tool);

    core::UiServices& m_ui;
    core::mFetchlingOptions& m_options;
    UrlOpener m_openUrl;

    QTabWidget* theTabs = nullptr;
    QWidget* theTabPanelProtocol = nullptr;
    QLineEdit* thePath = nullptr;
    QPushButton* theButtonSelectFolder = nullptr;
    QLineEdit* theURL1 = nullptr;
    QLineEdit* theURL2 = nullptr;
    QSpinBox* theMaxFolderNameLength = nullptr;
    QCheckBox* theCheckBoxGroupIntoPackages = nullptr;
    QCheckBox* theCheckBoxExcludeNegligible = nullptr;
    QCheckBox* theCheckBoxDateEndYesterday = nullptr;
    QCheckBox* theCheckBoxDateBeginMove = nullptr;
    QCheckBox* theCheckBoxHtmlProtocol = nullptr;
    QCheckBox* theCheckBoxExcelProtocol = nullptr;
    QCheckBox* theCheckBoxCsvProtocol = nullptr;
    QCheckBox* theCheckBoxSelectiveDocTypes = nullptr;
    QCheckBox* theCheckBoxExcludeMHD = nullptr;
    QSpinBox* theDaysCount = nullptr;
    QSpinBox* theTasksLimit = nullptr;
    QSpinBox* theDocsLimit = nullptr;
    QSpinBox* theLimitDocsInMemory = nullptr;
    QSpinBox* theTimeOut = nullptr;
    QCheckBox* theCheckBoxLoadContentByZip = nullptr;
    QCheckBox* theCheckBoxLogFile = nullptr;
    QPushButton* theOK = nullptr;
    QPushButton* theCancel = nullptr;
    QPushButton* theDefault = nullptr;

    ToolBarsPopup* theToolBars = nullptr;
    FolderStructureEditor* m_structure = nullptr;
    DocTypesTree* m_docTypes = nullptr;
    ExclusionListEditor* m_exclude = nullptr;
    TwipsLayout* m_protocolLayout = nullptr;
};

} // namespace dialogs
