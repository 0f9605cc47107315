#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "SheetRow.h"

class QTemporaryFile;

namespace platform::excel {

// The rows of a worksheet kept in a temporary file instead of memory: a protocol of 100,000
// documents holds a row per document, and its sheets keep in memory only the rows written last.
// The file is made on the first row put and removed with the spill.
class RowSpill final
{
public:
    // The temporary file goes into the folder (the system's when empty).
    explicit RowSpill(QString folder);
    ~RowSpill();
    RowSpill(const RowSpill&) = delete;
    RowSpill& operator=(const RowSpill&) = delete;

    // Writes the row out, replacing an older copy of it. False when the file cannot be made or
    // written: the caller then keeps the row, and every later put fails at once.
    bool put(int row, const SheetRow& data);
    bool contains(int row) const;
    // Reads the row back; raises "Path/File access error" when the file cannot be read.
    SheetRow get(int row) const;
    // Forgets the row; its bytes stay in the file until the spill is cleared.
    void remove(int row);
    void clear();

    qsizetype size() const { return qsizetype(m_entries.size()); }
    // The numbers of the rows held, in increasing order.
    int rowAt(qsizetype index) const { return m_entries[std::size_t(index)].row; }

private:
    struct Entry
    {
        int row = 0;
        int size = 0;
        qint64 offset = 0;
    };

    std::vector<Entry>::const_iterator find(int row) const;

    QString m_folder;
    std::unique_ptr<QTemporaryFile> m_file;
    qint64 m_end = 0;
    bool m_failed = false;
    // Sorted by row.
    std::vector<Entry> m_entries;
};

} // namespace platform::excel
