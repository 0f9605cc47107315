#pragma once

namespace core {
class Clock;
class UiServices;
class mAPI;
class mFetchlingOptions;
class mLogFile;
class mUnzipper;
} // namespace core

namespace diadoc {
class mDiadoc;
}

namespace run {

// The services a sign-in and a run use, built once by the program and handed over by reference;
// they must outlive every run. The clock is the run's waiter: its sleep is every pause of the run
// and of its queues, so a window hands one that keeps painting while it waits.
struct Services
{
    core::mFetchlingOptions& options;
    core::Clock& clock;
    core::UiServices& ui;
    diadoc::mDiadoc& diadoc;
    core::mUnzipper& unzipper;
    core::mLogFile& log;
    const core::mAPI& folders;
};

} // namespace run
