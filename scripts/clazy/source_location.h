// Forced into every source that clazy reads. Clang 14 lacks the builtin that the standard
// library's <source_location> needs, so the header declares nothing there; this stand-in has the
// same members, which is all the checks need to read our sources. It is never compiled into the
// program.
#pragma once

#if defined(__clang__) && !__has_builtin(__builtin_source_location)
#include <cstdint>
namespace std {
struct source_location
{
    static constexpr source_location current(const char* file = __builtin_FILE(),
                                             const char* function = __builtin_FUNCTION(),
                                             unsigned line = __builtin_LINE()) noexcept
    {
        source_location where;
        where.m_file = file;
        where.m_function = function;
        where.m_line = line;
        return where;
    }
    constexpr uint_least32_t line() const noexcept { return m_line; }
    constexpr uint_least32_t column() const noexcept { return 0; }
    constexpr const char* file_name() const noexcept { return m_file; }
    constexpr const char* function_name() const noexcept { return m_function; }

private:
    const char* m_file = "";
    const char* m_function = "";
    uint_least32_t m_line = 0;
};
} // namespace std
#endif
