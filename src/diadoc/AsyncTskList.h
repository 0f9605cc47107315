#pragma once

#include <cstddef>
#include <deque>
#include <memory>

namespace diadoc {

class AsyncTskRecord;

// One list of the request queue as its readers see it: records numbered from 1, read in constant
// time. Only the queue changes it: it appends, inserts and takes records at any position.
class AsyncTskList final
{
public:
    using Record = std::shared_ptr<AsyncTskRecord>;

    int Count() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    // Position counted from 1; raises "Subscript out of range" (9) outside 1 .. Count.
    const Record& Item(int position) const;

    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    friend class AsyncTasks;

    void append(Record record) { m_items.push_back(std::move(record)); }
    void insertAt(std::size_t index, Record record);
    Record takeAt(std::size_t index);
    const Record& at(std::size_t index) const { return m_items[index]; }

    std::deque<Record> m_items;
};

} // namespace diadoc
