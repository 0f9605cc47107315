#pragma once

#include <memory>

#include <QTemporaryDir>

#include "platform/family/GlobalUtility.h"
#include "platform/registry/JsonRegistry.h"

namespace testsupport {

// A registry in a temporary folder of its own, with a machine hive the test may seed, and the
// utility object on top of it.
struct TestRegistry
{
    TestRegistry();

    QTemporaryDir folder;
    platform::registry::JsonRegistry registry;
    platform::family::GlobalUtility utility;
};

} // namespace testsupport
