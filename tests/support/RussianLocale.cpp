#include "RussianLocale.h"

#include <clocale>

namespace testsupport {

RussianLocale::RussianLocale()
{
    if (const char* current = std::setlocale(LC_ALL, nullptr))
        m_previous = current;
    m_available = std::setlocale(LC_ALL, "ru_RU.UTF-8") != nullptr;
}

RussianLocale::~RussianLocale()
{
    if (m_available)
        std::setlocale(LC_ALL, m_previous.c_str());
}

} // namespace testsupport
