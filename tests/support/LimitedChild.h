#pragma once

#include <chrono>

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace testsupport {

// Real resource limits for a child process, set between its fork and its exec; 0 leaves a limit
// as the test's own.
struct ProcessLimits
{
    qint64 addressSpaceBytes = 0; // RLIMIT_AS, what `ulimit -v` sets
    qint64 stackBytes = 0;        // RLIMIT_STACK, also the stack every new thread reserves
};

// How a child ended.
struct ChildOutcome
{
    enum class End
    {
        NotStarted,
        Exited,
        Signalled,
        Hung, // still running at the deadline: killed
    };
    End end = End::NotStarted;
    int exitCode = -1; // the exit code, or the signal that ended it
    QString output;    // standard output and standard error, in the order written
    qint64 elapsedMs = 0;

    // One paragraph for a failure message: how it ended, and the tail of its output.
    std::string describe() const;
};

// A program run to its end in a child process under real limits, within a deadline: a run that
// does not end in time is killed, so a hang fails the test instead of holding it.
ChildOutcome runLimited(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                        const ProcessLimits& limits, std::chrono::milliseconds deadline);

// AddressSanitizer reserves terabytes of address space for its shadow memory: under any real
// address-space limit a sanitized program cannot even start, so such a test skips.
constexpr bool addressSpaceLimitsWork()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

} // namespace testsupport
