#include "AppServices.h"

#include "core/ApplicationTitle.h"
#include "core/SystemClock.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/family/GlobalUtility.h"
#include "platform/registry/JsonRegistry.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "platform/zip/LibzipLibraries.h"
#include "run/PumpingClock.h"

namespace app {

AppServices::AppServices(core::UiServices& ui)
    : m_registry(std::make_unique<platform::registry::JsonRegistry>(platform::registry::JsonRegistry::defaultFolder()))
    , m_utility(std::make_unique<platform::family::GlobalUtility>(*m_registry))
    , m_options(std::make_unique<core::mFetchlingOptions>(*m_utility))
    , m_systemClock(std::make_unique<core::SystemClock>())
    , m_clock(std::make_unique<run::PumpingClock>(*m_systemClock, ui))
    , m_factory(std::make_unique<platform::diadoc::SandboxClientFactory>(
          [clock = m_systemClock.get()] { return clock->nowMs(); }))
    , m_diadoc(std::make_unique<diadoc::mDiadoc>(*m_factory, *m_options))
    , m_zipLibraries(std::make_unique<platform::zip::LibzipLibraries>())
    , m_unzipper(std::make_unique<core::mUnzipper>(*m_zipLibraries, ui, QString::fromUtf16(core::kApplicationTitle)))
    , m_log(std::make_unique<core::mLogFile>(ui, [clock = m_systemClock.get()] { return clock->currentDateTime(); }))
    , m_folders(std::make_unique<platform::shell::LinuxSpecialFolders>(
          platform::shell::LinuxSpecialFolders::forCurrentUser()))
    , m_api(std::make_unique<core::mAPI>(*m_folders))
    , m_runServices(std::make_unique<run::Services>(
          run::Services{*m_options, *m_clock, ui, *m_diadoc, *m_unzipper, *m_log, *m_api}))
{
}

AppServices::~AppServices() = default;

} // namespace app
