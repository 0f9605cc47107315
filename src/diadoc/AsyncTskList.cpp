#include "AsyncTskList.h"

#include <iterator>
#include <utility>

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace diadoc {

const AsyncTskList::Record& AsyncTskList::Item(int position) const
{
    if (position < 1 || position > Count())
        throw core::Error(9, u"Subscript out of range"_s);
    return m_items[static_cast<std::size_t>(position - 1)];
}

void AsyncTskList::insertAt(std::size_t index, Record record)
{
    m_items.insert(std::next(m_items.begin(), static_cast<std::ptrdiff_t>(index)), std::move(record));
}

AsyncTskList::Record AsyncTskList::takeAt(std::size_t index)
{
    const auto it = std::next(m_items.begin(), static_cast<std::ptrdiff_t>(index));
    Record record = std::move(*it);
    m_items.erase(it);
    return record;
}

} // namespace diadoc
