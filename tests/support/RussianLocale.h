#pragma once

#include <string>

namespace testsupport {

// Switches the process's C locale to Russian settings (a comma as the decimal mark) for the life
// of the object, as QCoreApplication does when the user's environment asks for them; the old
// locale comes back afterwards. available() is false on a machine without the locale.
class RussianLocale final
{
public:
    RussianLocale();
    ~RussianLocale();
    RussianLocale(const RussianLocale&) = delete;
    RussianLocale& operator=(const RussianLocale&) = delete;

    bool available() const { return m_available; }

private:
    std::string m_previous;
    bool m_available = false;
};

} // namespace testsupport
