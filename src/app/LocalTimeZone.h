#pragma once

namespace app {

// While TZ is unset, the C library looks at the zone file again on every local-time conversion
// (to see whether /etc/localtime changed), a system call on every date the run reads or writes.
// Naming that same file in TZ, before anything converts a time, makes it read once; the zone,
// and with it every date written, stays as it was.
class LocalTimeZone final
{
public:
    // Sets TZ to ":/etc/localtime" when TZ is unset and the file exists; true when it did.
    static bool pin();
};

} // namespace app
