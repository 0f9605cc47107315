#include "PaintingThreads.h"

#include <memory>
#include <system_error>
#include <thread>

#include <QSemaphore>
#include <QThreadPool>

namespace app {

namespace {

// A thread that was created starts within milliseconds; one that was not never does.
constexpr int kStartMs = 30000;

} // namespace

bool PaintingThreads::start()
{
    // A thread of its own first: its failure shows at once, where the pool's shows only as a part
    // that never runs.
    try {
        std::thread([] {}).join();
    } catch (const std::system_error&) {
        return false;
    }
    QThreadPool* pool = QThreadPool::globalInstance();
    // One thread: the painter waits for its parts anyway, and every pool thread costs its stack
    // and, once it allocates, a heap arena of its own (64 MB of address space).
    pool->setMaxThreadCount(1);
    pool->setExpiryTimeout(-1);
    // Shared with the part: should the wait give up on a slow start, the part still finds it.
    const auto started = std::make_shared<QSemaphore>();
    pool->start([started] { started->release(); });
    return started->tryAcquire(1, kStartMs);
}

} // namespace app
