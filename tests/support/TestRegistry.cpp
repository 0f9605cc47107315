#include "TestRegistry.h"

namespace testsupport {

TestRegistry::TestRegistry()
    : registry(folder.path(), platform::registry::JsonRegistry::MachineAccess::ReadWrite)
    , utility(registry)
{
}

} // namespace testsupport
