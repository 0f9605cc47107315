#pragma once

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/DemoSettings.h"
#include "base/Error.h"
#include "base/TextCodec.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/mDiadoc.h"
#include "engine/Fetchling.h"
#include "engine/MetadataFile.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxGenerator.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "platform/zip/LibzipLibraries.h"
#include "run/UnattendedRun.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

namespace testsupport {

using namespace Qt::StringLiterals;

inline const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);
inline const QString kProtocolPrefix = u"Протокол выгрузки документов из Диадок от "_s;

// A folder that refuses files even to this process: read-only by its mode, or, for a user that
// writes anywhere, a read-only file system mounted on it. Not ready when neither can be had.
class ReadOnlyFolder final
{
public:
    explicit ReadOnlyFolder(const QString& path)
        : m_path(path)
    {
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
        if (!takesFiles())
            return;
        m_mounted =
            QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"ro,size=64k"_s, u"tmpfs"_s, path}) == 0;
    }
    ~ReadOnlyFolder()
    {
        if (m_mounted)
            QProcess::execute(u"umount"_s, {m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool ready() const { return !takesFiles(); }

private:
    bool takesFiles() const
    {
        QFile probe(m_path + u"/probe"_s);
        if (!probe.open(QIODevice::WriteOnly))
            return false;
        probe.remove();
        return true;
    }

    QString m_path;
    bool m_mounted = false;
};

// The services of a run over a settings store pointed at the bundled sample, a virtual clock and an unload folder.
class RunFixture : public ::testing::Test
{
protected:
    RunFixture()
    {
        ui.unattended = true;
        app::DemoSettings::write(options, kSample, out());
    }

    QString out() const { return dir.filePath(u"out"_s) + u'/'; }

    std::unique_ptr<run::UnattendedRun> makeRun() { return std::make_unique<run::UnattendedRun>(services, observer); }

    std::shared_ptr<platform::diadoc::SandboxService> service()
    {
        return factory.service(options.Get_DiadocServerURL());
    }

    // What the sandbox holds for the ticked nodes over the period: documents of each ticked
    // organisation outside its departments and of each ticked department, internal ones left out
    // unless asked for. Counted from the service's data, not from the run.
    // Whether the run's period from 1 January 2024 takes the document: two types by the day they were
    // sent, every other type by its own date.
    static bool inPeriod(const platform::diadoc::DocumentData& doc, const QDate& to)
    {
        const bool bySendDate = doc.type == u"Nonformalized"_s || doc.type == u"TrustConnectionRequest"_s;
        const QDate day = bySendDate ? doc.timestamp.date()
                          : doc.documentDate.isDate()
                              ? doc.documentDate.toDate().date()
                              : platform::diadoc::parseDateText(doc.documentDate.toText()).date();
        return day.isValid() && day >= QDate(2024, 1, 1) && day <= to;
    }

    int documentsForTickedNodes(const run::UnattendedRun& run, const QDate& to = QDate(2024, 12, 31))
    {
        const auto& data = service()->data();
        QSet<QString> nodes;
        for (const auto& node : run.nodes()) {
            if (!node.ticked)
                continue;
            nodes.insert(node.key.isOrganisation() ? node.key.organisationKey() : node.key.departmentId());
        }
        int count = 0;
        for (const auto& doc : data.documents) {
            const auto* organization = service()->organization(doc.organizationId);
            if (organization == nullptr)
                continue;
            const QString key =
                doc.departmentId.isEmpty() ? u"org"_s + organization->inn + u'/' + organization->kpp : doc.departmentId;
            if (nodes.contains(key) && inPeriod(doc, to)
                && (doc.direction != u"Internal"_s || options.Get_Internal() == 1))
                ++count;
        }
        return count;
    }

    // Every file below the unload folder but the protocols, by relative path; the metadata file
    // without the moment it was written.
    QMap<QString, QByteArray> tree() const
    {
        QMap<QString, QByteArray> files;
        static const QRegularExpression uploaded(u" UploadedDateTime=\"[^\"]*\""_s);
        QDirIterator it(out(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = path.mid(out().size());
            if (relative.startsWith(kProtocolPrefix))
                continue;
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            QByteArray bytes = file.readAll();
            if (relative.endsWith(QString::fromUtf16(engine::MetadataFile::kMetadataFileName)))
                bytes = core::TextCodec::toCp1251(core::TextCodec::fromCp1251(bytes).remove(uploaded));
            files.insert(relative, bytes);
        }
        return files;
    }

    // Each unloaded document has its folder with its content, its metadata file and its shortcut.
    static void expectFiled(engine::Fetchling& fetchling, const QString& root)
    {
        QSet<QString> folders;
        for (const auto& rec : fetchling.AsyncDocs().UnloadedList()) {
            SCOPED_TRACE(rec->DocumentId.toStdString());
            EXPECT_TRUE(rec->Path.startsWith(root)) << rec->Path.toStdString();
            EXPECT_TRUE(QFile::exists(rec->Path + u'/' + QString::fromUtf16(engine::MetadataFile::kMetadataFileName)));
            EXPECT_TRUE(QFile::exists(rec->Path + u'/' + engine::MetadataFile::documentLinkName(rec->DocumentId)));
            const QStringList files = QDir(rec->Path).entryList(QDir::Files);
            EXPECT_GE(files.size(), 3) << files.join(u", "_s).toStdString();
            EXPECT_FALSE(folders.contains(rec->Path)) << "two documents in one folder";
            folders.insert(rec->Path);
        }
        for (const auto& rec : fetchling.AsyncDocs().IgnoredList())
            EXPECT_FALSE(rec->ErrorDescription.isEmpty()) << rec->DocumentId.toStdString();
    }

    QTemporaryDir dir;
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    VirtualClock clock{QDateTime(QDate(2025, 1, 15), QTime(10, 30))};
    platform::diadoc::SandboxClientFactory factory{[this] { return clock.nowMs(); }};
    testsupport::ScriptedUiServices ui;
    diadoc::mDiadoc diadoc{factory, options};
    platform::zip::LibzipLibraries zipLibraries;
    core::mUnzipper unzipper{zipLibraries, ui, QString::fromUtf16(core::kApplicationTitle)};
    core::mLogFile log{ui, [this] { return clock.currentDateTime(); }};
    // The user's own home stands apart from the unload folder: a folder in it is better avoided.
    platform::shell::LinuxSpecialFolders folders{dir.filePath(u"users/me"_s), dir.filePath(u"users/me/.config"_s)};
    core::mAPI api{folders};
    run::Services services{options, clock, ui, diadoc, unzipper, log, api};
    run::RunObserver observer;
};

} // namespace testsupport
