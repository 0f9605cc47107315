#pragma once

#include <memory>

#include "run/Services.h"

namespace core {
class SystemClock;
class UiServices;
} // namespace core

namespace diadoc {
class mDiadoc;
}

namespace platform::diadoc {
class SandboxClientFactory;
}

namespace platform::family {
class GlobalUtility;
}

namespace platform::registry {
class JsonRegistry;
}

namespace platform::shell {
class LinuxSpecialFolders;
}

namespace platform::zip {
class LibzipLibraries;
}

namespace run {
class PumpingClock;
}

namespace app {

// The program's real services, built once: the settings store, the clock and the run's waiter,
// the emulated Diadoc client, the zip engines, the run log and the special folders. Everything a
// window or an unattended run needs is handed out from here by reference.
class AppServices final
{
public:
    explicit AppServices(core::UiServices& ui);
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    core::mFetchlingOptions& options() { return *m_options; }
    core::mLogFile& log() { return *m_log; }
    const platform::registry::JsonRegistry& registry() const { return *m_registry; }
    const core::SystemClock& systemClock() const { return *m_systemClock; }
    diadoc::mDiadoc& diadoc() { return *m_diadoc; }
    const run::Services& runServices() const { return *m_runServices; }

private:
    std::unique_ptr<platform::registry::JsonRegistry> m_registry;
    std::unique_ptr<platform::family::GlobalUtility> m_utility;
    std::unique_ptr<core::mFetchlingOptions> m_options;
    std::unique_ptr<core::SystemClock> m_systemClock;
    std::unique_ptr<run::PumpingClock> m_clock;
    std::unique_ptr<platform::diadoc::SandboxClientFactory> m_factory;
    std::unique_ptr<diadoc::mDiadoc> m_diadoc;
    std::unique_ptr<platform::zip::LibzipLibraries> m_zipLibraries;
    std::unique_ptr<core::mUnzipper> m_unzipper;
    std::unique_ptr<core::mLogFile> m_log;
    std::unique_ptr<platform::shell::LinuxSpecialFolders> m_folders;
    std::unique_ptr<core::mAPI> m_api;
    std::unique_ptr<run::Services> m_runServices;
};

} // namespace app
