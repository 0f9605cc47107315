#pragma once

#include <functional>
#include <optional>

#include <QString>

namespace testsupport {

// A real full disk for a test: the check runs in a child process that mounts a memory file system
// of the given size on the folder (in a namespace of its own, so that nothing outside sees it).
// Answers the check's exit value (0 for success), or nothing when this machine lets no process
// mount one (no privilege and no user namespaces): the test then skips. The check runs in a forked
// copy of the test; it reports through its value and standard error, not through gtest.
std::optional<int> onSmallDisk(const QString& folder, qint64 bytes, const std::function<int()>& check);

// Fills the file system of the folder until it refuses a byte more; true when it did.
bool fillDisk(const QString& folder);

} // namespace testsupport
