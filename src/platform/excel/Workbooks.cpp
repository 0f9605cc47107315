#include "Workbooks.h"

#include <algorithm>

#include <QFileInfo>

#include "Application.h"
#include "ExcelError.h"
#include "Sheets.h"
#include "Workbook.h"
#include "Worksheet.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

Workbooks::Workbooks(excel::Application& application)
    : m_application(application)
{
}

Workbooks::~Workbooks() = default;

Workbook& Workbooks::Add()
{
    m_application.checkRunning();
    ++m_created;
    auto book = std::make_unique<Workbook>(m_application, u"Книга"_s + QString::number(m_created));
    Workbook& added = *book;
    m_open.push_back(std::move(book));
    excel::Sheets& sheets = added.Sheets();
    sheets.Add();
    while (sheets.Count() < m_application.SheetsInNewWorkbook())
        sheets.Add(After{sheets.Item(sheets.Count())});
    sheets.Item(1).Activate();
    return added;
}

Workbook& Workbooks::Open(const QString& fileName, bool readOnly)
{
    m_application.checkRunning();
    const QFileInfo info(fileName);
    if (!info.isFile()) {
        error::raise(error::kApplicationDefined, u"Sorry, we couldn't find "_s + fileName
                                                     + u". Is it possible it was moved, renamed or deleted?"_s);
    }
    auto book = std::make_unique<Workbook>(m_application, info.fileName());
    book->setOpenedFrom(info.absoluteFilePath(), readOnly);
    Workbook& opened = *book;
    m_open.push_back(std::move(book));
    m_application.setActiveWorkbook(&opened);
    return opened;
}

int Workbooks::Count() const
{
    m_application.checkRunning();
    return static_cast<int>(m_open.size());
}

Workbook& Workbooks::Item(int index) const
{
    m_application.checkRunning();
    if (index < 1 || index > Count())
        error::raise(error::kSubscriptOutOfRange, QString::fromUtf16(error::kSubscriptOutOfRangeText));
    return *m_open[static_cast<size_t>(index - 1)];
}

void Workbooks::close(Workbook& workbook)
{
    const auto it = std::find_if(m_open.begin(), m_open.end(), [&](const auto& b) { return b.get() == &workbook; });
    if (it == m_open.end())
        return;
    workbook.markClosed();
    m_closed.push_back(std::move(*it));
    m_open.erase(it);
    if (m_application.ActiveWorkbook() == &workbook)
        m_application.setActiveWorkbook(m_open.empty() ? nullptr : m_open.back().get());
}

void Workbooks::closeAll()
{
    while (!m_open.empty())
        close(*m_open.back());
}

} // namespace platform::excel
