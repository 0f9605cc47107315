#pragma once

#include <memory>
#include <vector>

#include <QString>

namespace platform::excel {

class Workbook;
class Worksheet;

// Where Sheets::Add puts the new sheet: right before or right after the given sheet.
struct Before
{
    Worksheet& sheet;
};
struct After
{
    Worksheet& sheet;
};

// The sheets of a workbook in tab order, numbered from 1.
class Sheets final
{
public:
    explicit Sheets(Workbook& workbook);
    ~Sheets();
    Sheets(const Sheets&) = delete;
    Sheets& operator=(const Sheets&) = delete;

    int Count() const;
    Worksheet& Item(int index) const;
    // The sheet of that name, compared without regard to case.
    Worksheet& Item(const QString& name) const;

    // Each Add returns the new sheet, named "Лист" and a number not yet taken, and makes it the
    // active sheet. Without a position it goes before the active sheet.
    Worksheet& Add();
    Worksheet& Add(Before position);
    Worksheet& Add(After position);

    Workbook& Parent() const { return m_workbook; }

    // For the objects of the model.
    int indexOf(const Worksheet& sheet) const;
    Worksheet* find(const QString& name) const;
    void clear();

private:
    Worksheet& insertAt(int position);

    Workbook& m_workbook;
    std::vector<std::unique_ptr<Worksheet>> m_items;
    int m_named = 0;
};

} // namespace platform::excel
