#include "Sheets.h"

#include <algorithm>

#include "ExcelError.h"
#include "Workbook.h"
#include "Worksheet.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

Sheets::Sheets(Workbook& workbook)
    : m_workbook(workbook)
{
}

Sheets::~Sheets() = default;

int Sheets::Count() const
{
    m_workbook.checkOpen();
    return static_cast<int>(m_items.size());
}

Worksheet& Sheets::Item(int index) const
{
    if (index < 1 || index > Count())
        error::raise(error::kSubscriptOutOfRange, QString::fromUtf16(error::kSubscriptOutOfRangeText));
    return *m_items[static_cast<size_t>(index - 1)];
}

Worksheet& Sheets::Item(const QString& name) const
{
    m_workbook.checkOpen();
    Worksheet* sheet = find(name);
    if (!sheet)
        error::raise(error::kSubscriptOutOfRange, QString::fromUtf16(error::kSubscriptOutOfRangeText));
    return *sheet;
}

Worksheet& Sheets::Add()
{
    m_workbook.checkOpen();
    const Worksheet* active = m_workbook.activeSheet();
    return insertAt(active ? indexOf(*active) - 1 : 0);
}

Worksheet& Sheets::Add(Before position)
{
    m_workbook.checkOpen();
    const int index = indexOf(position.sheet);
    if (index == 0)
        error::raiseApplicationDefined();
    return insertAt(index - 1);
}

Worksheet& Sheets::Add(After position)
{
    m_workbook.checkOpen();
    const int index = indexOf(position.sheet);
    if (index == 0)
        error::raiseApplicationDefined();
    return insertAt(index);
}

int Sheets::indexOf(const Worksheet& sheet) const
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const auto& s) { return s.get() == &sheet; });
    return it == m_items.end() ? 0 : static_cast<int>(it - m_items.begin()) + 1;
}

Worksheet* Sheets::find(const QString& name) const
{
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [&](const auto& s) { return s->Name().compare(name, Qt::CaseInsensitive) == 0; });
    return it == m_items.end() ? nullptr : it->get();
}

void Sheets::clear()
{
    // The sheet objects stay, emptied, so that a reference still held raises instead of dangling.
    for (const auto& sheet : m_items)
        sheet->release();
}

Worksheet& Sheets::insertAt(int position)
{
    QString name;
    do {
        name = u"Лист"_s + QString::number(++m_named);
    } while (find(name));
    auto sheet = std::make_unique<Worksheet>(m_workbook, name);
    Worksheet& added = *sheet;
    m_items.insert(m_items.begin() + position, std::move(sheet));
    added.Activate();
    return added;
}

} // namespace platform::excel
