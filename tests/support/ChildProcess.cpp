#include "ChildProcess.h"

#include <cerrno>
#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

std::optional<int> inChildProcess(const std::function<int()>& check)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        const int value = check();
        std::fflush(nullptr);
        ::_exit(value);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return std::nullopt;
    }
    if (!WIFEXITED(status))
        return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return WEXITSTATUS(status);
}

bool limitAddressSpace(qint64 headroomBytes)
{
    // The first field of statm is the size of the address space in pages.
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return false;
    unsigned long long pages = 0;
    const bool read = std::fscanf(statm, "%llu", &pages) == 1;
    std::fclose(statm);
    if (!read)
        return false;
    const auto used = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    const rlimit limit{used + static_cast<rlim_t>(headroomBytes), used + static_cast<rlim_t>(headroomBytes)};
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

} // namespace testsupport
