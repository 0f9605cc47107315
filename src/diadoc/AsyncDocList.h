#pragma once

#include <cstddef>
#include <deque>
#include <memory>

namespace diadoc {

class AsyncDocRecord;

// One list of the content download queue as its readers see it: records numbered from 1, read in
// constant time. Only the queue changes it: records are appended at the end and taken from the
// front, or from inside the short list of running downloads.
class AsyncDocList final
{
public:
    using Record = std::shared_ptr<AsyncDocRecord>;

    int Count() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    // Position counted from 1; raises "Subscript out of range" (9) outside 1 .. Count.
    const Record& Item(int position) const;

    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    friend class AsyncContents;

    void append(Record record) { m_items.push_back(std::move(record)); }
    Record takeFirst();
    // Removes the record, looked for from index on; false when it is not in the list.
    bool remove(const Record& record, std::size_t from);
    const Record& at(std::size_t index) const { return m_items[index]; }
    std::size_t size() const { return m_items.size(); }

    std::deque<Record> m_items;
};

} // namespace diadoc
