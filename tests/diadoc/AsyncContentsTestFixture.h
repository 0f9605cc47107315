#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncContentsListener.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxDocument.h"
#include "platform/diadoc/SandboxGenerator.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/zip/LibzipLibraries.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

namespace contentstest {

using namespace Qt::StringLiterals;
using Record = diadoc::AsyncContents::Record;

// Writes every event as a short line ("+Main 3", "-Unloading 3", "Before 3", "Changed", ...), the
// number being the document's position in the sandbox; answers can be scripted per event.
class TraceListener final : public diadoc::AsyncContentsListener
{
public:
    explicit TraceListener(std::function<int(const Record&)> numberOf)
        : m_numberOf(std::move(numberOf))
    {
    }

    void OnChanged(bool& rCancel) override
    {
        add(u"Changed"_s);
        if (onChanged)
            onChanged(rCancel);
    }
    void OnWait(bool& rCancel) override
    {
        add(u"Wait"_s);
        if (onWait)
            onWait(rCancel);
    }
    void OnBadUnloadDoc(bool& rCancel) override
    {
        add(u"Bad"_s);
        if (onBad)
            onBad(rCancel);
    }
    void OnAddedInMainQueue(const Record& r) override { add(u"+Main"_s, r); }
    void OnRemovedFromMainQueue(const Record& r) override { add(u"-Main"_s, r); }
    void OnAddedInSecondaryQueue(const Record& r) override
    {
        add(u"+Second"_s, r);
        if (onAddedInSecondary)
            onAddedInSecondary(r);
    }
    void OnRemovedFromSecondaryQueue(const Record& r) override { add(u"-Second"_s, r); }
    void OnAddedInUnloadingList(const Record& r) override
    {
        add(u"+Unloading"_s, r);
        if (onUnloading)
            onUnloading(r);
    }
    void OnRemovedFromUnloadingList(const Record& r) override { add(u"-Unloading"_s, r); }
    void OnBeforeAddInUnloadedList(const Record& r, QString& rCancelReason) override
    {
        add(u"Before"_s, r);
        if (onBefore)
            onBefore(r, rCancelReason);
    }
    void OnAddedInUnloadedList(const Record& r) override
    {
        add(u"+Unloaded"_s, r);
        if (onUnloaded)
            onUnloaded(r);
    }
    void OnAddedInПустыеЗапросы(const Record& r) override
    {
        add(u"+Ignored"_s, r);
        if (onIgnored)
            onIgnored(r);
    }

    QStringList events;
    std::function<void(bool&)> onChanged;
    std::function<void(bool&)> onWait;
    std::function<void(bool&)> onBad;
    std::function<void(const Record&, QString&)> onBefore;
    std::function<void(const Record&)> onUnloading;
    std::function<void(const Record&)> onUnloaded;
    std::function<void(const Record&)> onIgnored;
    std::function<void(const Record&)> onAddedInSecondary;

private:
    void add(const QString& name, const Record& r = nullptr)
    {
        events.append(r ? name + u' ' + QString::number(m_numberOf(r)) : name);
    }
    std::function<int(const Record&)> m_numberOf;
};

// A generated sandbox in a temporary folder, the emulated service on a virtual clock, an output
// folder, the unzip module on libzip, and a queue made on demand with the chosen DocsLimit.
class ContentsFixture : public ::testing::Test
{
protected:
    explicit ContentsFixture(int documents = 12, int contentPolls = 2, bool hostileContent = false)
        : factory([this] { return clock.nowMs(); })
    {
        const QString sandbox = dir.filePath(u"sandbox"_s);
        platform::diadoc::SandboxGenerator::Settings settings{documents, 20240301};
        settings.hostileContent = hostileContent;
        platform::diadoc::SandboxGenerator::write(sandbox, settings);
        QFile file(QDir(sandbox).filePath(u"sandbox.json"_s));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        json[u"contentAsync"_s] = QJsonObject{{u"polls"_s, contentPolls}};
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(json).toJson());
        file.close();
        m_url = QUrl::fromLocalFile(sandbox).toString();
        service = factory.service(m_url);
        for (const auto& data : service->data().documents)
            docs.push_back(std::make_shared<platform::diadoc::SandboxDocument>(service, &data));
        out = dir.filePath(u"out"_s);
        QDir().mkpath(out);
        task.KeyОрганизацииВКоллекции = u"box-romashka"_s;
    }

    diadoc::AsyncContents& makeQueue(int docsLimit)
    {
        options.Set_DocsLimit(docsLimit);
        queue = std::make_unique<diadoc::AsyncContents>(options, clock, ui, unzipper, log);
        queue->attach(&trace);
        return *queue;
    }

    // Position of the record's document in the sandbox, from 1; 0 for an unknown one.
    int numberOf(const Record& r) const
    {
        for (std::size_t i = 0; i < docs.size(); ++i) {
            if (docs[i]->DocumentId() == r->DocumentId)
                return static_cast<int>(i) + 1;
        }
        return 0;
    }

    QString folderOf(int n) const { return out + u"/doc"_s + QString::number(n); }
    // Queues document n (from 1) into its own folder, or into the given one.
    bool add(int n, bool zip, const QString& folder = {}, bool withProtocol = false)
    {
        return queue->AddNewDocInQueue(task, docs.at(static_cast<std::size_t>(n - 1)),
                                       folder.isEmpty() ? folderOf(n) : folder, withProtocol, zip);
    }
    const QString& documentId(int n) const { return service->data().documents.at(n - 1).documentId; }

    // A fault on the content operations of document n.
    void fault(int n, const QString& operation, platform::diadoc::FaultEffect effect, const QString& text = {},
               int firstAttempts = 0)
    {
        platform::diadoc::FaultRule rule;
        rule.operation = operation;
        rule.document = documentId(n);
        rule.effect = effect;
        rule.text = text;
        rule.firstAttempts = firstAttempts;
        service->addFault(rule);
    }

    // Asks for every result; the records handed out.
    std::vector<Record> drain()
    {
        std::vector<Record> results;
        for (Record r = queue->GetFirstResult(); r; r = queue->GetNextResult())
            results.push_back(r);
        return results;
    }

    void startLog()
    {
        QDir().mkpath(dir.filePath(u"log"_s));
        log.StartLogFile(dir.filePath(u"log"_s) + u'/', u"run.txt"_s);
    }
    // The run log's lines without their time prefix.
    QStringList logLines() const
    {
        QFile file(log.logFileName());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        QStringList lines;
        for (const QString& line : text.split(u"\r\n"_s, Qt::SkipEmptyParts)) {
            const qsizetype colon = line.indexOf(u": "_s);
            lines.append(colon >= 0 ? line.mid(colon + 2) : line);
        }
        return lines;
    }

    QTemporaryDir dir;
    testsupport::VirtualClock clock;
    platform::diadoc::SandboxClientFactory factory;
    std::shared_ptr<platform::diadoc::SandboxService> service;
    std::vector<std::shared_ptr<platform::diadoc::SandboxDocument>> docs;
    QString out;
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    testsupport::ScriptedUiServices ui;
    platform::zip::LibzipLibraries libraries;
    core::mUnzipper unzipper{libraries, ui, u"N7_Fetchling"_s};
    core::mLogFile log{ui, [this] { return clock.currentDateTime(); }};
    diadoc::AsyncTskRecord task;
    TraceListener trace{[this](const Record& r) { return numberOf(r); }};
    std::unique_ptr<diadoc::AsyncContents> queue;

private:
    QString m_url;
};

} // namespace contentstest
