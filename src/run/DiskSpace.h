#pragma once

#include <functional>

#include <QString>

namespace run {

// The free-space probe of the drive of a path: the bytes free for this user (0 when they cannot
// be had) and the sentence about them that the failure messages show.
using DiskSpaceProbe = std::function<double(const QString& path, QString& sentence)>;

double diskFreeSpace(const QString& path, QString& sentence);

} // namespace run
