#pragma once

#include <memory>

#include <QString>

namespace platform::excel {

class Application;
class Sheets;
class Worksheet;

// One workbook: its sheets in order, its active sheet, and the file it was saved to or opened from.
class Workbook final
{
public:
    Workbook(excel::Application& application, QString name);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    excel::Application& Application() const { return m_application; }
    QString Name() const;
    // The full file name after a save or an open; the bare name before.
    QString FullName() const;
    bool ReadOnly() const { return m_readOnly; }

    excel::Sheets& Sheets();
    excel::Sheets& Worksheets() { return Sheets(); }
    Worksheet& ActiveSheet();
    void Activate();

    // Renders the workbook to an .xlsx file (whatever the extension), replacing a file of that name.
    // A full disk raises "Disk full"; the file is then left as it was.
    void SaveAs(const QString& fileName);
    // Closes the workbook, saving it first to its file when asked and it has one.
    void Close(bool saveChanges = false);

    // For the objects of the model.
    bool isClosed() const { return m_closed; }
    void checkOpen() const;
    void markClosed();
    void setOpenedFrom(const QString& fileName, bool readOnly);
    bool isOpenedFromFile() const { return m_openedFromFile; }
    void setActiveSheet(Worksheet* sheet) { m_activeSheet = sheet; }
    Worksheet* activeSheet() const { return m_activeSheet; }

private:
    excel::Application& m_application;
    QString m_name;
    QString m_fullName;
    std::unique_ptr<excel::Sheets> m_sheets;
    Worksheet* m_activeSheet = nullptr;
    bool m_readOnly = false;
    bool m_openedFromFile = false;
    bool m_closed = false;
};

} // namespace platform::excel
