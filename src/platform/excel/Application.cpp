#include "Application.h"

#include <QDir>

#include <xlsxwriter.h>

#include "ExcelError.h"
#include "Window.h"
#include "Workbook.h"
#include "Workbooks.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

Application::Application(ApplicationOptions options)
    : m_options(std::move(options))
    , m_workbooks(std::make_unique<excel::Workbooks>(*this))
    , m_window(std::make_unique<Window>(*this))
{
    setSheetsInNewWorkbook(m_options.sheetsInNewWorkbook);
}

Application::~Application() = default;

QString Application::Name() const
{
    return u"libxlsxwriter"_s;
}

QString Application::Version() const
{
    return m_options.version;
}

int Application::Build() const
{
    return LXW_VERSION_ID;
}

excel::Workbooks& Application::Workbooks()
{
    checkRunning();
    return *m_workbooks;
}

Window& Application::ActiveWindow()
{
    checkRunning();
    if (!m_activeWorkbook)
        error::raiseApplicationDefined();
    return *m_window;
}

void Application::setSheetsInNewWorkbook(int count)
{
    if (count < 1 || count > 255)
        error::raiseApplicationDefined();
    m_options.sheetsInNewWorkbook = count;
}

void Application::setVisible(bool visible)
{
    checkRunning();
    m_visible = visible;
    if (!visible || !m_options.showFile)
        return;
    for (int i = 1; i <= m_workbooks->Count(); ++i) {
        Workbook& book = m_workbooks->Item(i);
        QString file = book.FullName();
        if (!QDir::isAbsolutePath(file)) {
            // Never saved: the user gets a temporary copy to look at and save elsewhere.
            const QString folder = m_options.tempPath.isEmpty() ? QDir::tempPath() : m_options.tempPath;
            file = QDir(folder).filePath(book.Name() + u".xlsx"_s);
            book.SaveAs(file);
        }
        m_options.showFile(file);
    }
}

void Application::Quit()
{
    if (m_quit)
        return;
    m_workbooks->closeAll();
    m_activeWorkbook = nullptr;
    m_quit = true;
}

void Application::checkRunning() const
{
    if (m_quit)
        error::raise(error::kObjectDisconnected, QString::fromUtf16(error::kObjectDisconnectedText));
}

} // namespace platform::excel
