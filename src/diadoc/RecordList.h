#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <iterator>
#include <memory>
#include <utility>

#include "base/Error.h"

namespace diadoc {

class AsyncContents;
class AsyncDocRecord;
class AsyncTasks;
class AsyncTskRecord;

// One list of a queue as its readers see it: records numbered from 1, read in constant time. Only
// the owning queue changes it: records are appended, inserted, and taken from the front or from
// inside the short list of running operations.
template <typename RecordType, typename Owner> class RecordList final
{
public:
    using Record = std::shared_ptr<RecordType>;

    int Count() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    // Position counted from 1; raises "Subscript out of range" (9) outside 1 .. Count.
    const Record& Item(int position) const
    {
        if (position < 1 || position > Count())
            throw core::Error(kSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        return m_items[static_cast<std::size_t>(position - 1)];
    }

    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    friend Owner;

    static constexpr int kSubscriptOutOfRange = 9;

    void append(Record record) { m_items.push_back(std::move(record)); }
    void insertAt(std::size_t index, Record record)
    {
        m_items.insert(std::next(m_items.begin(), static_cast<std::ptrdiff_t>(index)), std::move(record));
    }
    Record takeAt(std::size_t index)
    {
        const auto it = std::next(m_items.begin(), static_cast<std::ptrdiff_t>(index));
        Record record = std::move(*it);
        m_items.erase(it);
        return record;
    }
    Record takeFirst() { return takeAt(0); }
    // Removes the record, looked for from index on and then before it; false when it is not there.
    bool remove(const Record& record, std::size_t from)
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
    const Record& at(std::size_t index) const { return m_items[index]; }
    std::size_t size() const { return m_items.size(); }

    std::deque<Record> m_items;
};

// The request queue's lists and the download queue's lists.
using AsyncTskList = RecordList<AsyncTskRecord, AsyncTasks>;
using AsyncDocList = RecordList<AsyncDocRecord, AsyncContents>;

} // namespace diadoc
