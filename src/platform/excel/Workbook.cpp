#include "Workbook.h"

#include <QFileInfo>

#include "Application.h"
#include "ExcelError.h"
#include "Sheets.h"
#include "Workbooks.h"
#include "Worksheet.h"
#include "XlsxRenderer.h"

namespace platform::excel {

Workbook::Workbook(excel::Application& application, QString name)
    : m_application(application)
    , m_name(std::move(name))
    , m_sheets(std::make_unique<excel::Sheets>(*this))
{
}

Workbook::~Workbook() = default;

QString Workbook::Name() const
{
    checkOpen();
    return m_name;
}

QString Workbook::FullName() const
{
    checkOpen();
    return m_fullName.isEmpty() ? m_name : m_fullName;
}

excel::Sheets& Workbook::Sheets()
{
    checkOpen();
    return *m_sheets;
}

Worksheet& Workbook::ActiveSheet()
{
    checkOpen();
    if (!m_activeSheet)
        error::raiseApplicationDefined();
    return *m_activeSheet;
}

void Workbook::Activate()
{
    checkOpen();
    m_application.setActiveWorkbook(this);
}

void Workbook::SaveAs(const QString& fileName)
{
    checkOpen();
    if (m_openedFromFile)
        XlsxRenderer::copyFile(m_fullName, fileName);
    else
        XlsxRenderer(*this).save(fileName);
    const QFileInfo info(fileName);
    m_fullName = info.absoluteFilePath();
    m_name = info.fileName();
}

void Workbook::Close(bool saveChanges)
{
    checkOpen();
    if (saveChanges && !m_fullName.isEmpty() && !m_readOnly && !m_openedFromFile)
        SaveAs(m_fullName);
    m_application.Workbooks().close(*this);
}

void Workbook::checkOpen() const
{
    m_application.checkRunning();
    if (m_closed)
        error::raise(error::kObjectDisconnected, QString::fromUtf16(error::kObjectDisconnectedText));
}

void Workbook::markClosed()
{
    m_sheets->clear();
    m_activeSheet = nullptr;
    m_closed = true;
}

void Workbook::setOpenedFrom(const QString& fileName, bool readOnly)
{
    m_fullName = fileName;
    m_openedFromFile = true;
    m_readOnly = readOnly;
}

} // namespace platform::excel
