#include "RussianLocale.h"

#include <clocale>

namespace testsupport {

// The locale is changed from the test's main thread before any thread of the program starts and
// after the last one ends, so the process-wide setting is no race here.
RussianLocale::RussianLocale()
{
    if (const char* current = std::setlocale(LC_ALL, nullptr)) // NOLINT(concurrency-mt-unsafe)
        m_previous = current;
    m_available = std::setlocale(LC_ALL, "ru_RU.UTF-8") != nullptr; // NOLINT(concurrency-mt-unsafe)
}

RussianLocale::~RussianLocale()
{
    if (m_available)
        std::setlocale(LC_ALL, m_previous.c_str()); // NOLINT(concurrency-mt-unsafe)
}

} // namespace testsupport
