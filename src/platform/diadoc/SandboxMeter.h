#pragma once

#include <QtGlobal>

namespace platform::diadoc {

// What the emulated service costs the process it lives in, and how busy the program keeps it: the
// processor time spent inside its heavier calls, and for its lists and downloads how many were
// busy over time. A real service spends that time on its own machines, so the benchmarks print it
// apart from the program's own share. Calls of one thread only, as the run makes them.
class SandboxMeter final
{
public:
    enum class Operation
    {
        List,
        Content,
    };

    // Operations of one kind: each is busy from its start until the service has finished it, and
    // held from its start until the program has seen it complete (or dropped it).
    struct Activity
    {
        qint64 count = 0;
        qint64 busyMs = 0;
        qint64 heldMs = 0;
        qint64 firstStartMs = -1;
        qint64 lastBusyEndMs = -1;
        qint64 lastHeldEndMs = -1;

        // The average number busy (held) from the first start to the last end; 0 without any.
        double averageBusy() const;
        double averageHeld() const;
    };

    // Counts the processor time of the thread while it lives; a call inside a metered call is not
    // counted twice.
    class Call final
    {
    public:
        explicit Call(SandboxMeter& meter);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        SandboxMeter& m_meter;
        qint64 m_startNs = 0;
    };

    qint64 cpuNs() const { return m_cpuNs; }
    const Activity& activity(Operation operation) const;
    void record(Operation operation, qint64 startMs, qint64 busyEndMs, qint64 heldEndMs);

    // The processor time of the calling thread so far.
    static qint64 threadCpuNs();

private:
    qint64 m_cpuNs = 0;
    int m_depth = 0;
    Activity m_lists;
    Activity m_contents;
};

} // namespace platform::diadoc
