#pragma once

#include <memory>
#include <vector>

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "app/DemoSettings.h"
#include "base/TextCodec.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "core/widgets/DProgressBar.h"
#include "diadoc/mDiadoc.h"
#include "mainwindow/frmDiadocUnloadDocs.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "platform/zip/LibzipLibraries.h"
#include "run/Run.h"
#include "run/RunObserver.h"
#include "run/Services.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

namespace mainwindow::test {

inline const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);
inline const QString kProtocolPrefix = QStringLiteral("Протокол выгрузки документов из Диадок от ");

// The real main window with the run's services over the bundled sample service: a settings store
// that signs in by itself, a virtual clock shared with the service, and an unload folder of its own.
class WindowRunFixture : public testing::Test
{
protected:
    WindowRunFixture()
    {
        app::DemoSettings::write(options, kSample, out());
        options.Set_AutomaticAutorization(1);
        options.Set_TimeOut(1);
    }

    QString out() const { return dir.filePath(QStringLiteral("out")) + u'/'; }

    // A window over the fixture's services (or the run's services given), loaded (and so signed
    // in) but not shown.
    template <typename Window = frmDiadocUnloadDocs>
    std::unique_ptr<Window> load(const QString& commandLine = {}, const run::Services* services = nullptr)
    {
        MainWindowServices s{options, ui, clock, store.registry, diadoc, prerequisites};
        s.runServices = services != nullptr ? services : &runServices;
        s.runListener = &listener;
        s.commandLine = commandLine;
        s.openFile = [this](const QString& file) {
            opened.push_back(file);
            return desktopOpens;
        };
        s.startProgram = [](const QString&, const QStringList&) { return true; };
        auto window = std::make_unique<Window>(s);
        window->controls().theTimerStatusBar->stop();
        window->Form_Load();
        return window;
    }

    void execute(frmDiadocUnloadDocs& window) { window.controls().theButtonExecute->click(); }

    // The protocol files in the unload folder, by their extension.
    QStringList protocols() const { return QDir(out()).entryList({kProtocolPrefix + u'*'}, QDir::Files, QDir::Name); }

    QString protocolText(const QString& extension) const
    {
        for (const QString& name : protocols()) {
            if (name.endsWith(extension)) {
                QFile file(out() + name);
                EXPECT_TRUE(file.open(QIODevice::ReadOnly));
                return core::TextCodec::fromCp1251(file.readAll());
            }
        }
        return {};
    }

    static QString tabCaption(const QTabBar* tabs, const QString& key)
    {
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabData(i).toString() == key)
                return tabs->tabText(i);
        return {};
    }

    std::shared_ptr<platform::diadoc::SandboxService> service()
    {
        return factory.service(options.Get_DiadocServerURL());
    }

    // The run's end as a listener hears it.
    struct Listener final : run::RunObserver
    {
        std::vector<run::RunOutcome> ended;
        void runEnded(const run::RunOutcome& outcome) override { ended.push_back(outcome); }
    };

    QTemporaryDir dir;
    testsupport::VirtualClock clock{QDateTime(QDate(2025, 1, 15), QTime(9, 5, 7))};
    testsupport::TestRegistry store;
    core::mFetchlingOptions options{store.utility, [this] { return clock.currentDateTime().date(); }};
    testsupport::ScriptedUiServices ui;
    platform::diadoc::SandboxClientFactory factory{[this] { return clock.nowMs(); }};
    diadoc::mDiadoc diadoc{factory, options};
    platform::zip::LibzipLibraries zipLibraries;
    core::mUnzipper unzipper{zipLibraries, ui, QString::fromUtf16(core::kApplicationTitle)};
    core::mLogFile log{ui, [this] { return clock.currentDateTime(); }};
    // The home lies apart from the unload folder: a folder beside the home, in the folder of the
    // users' homes, is another user's and refused.
    platform::shell::LinuxSpecialFolders folders{dir.filePath(QStringLiteral("users/me")),
                                                 dir.filePath(QStringLiteral("users/me/.config"))};
    core::mAPI api{folders};
    run::Services runServices{options, clock, ui, diadoc, unzipper, log, api};
    FakePrerequisites prerequisites;
    Listener listener;
    std::vector<QString> opened;
    bool desktopOpens = true; // whether the desktop has a program for the file handed to it
};

} // namespace mainwindow::test
