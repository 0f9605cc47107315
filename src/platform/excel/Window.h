#pragma once

namespace platform::excel {

class Application;
class Worksheet;

// The application's active window: it shows the active sheet of the active workbook and freezes
// its panes.
class Window final
{
public:
    explicit Window(Application& application)
        : m_application(application)
    {
    }

    // Freezing keeps the rows above and the columns left of the active sheet's selected cell in view.
    bool FreezePanes() const;
    void setFreezePanes(bool freeze);
    // The frozen rows and columns of the active sheet.
    int SplitRow() const;
    int SplitColumn() const;

private:
    Worksheet& activeSheet() const;

    Application& m_application;
};

} // namespace platform::excel
