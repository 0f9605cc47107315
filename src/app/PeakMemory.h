#pragma once

namespace app {

// The peak resident memory of this process (VmHWM of /proc/self/status), for the run summary and
// the benchmark; -1 where the system does not tell.
class PeakMemory final
{
public:
    static long long kilobytes();
    static long long currentKilobytes(); // VmRSS
};

} // namespace app
