#include "AsyncDocList.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace diadoc {

const AsyncDocList::Record& AsyncDocList::Item(int position) const
{
    if (position < 1 || position > Count())
        throw core::Error(9, u"Subscript out of range"_s);
    return m_items[static_cast<std::size_t>(position - 1)];
}

AsyncDocList::Record AsyncDocList::takeFirst()
{
    Record record = std::move(m_items.front());
    m_items.pop_front();
    return record;
}

bool AsyncDocList::remove(const Record& record, std::size_t from)
{
    const auto start = std::next(m_items.begin(), static_cast<std::ptrdiff_t>(std::min(from, m_items.size())));
    auto it = std::find(start, m_items.end(), record);
    if (it == m_items.end())
        it = std::find(m_items.begin(), start, record);
    if (it == m_items.end() || *it != record)
        return false;
    m_items.erase(it);
    return true;
}

} // namespace diadoc
