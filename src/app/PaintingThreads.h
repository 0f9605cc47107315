#pragma once

namespace app {

// Qt's raster painter splits a large fill over the global thread pool and waits for every part. A
// pool thread that cannot be created (an address-space limit reached during a run) takes its part
// with it, and the painter then waits for ever. So the pool gets its thread once, at start-up, and
// keeps it: painting never needs a new thread later, when the run may have used the memory up.
// Nothing else in the program gives that pool work: it would queue behind the painting.
class PaintingThreads final
{
public:
    // False when the thread could not be started: nothing may paint in this process then, and the
    // pool could no longer be shut down (the part it lost never ends).
    static bool start();
};

} // namespace app
