#pragma once

#include <memory>
#include <vector>

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/mFetchlingOptions.h"
#include "diadoc/mDiadoc.h"
#include "mainwindow/Prerequisites.h"
#include "mainwindow/frmDiadocUnloadDocs.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/registry/Registry.h"
#include "support/Screenshot.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

namespace mainwindow::test {

// Prerequisites as a test sets them.
struct FakePrerequisites final : Prerequisites
{
    int release = kRequiredFrameworkRelease;
    bool diadocApi = true;
    int GetDotNet45VersionLong() const override { return release; }
    bool IsDiadocAPI() const override { return diadocApi; }
};

// The window with its hooks recorded and its private steps reachable.
class TestWindow final : public frmDiadocUnloadDocs
{
public:
    using frmDiadocUnloadDocs::frmDiadocUnloadDocs;
    using frmDiadocUnloadDocs::SetBusyMode;

    std::vector<bool> signIns;      // showDialog of every sign-in
    std::vector<QString> hookCalls; // "execute", "exit" (the window closed), "release"
    int unloadedInLastRun = -1;

    void DoAuthorizationEx(bool showDialog) override
    {
        signIns.push_back(showDialog);
        frmDiadocUnloadDocs::DoAuthorizationEx(showDialog);
    }
    void theButtonExecute_Click() override { hookCalls.push_back(QStringLiteral("execute")); }
    int lastRunUnloadedCount() const override { return unloadedInLastRun; }
    void releaseRun() override { hookCalls.push_back(QStringLiteral("release")); }
};

class MainWindowFixture : public testing::Test
{
protected:
    MainWindowFixture() { options.Set_DiadocServerURL(QStringLiteral("file:///nowhere")); }

    // A new window over the fixture's store, loaded and not yet shown.
    std::unique_ptr<TestWindow> load(const QString& commandLine = {})
    {
        auto window = std::make_unique<TestWindow>(services(commandLine));
        window->controls().theTimerStatusBar->stop();
        window->Form_Load();
        return window;
    }

    MainWindowServices services(const QString& commandLine)
    {
        MainWindowServices s{options, ui, clock, store.registry, diadocAccess, prerequisites};
        s.commandLine = commandLine;
        s.runServices = runServices;
        s.startProgram = [this](const QString& program, const QStringList& arguments) {
            started.push_back({program, arguments});
            return programStarts;
        };
        return s;
    }

    std::optional<platform::registry::Value> placement(const QString& name) const
    {
        return store.registry.read(platform::registry::Hive::User,
                                   QString::fromUtf16(frmDiadocUnloadDocs::kPlacementKey), name);
    }

    testsupport::VirtualClock clock{QDateTime(QDate(2024, 3, 15), QTime(10, 30))};
    testsupport::TestRegistry store;
    core::mFetchlingOptions options{store.utility, [this] { return clock.currentDateTime().date(); }};
    testsupport::ScriptedUiServices ui;
    platform::diadoc::SandboxClientFactory factory;
    diadoc::mDiadoc diadocAccess{factory, options};
    FakePrerequisites prerequisites;
    std::vector<std::pair<QString, QStringList>> started;
    bool programStarts = true; // whether a program handed to the desktop starts
    // What the sign-in and the run use; none: the window only shows its controls.
    const run::Services* runServices = nullptr;
};

} // namespace mainwindow::test
