#pragma once

#include <functional>
#include <memory>

#include <QString>

namespace platform::excel {

class Window;
class Workbook;
class Workbooks;

// How the application is set up; tests and the program's wiring choose these.
struct ApplicationOptions
{
    // The version the application reports; major 12 and above save ".xlsx" workbooks.
    QString version = QStringLiteral("16.0");
    // Sheets in a workbook made by Workbooks.Add.
    int sheetsInNewWorkbook = 1;
    // Where saves are rendered before they are copied to their file; the system's temp folder when empty.
    QString tempPath;
    // How a visible application shows a workbook file to the user; nothing is shown when unset.
    std::function<void(const QString& filePath)> showFile;
};

// The spreadsheet application the protocol writer and the main window automate: an in-memory model
// of workbooks, sheets, cells and formats, saved as .xlsx files. It shows nothing itself; a visible
// application hands its workbook files to ApplicationOptions::showFile.
class Application final
{
public:
    explicit Application(ApplicationOptions options = {});
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    QString Name() const;
    QString Version() const;
    int Build() const;

    excel::Workbooks& Workbooks();
    Workbook* ActiveWorkbook() const { return m_activeWorkbook; }
    // The window of the active workbook; raises when no workbook is open.
    Window& ActiveWindow();

    int SheetsInNewWorkbook() const { return m_options.sheetsInNewWorkbook; }
    void setSheetsInNewWorkbook(int count);

    bool Visible() const { return m_visible; }
    // Making the application visible shows every open workbook (an unsaved one as a temporary copy).
    void setVisible(bool visible);
    // The stand-in has no main window of its own.
    qintptr Hwnd() const { return 0; }

    // Closes every workbook without saving; every later call on the application raises.
    void Quit();

    // For the objects of the model.
    const ApplicationOptions& options() const { return m_options; }
    void setActiveWorkbook(Workbook* workbook) { m_activeWorkbook = workbook; }
    void checkRunning() const;

private:
    ApplicationOptions m_options;
    std::unique_ptr<excel::Workbooks> m_workbooks;
    std::unique_ptr<Window> m_window;
    Workbook* m_activeWorkbook = nullptr;
    bool m_visible = false;
    bool m_quit = false;
};

} // namespace platform::excel
