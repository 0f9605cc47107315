#pragma once

#include <memory>
#include <vector>

#include <QString>

namespace platform::excel {

class Application;
class Workbook;

// The open workbooks of the application, numbered from 1 in the order they were opened.
class Workbooks final
{
public:
    explicit Workbooks(excel::Application& application);
    ~Workbooks();
    Workbooks(const Workbooks&) = delete;
    Workbooks& operator=(const Workbooks&) = delete;

    // A new workbook with the application's SheetsInNewWorkbook sheets; it becomes the active workbook.
    Workbook& Add();
    // A workbook file to be shown: its sheets are not read into the model; it can be saved under
    // another name (a copy) and shown, nothing more.
    Workbook& Open(const QString& fileName, bool readOnly = false);

    int Count() const;
    Workbook& Item(int index) const;

    excel::Application& Application() const { return m_application; }

    // For Workbook::Close and Application::Quit.
    void close(Workbook& workbook);
    void closeAll();

private:
    excel::Application& m_application;
    std::vector<std::unique_ptr<Workbook>> m_open;
    // Closed workbooks stay allocated, emptied, so that a reference left behind raises instead of dangling.
    std::vector<std::unique_ptr<Workbook>> m_closed;
    int m_created = 0;
};

} // namespace platform::excel
