#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/MsgBox.h"
#include "run/Run.h"
#include "run/RunObserver.h"
#include "run/SignIn.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;

namespace {

// The Excel protocol as the run leaves it: what a person does to its file between the run's save
// and the offer to open it, and what stood under its name before the save.
class ProtocolFilesTest : public testsupport::RunFixture
{
protected:
    // Records what the run hands to the desktop, and acts when a protocol begins.
    class Observer final : public run::RunObserver
    {
    public:
        std::function<void(run::ProtocolKind)> onBegin;
        std::vector<QString> opened;
        void protocolBegins(run::ProtocolKind kind) override
        {
            if (onBegin)
                onBegin(kind);
        }
        bool openProtocol(const QString& file) override
        {
            opened.push_back(file);
            return true;
        }
    };

    run::RunOutcome execute(run::Run& runner)
    {
        const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
        run::RunRequest request;
        request.unloadFolder = out();
        request.from = QDate(2024, 1, 1);
        request.to = QDate(2024, 12, 31);
        request.nodes = signedIn.organisations.nodes;
        QDir().mkpath(out());
        return runner.execute(request, signedIn.organisations);
    }

    // The name the workbook takes: the HTML page's, written just before it, with its extension.
    QString workbookName() const
    {
        const QStringList pages = QDir(out()).entryList({u"*.htm"_s}, QDir::Files);
        return pages.size() == 1 ? out() + pages.at(0).chopped(4) + u".xlsx"_s : QString();
    }

    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    Observer observer;
};

// The person answers Yes to the offer after the saved workbook went: the run says the file is not
// found, probably deleted, and hands nothing to the desktop.
TEST_F(ProtocolFilesTest, AProtocolDeletedBeforeTheYesIsToldAsNotFound)
{
    ui.unattended = false;
    run::Run runner(services, observer);
    QString workbook;
    ui.onBox = [&](const testsupport::ScriptedUiServices::Box& box) {
        if (box.prompt.endsWith(u"Открыть Ms Excel с протоколом выгрузки?"_s)) {
            workbook = workbookName();
            EXPECT_TRUE(QFile::remove(workbook)) << workbook.toStdString();
        }
    };
    ui.expectBox(vbYes); // the offer
    ui.expectBox(vbOK);  // the file that went

    const auto outcome = execute(runner);

    EXPECT_FALSE(outcome.stopped);
    ASSERT_FALSE(workbook.isEmpty()) << "the offer was made";
    ASSERT_EQ(ui.boxes.size(), 2U);
    EXPECT_EQ(ui.boxes.back().prompt, u"Файл "_s + workbook + u" не найден.\r\nВероятно он уже удалён."_s);
    EXPECT_EQ(ui.boxes.back().style, vbOKOnly | vbInformation);
    EXPECT_TRUE(observer.opened.empty());
    EXPECT_TRUE(ui.allScriptedAnswersUsed());
}

// What stands under the workbook's name is removed before the save: an old file is replaced by the
// new workbook, and a link is replaced as well, never written through to the file it points at.
TEST_F(ProtocolFilesTest, AFileOfTheProtocolsNameIsRemovedBeforeTheSave)
{
    const QString outside = dir.filePath(u"outside.xlsx"_s);
    struct Case
    {
        const char* name;
        std::function<void(const QString&)> make;
    };
    const Case cases[] = {
        {"an old file",
         [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("an old protocol");
         }},
        {"a link out of the folder",
         [&outside](const QString& path) {
             QFile file(outside);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("a file elsewhere");
             file.close();
             ASSERT_TRUE(QFile::link(outside, path));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(out()).removeRecursively();
        QString workbook;
        observer.onBegin = [&](run::ProtocolKind kind) {
            if (kind != run::ProtocolKind::Excel)
                return;
            workbook = workbookName();
            ASSERT_FALSE(workbook.isEmpty());
            c.make(workbook);
        };
        run::Run runner(services, observer);

        const auto outcome = execute(runner);

        ASSERT_FALSE(workbook.isEmpty());
        EXPECT_TRUE(outcome.protocols.contains(workbook)) << outcome.endMessage.toStdString();
        const QFileInfo saved(workbook);
        EXPECT_TRUE(saved.isFile() && !saved.isSymLink());
        EXPECT_TRUE(contentOf(workbook).startsWith("PK")) << "a workbook, not the old file";
        if (QFileInfo::exists(outside)) {
            EXPECT_EQ(contentOf(outside), QByteArray("a file elsewhere"));
        }
    }
}

} // namespace
