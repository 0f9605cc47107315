#include "SandboxList.h"

#include <utility>

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

SandboxList::SandboxList(QList<Variant> items)
    : m_items(std::move(items))
{
}

int SandboxList::Count() const
{
    return static_cast<int>(m_items.size());
}

Variant SandboxList::GetItem(int index) const
{
    if (index < 0 || index >= m_items.size())
        throw core::Error(9, u"Subscript out of range"_s);
    return m_items.at(index);
}

} // namespace platform::diadoc
