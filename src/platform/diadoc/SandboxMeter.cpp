#include "SandboxMeter.h"

#include <algorithm>

#include <time.h>

namespace platform::diadoc {

namespace {

double average(qint64 sumMs, qint64 firstMs, qint64 lastMs)
{
    if (firstMs < 0 || lastMs <= firstMs)
        return 0;
    return double(sumMs) / double(lastMs - firstMs);
}

} // namespace

double SandboxMeter::Activity::averageBusy() const
{
    return average(busyMs, firstStartMs, lastBusyEndMs);
}

double SandboxMeter::Activity::averageHeld() const
{
    return average(heldMs, firstStartMs, lastHeldEndMs);
}

SandboxMeter::Call::Call(SandboxMeter& meter)
    : m_meter(meter)
{
    if (m_meter.m_depth++ == 0)
        m_startNs = threadCpuNs();
}

SandboxMeter::Call::~Call()
{
    if (--m_meter.m_depth == 0)
        m_meter.m_cpuNs += threadCpuNs() - m_startNs;
}

const SandboxMeter::Activity& SandboxMeter::activity(Operation operation) const
{
    return operation == Operation::List ? m_lists : m_contents;
}

void SandboxMeter::record(Operation operation, qint64 startMs, qint64 busyEndMs, qint64 heldEndMs)
{
    Activity& activity = operation == Operation::List ? m_lists : m_contents;
    busyEndMs = std::max(startMs, busyEndMs);
    heldEndMs = std::max(startMs, heldEndMs);
    ++activity.count;
    activity.busyMs += busyEndMs - startMs;
    activity.heldMs += heldEndMs - startMs;
    if (activity.firstStartMs < 0 || startMs < activity.firstStartMs)
        activity.firstStartMs = startMs;
    activity.lastBusyEndMs = std::max(activity.lastBusyEndMs, busyEndMs);
    activity.lastHeldEndMs = std::max(activity.lastHeldEndMs, heldEndMs);
}

qint64 SandboxMeter::threadCpuNs()
{
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0)
        return 0;
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace platform::diadoc
