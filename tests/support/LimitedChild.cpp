#include "LimitedChild.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace testsupport {

namespace {

// The child's exit code when a limit could not be set: the program never ran.
constexpr int kLimitRefused = 126;
constexpr qsizetype kOutputTail = 4000;

// Runs in the child between fork and exec: only calls that are safe there.
void applyLimit(int resource, qint64 bytes)
{
    if (bytes <= 0)
        return;
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (::setrlimit(resource, &limit) != 0) {
        static constexpr char kMessage[] = "setrlimit refused the limit\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
        ::_exit(kLimitRefused);
    }
}

} // namespace

std::string ChildOutcome::describe() const
{
    QString how;
    switch (end) {
    case End::NotStarted:
        how = QStringLiteral("did not start");
        break;
    case End::Exited:
        how = QStringLiteral("exited with %1").arg(exitCode);
        break;
    case End::Signalled:
        how = QStringLiteral("was ended by signal %1").arg(exitCode);
        break;
    case End::Hung:
        how = QStringLiteral("still ran at the deadline and was killed");
        break;
    }
    const QString tail = output.size() > kOutputTail ? u"…"_s + output.right(kOutputTail) : output;
    return QStringLiteral("the child %1 after %2 ms; its output:\n%3").arg(how).arg(elapsedMs).arg(tail).toStdString();
}

ChildOutcome runLimited(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                        const ProcessLimits& limits, std::chrono::milliseconds deadline)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setChildProcessModifier([limits] {
        applyLimit(RLIMIT_AS, limits.addressSpaceBytes);
        applyLimit(RLIMIT_STACK, limits.stackBytes);
    });
    ChildOutcome outcome;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        outcome.output = process.errorString();
        return outcome;
    }
    if (process.waitForFinished(static_cast<int>(deadline.count()))) {
        outcome.end =
            process.exitStatus() == QProcess::NormalExit ? ChildOutcome::End::Exited : ChildOutcome::End::Signalled;
        // On Unix a crashed child's code is the signal that ended it.
        outcome.exitCode = process.exitCode();
    } else {
        outcome.end = ChildOutcome::End::Hung;
        process.kill();
        process.waitForFinished();
    }
    outcome.elapsedMs = clock.elapsed();
    outcome.output = QString::fromLocal8Bit(process.readAll());
    return outcome;
}

} // namespace testsupport
