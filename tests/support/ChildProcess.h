#pragma once

#include <functional>
#include <optional>

#include <QtGlobal>

namespace testsupport {

// Runs the check, a function of the test itself, in a forked copy of the test (runLimited of
// LimitedChild.h runs a whole program instead) and answers its value (0 for success), or nothing
// when no process can be made. The check reports through its value, not through gtest: a fault
// that may take the process down (a limit, a crash) stays in the copy.
std::optional<int> inChildProcess(const std::function<int()>& check);

// Inside such a copy: caps the process's address space at what it uses now plus the headroom, so
// that an allocation beyond the headroom fails as on a machine out of memory. False when the
// limit cannot be set.
bool limitAddressSpace(qint64 headroomBytes);

} // namespace testsupport
