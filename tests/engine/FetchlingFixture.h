#pragma once

#include <functional>
#include <memory>
#include <ostream>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadoc.h"
#include "engine/Fetchling.h"
#include "engine/FetchlingListener.h"
#include "platform/diadoc/DiadocClient.h"
#include "platform/diadoc/DiadocConnection.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/diadoc/Variant.h"
#include "platform/zip/LibzipLibraries.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

namespace fetchlingtest {

using namespace Qt::StringLiterals;

// Writes the engine's events as short lines; answers can be scripted per event.
class EngineTrace final : public engine::FetchlingListener
{
public:
    void OnExecutedTask(const std::shared_ptr<diadoc::AsyncTskRecord>& rec) override
    {
        events.append(u"Executed %1"_s.arg(rec->DocumentsCount));
    }
    void OnChangedTasks(diadoc::AsyncTasks& tasks, bool& rCancel) override
    {
        events.append(u"ChangedTasks"_s);
        if (onChangedTasks)
            onChangedTasks(tasks, rCancel);
    }
    void OnChangedDocs(diadoc::AsyncContents& docs, bool& rCancel) override
    {
        events.append(u"ChangedDocs"_s);
        if (onChangedDocs)
            onChangedDocs(docs, rCancel);
    }
    void OnWait(bool& rCancel) override
    {
        events.append(u"Wait"_s);
        if (onWait)
            onWait(rCancel);
    }
    void OnBadUnloadDoc(int& counter, bool& rCancel) override
    {
        events.append(u"Bad %1"_s.arg(counter));
        if (onBad)
            onBad(counter, rCancel);
    }

    QStringList events;
    std::function<void(diadoc::AsyncTasks&, bool&)> onChangedTasks;
    std::function<void(diadoc::AsyncContents&, bool&)> onChangedDocs;
    std::function<void(bool&)> onWait;
    std::function<void(int, bool&)> onBad;
};

// An emulated service in a temporary folder (one organisation "box-1" unless the test brings the
// sample), the services an engine needs, in virtual time, and the organisations signed in.
class FetchlingFixture : public ::testing::Test
{
public:
    static QString nodeKey(const QString& inn, const QString& kpp) { return u"org"_s + inn + u'/' + kpp; }

    struct Flags
    {
        bool protocol = false;
        bool deleted = false;
        bool revoked = false;
        bool internal = false;
        bool signatureRejected = false;
        bool onlyFinished = false;
    };

protected:
    static constexpr char16_t kApiKey[] = u"engine-test-key";

    FetchlingFixture()
        : factory([this] { return clock.nowMs(); })
    {
        QDir().mkpath(dir.filePath(u"sandbox/content"_s));
        QFile content(dir.filePath(u"sandbox/content/a.txt"_s));
        EXPECT_TRUE(content.open(QIODevice::WriteOnly));
        content.write("content");
        content.close();
        json = QJsonObject{
            {u"apiClientIds"_s, QJsonArray{QString::fromUtf16(kApiKey)}},
            {u"accounts"_s, QJsonArray{QJsonObject{{u"login"_s, u"buh"_s}, {u"password"_s, u"pw"_s}}}},
            {u"organizations"_s,
             QJsonArray{QJsonObject{
                 {u"id"_s, u"box-1"_s},
                 {u"inn"_s, u"7701234567"_s},
                 {u"kpp"_s, u"770101001"_s},
                 {u"name"_s, u"ООО «Ромашка»"_s},
                 {u"documentTypes"_s,
                  QJsonArray{QJsonObject{{u"name"_s, u"Nonformalized"_s}, {u"title"_s, u"Неформализованный"_s}}}},
                 {u"departments"_s, QJsonArray{QJsonObject{{u"id"_s, u"dep-1"_s}, {u"name"_s, u"Филиал"_s}}}}}}},
            {u"listAsync"_s, QJsonObject{{u"polls"_s, 2}}},
            {u"contentAsync"_s, QJsonObject{{u"polls"_s, 2}}},
        };
        out = dir.filePath(u"out"_s) + u'/';
        QDir().mkpath(out);
    }

