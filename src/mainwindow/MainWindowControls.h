#pragma once

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabBar;
class QTableView;
class QTimer;
class QTreeWidget;
class QWidget;

namespace core {
class DProgressBar;
}

namespace mainwindow {

class SSSplitter;

// Every control of the main window, built as the window is designed: each carries its design
// name as object name and its design caption, text, keys and visibility. The window owns them
// through Qt's parent ownership; this only points at them.
struct MainWindowControls
{
    // Builds the controls into the window and answers where they are.
    static MainWindowControls build(QMainWindow& window);

    // The top strip: the prerequisite message and the sign-in area, on the same place.
    QFrame* theBoxMessage = nullptr;
    QLabel* theLabelHeader = nullptr;
    QFrame* theBoxAuthorization = nullptr;
    QLabel* theLabelAuthorization = nullptr;
    QPushButton* theButtonAuthorization = nullptr;
    QPushButton* theButtonOptions = nullptr;

    SSSplitter* theSSSplitter = nullptr;

    // Pane "Pane Path".
    QWidget* thePanelPath = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* thePath = nullptr;
    QPushButton* theButtonSelectFolder = nullptr;
    QLabel* theImageVeryLongPath = nullptr;
    QLabel* theLabelVeryLongPath = nullptr;

    // Pane "Pane Filters".
    QWidget* thePanelFilter = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* theComboBoxTypeDate = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label17 = nullptr;
    QDateEdit* theDateFrom = nullptr;
    QLabel* Label11 = nullptr;
    QDateEdit* theDateTo = nullptr;
    QLabel* theOldEndDate = nullptr;
    QLabel* Label12 = nullptr;
    QTreeWidget* theTreeViewPersons = nullptr;
    QCheckBox* theCheckFinished = nullptr;
    QCheckBox* theCheckInternal = nullptr;
    QCheckBox* theCheckRevoked = nullptr;
    QCheckBox* theCheckSignatureRejected = nullptr;
    QCheckBox* theCheckProtocol = nullptr;
    QCheckBox* theCheckNoSended = nullptr;
    QCheckBox* theCheckDeleted = nullptr;
    QPushButton* theButtonExecute = nullptr;
    QPushButton* theButtonExit = nullptr;
    QPushButton* Command0 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

    // Pane "Pane Tasks".
    QWidget* thePanelTasks = nullptr;
    QLabel* theLabelTitleTasks = nullptr;
    QLabel* theLabelEmptyTasks = nullptr;
    QLabel* theEmptyTasks = nullptr;
    QTabBar* theTabsTasks = nullptr;
    QTableView* theGridTasks = nullptr;
    QLabel* theLabelTasksFailureCounter = nullptr;
    QLabel* theTasksFailureCounter = nullptr;
    QLabel* theLabelMaxDocsCountInOneList = nullptr;
    QLabel* theMaxDocsCountInOneList = nullptr;

    // Pane "Pane Docs".
    QWidget* thePanelDocs = nullptr;
    QLabel* theLabelTitleDocs = nullptr;
    QLabel* theLabelDocsCountAll = nullptr;
    QLabel* theDocsCountAll = nullptr;
    QTabBar* theTabsDocs = nullptr;
    QTableView* theGridDocs = nullptr;
    QLabel* theLabelDocsFailureCounter = nullptr;
    QLabel* theDocsFailureCounter = nullptr;

    // The status bar with its four panels (index 1 to 4; 3 and 4 keyed "ZipBar" and "ProgressBar"),
    // and the two controls over it.
    QStatusBar* theStatusBar = nullptr;
    QLabel* statusPanels[4] = {};
    core::DProgressBar* theProgressBar = nullptr;
    QCheckBox* theCheckZip = nullptr;

    // The popup menus of the tree; "popup" holds the tool "details".
    QMenu* thePopupMenu = nullptr;

    QTimer* theStartingTimer = nullptr;
    QTimer* theTimerStatusBar = nullptr;
};

} // namespace mainwindow
