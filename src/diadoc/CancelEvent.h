#pragma once

#include <vector>

namespace diadoc {

// Raises an event that carries a cancel flag: the flag starts False and each listener may change
// it, so the last answer counts. The listeners attached when the event was raised all hear it,
// even when one of them detaches itself or another.
template <typename Listener, typename Method>
bool raiseCancelEvent(const std::vector<Listener*>& listeners, Method method)
{
    bool cancel = false;
    for (Listener* listener : std::vector(listeners))
        (listener->*method)(cancel);
    return cancel;
}

} // namespace diadoc