    // A document of box-1 sent on 5 March 2024; fields given override the defaults.
    void addDocument(const QString& id, const QJsonObject& fields = {})
    {
        QJsonObject doc{
            {u"id"_s, id},
            {u"organization"_s, u"box-1"_s},
            {u"type"_s, u"Nonformalized"_s},
            {u"direction"_s, u"Inbound"_s},
            {u"timestamp"_s, u"2024-03-05T10:00:00"_s},
            {u"documentDate"_s, u"2024-03-04"_s},
            {u"title"_s, QString(u"Документ "_s + id)},
            {u"status"_s, u"InboundWithRecipientSignature"_s},
            {u"docflow"_s, QJsonObject{{u"severity"_s, u"Success"_s}, {u"text"_s, u"Документооборот завершен"_s}}},
            {u"counteragent"_s, QJsonObject{{u"inn"_s, u"5001000002"_s}, {u"name"_s, u"АО Лютик"_s}}},
            {u"content"_s, QJsonArray{u"content/a.txt"_s}},
        };
        for (auto it = fields.begin(); it != fields.end(); ++it)
            doc.insert(it.key(), it.value());
        documents.append(doc);
    }

    // Writes the sandbox (or takes the given folder), signs in and fills the organisations.
    void signIn(const QString& sandboxFolder = {})
    {
        QString folder = sandboxFolder;
        QString key = QString::fromUtf16(kApiKey);
        QString login = u"buh"_s;
        QString password = u"pw"_s;
        if (folder.isEmpty()) {
            folder = dir.filePath(u"sandbox"_s);
            json.insert(u"documents"_s, documents);
            QFile file(QDir(folder).filePath(u"sandbox.json"_s));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QJsonDocument(json).toJson());
        } else {
            key = QString::fromUtf16(diadoc::mDiadoc::kDefaultApiClientId);
            login = u"buh@romashka.ru"_s;
            password = u"Ромашка2024"_s;
        }
        url = QUrl::fromLocalFile(folder).toString();
        options.Set_DiadocServerURL(url);
        service = factory.service(url);
        const auto client = factory.create();
        client->setApiClientId(key);
        client->setServerUrl(url);
        const auto list = client->CreateConnectionByLogin(login, password)->GetOrganizationList();
        for (int i = 0; i < list->Count(); ++i) {
            const auto organization = list->itemAs<platform::diadoc::DiadocOrganization>(i);
            auto person = std::make_shared<diadoc::PersonRecord>(ui);
            person->DiadocOrganization = organization;
            person->Name = organization->Name();
            person->NodeID = nodeKey(organization->Inn(), organization->Kpp());
            persons.Add(person, person->NodeID);
        }
    }

    engine::Fetchling& makeEngine()
    {
        engine = std::make_unique<engine::Fetchling>(options, clock, ui, unzipper, log, diadoc);
        engine->attach(&trace);
        return *engine;
    }

    void prepare(const Flags& f)
    {
        engine->ПодготовкаНовойВыгрузки(persons, 0, f.protocol, false, f.deleted, f.revoked, f.internal,
                                        f.signatureRejected, f.onlyFinished);
    }

    // The node's requests over 2024, then the whole run to its end.
    void run(const QString& node, const QDate& from = QDate(2024, 1, 1), const QDate& to = QDate(2024, 12, 31))
    {
        engine->MainДобавлениеЗапросовВОчередь(node, u"Узел"_s, out, 0,
                                               platform::diadoc::Variant(QDateTime(from, QTime(0, 0))),
                                               platform::diadoc::Variant(QDateTime(to, QTime(0, 0))));
        if (!engine->isStopped())
            engine->ПостановкаДокументовВОчередьНаЗагрузку();
        if (!engine->isStopped())
            engine->ОбработкаВыгруженныхДокументов();
    }

    // The reason each ignored document got, by document id.
    QHash<QString, QString> ignoredReasons()
    {
        QHash<QString, QString> reasons;
        for (const auto& rec : engine->AsyncDocs().IgnoredList())
            reasons.insert(rec->DocumentId, rec->ErrorDescription);
        return reasons;
    }
    QStringList unloadedIds()
    {
        QStringList ids;
        for (const auto& rec : engine->AsyncDocs().UnloadedList())
            ids.append(rec->DocumentId);
        return ids;
    }

    QTemporaryDir dir;
    testsupport::VirtualClock clock{QDateTime(QDate(2025, 1, 15), QTime(10, 30))};
    platform::diadoc::SandboxClientFactory factory;
    std::shared_ptr<platform::diadoc::SandboxService> service;
    QJsonObject json;
    QJsonArray documents;
    QString url;
    QString out;
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    testsupport::ScriptedUiServices ui;
    platform::zip::LibzipLibraries libraries;
    core::mUnzipper unzipper{libraries, ui, u"N7_Fetchling"_s};
    core::mLogFile log{ui, [this] { return clock.currentDateTime(); }};
    diadoc::mDiadoc diadoc{factory, options};
    diadoc::PersonsCollection persons;
    EngineTrace trace;
    std::unique_ptr<engine::Fetchling> engine;
};

} // namespace fetchlingtest
