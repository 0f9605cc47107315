#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTasksListener.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

namespace platform::diadoc {
class DiadocOrganization;
class SandboxService;
struct FaultRule;
} // namespace platform::diadoc

namespace asynctaskstest {

// A sandbox with one organisation ("box-1") of three document types and documents put in by the test.
class ListSandbox
{
public:
    ListSandbox();

    // count documents of one type and class on one day, sent at 10:00 and dated that day.
    void addDocuments(const QString& type, QDate day, int count, const QString& direction = QStringLiteral("Inbound"));
    // One inbound document of a type, sent at a moment and dated a day.
    void addDocument(const QString& id, const QString& type, const QDateTime& sent, QDate documentDate);
    // A list operation completes on this call of IsCompleted and not before delayMs have passed.
    void setListPolicy(int polls, int delayMs = 0);
    std::shared_ptr<platform::diadoc::DiadocOrganization> signIn();
    platform::diadoc::SandboxService& service();

    qint64 nowMs = 0;
    platform::diadoc::SandboxClientFactory factory;

private:
    QString url() const;

    QTemporaryDir m_dir;
    QJsonObject m_json;
    QJsonArray m_documents;
    bool m_written = false;
};

// Writes every event as a short line: "+Main 01.01-31.01/100" (a record with Top100), "Changed",
// "Allow", ... Answers can be scripted per event.
class TraceListener final : public diadoc::AsyncTasksListener
{
public:
    std::vector<std::string> events;
    std::vector<Record> addedToMain;
    std::function<void(bool&)> onChanged;
    std::function<void(bool&)> onWait;
    std::function<void(bool&)> onAllow;
    std::function<void(const Record&)> onExecuted;
    std::function<void(const Record&)> onAddedInSecondary;
    // The rows the secondary queue's events named, in their order: +n for an addition, -n for a removal.
    std::vector<int> secondaryRows;

    static std::string label(const Record& rec);

    void OnChanged(bool& rCancel) override;
    void OnWait(bool& rCancel) override;
    void OnExecutedTask(const Record& rec) override;
    void OnAllowNextTaskStart(bool& rAllow) override;
    void OnAddedInMainQueue(const Record& rec) override;
    void OnRemovedFromMainQueue(const Record& rec) override { events.push_back("-Main " + label(rec)); }
    void OnAddedInSecondaryQueue(const Record& rec, int position) override;
    void OnRemovedFromSecondaryQueue(const Record& rec, int position) override
    {
        events.push_back("-Second " + label(rec));
        secondaryRows.push_back(-position);
    }
    void OnAddedInExecutingList(const Record& rec) override { events.push_back("+Exec " + label(rec)); }
    void OnRemovedFromExecutingList(const Record& rec) override { events.push_back("-Exec " + label(rec)); }
    void OnAddedInExecutedList(const Record& rec) override { events.push_back("+Done " + label(rec)); }
};

// A queue of its own over a sandbox that a case of a table filled, with its trace attached.
class SandboxQueue
{
public:
    SandboxQueue(ListSandbox& sandbox, const core::mFetchlingOptions& options, core::UiServices& ui);

    // Requests of class Inbound for the days from .. to, cut into pieces of daysCount days.
    void add(const QString& type, QDate from, QDate to, int daysCount = 0);
    // Every result handed out, until nothing is.
    std::vector<diadoc::AsyncTasks::Record> drain();

    testsupport::VirtualClock clock;
    diadoc::PersonsCollection persons;
    TraceListener trace;
    diadoc::AsyncTasks tasks;
};

// The queue over the sandbox, in virtual time, with the trace attached.
class AsyncTasksFixture : public ::testing::Test
{
protected:
    using Record = diadoc::AsyncTasks::Record;

    AsyncTasksFixture();

    // Signs in, makes the organisation record and the queue; options set before take effect.
    void makeQueue();
    void addRequests(const QString& type, QDate from, QDate to, int daysCount = 0, bool top100 = true,
                     const QString& documentClass = QStringLiteral("Inbound"));
    // Every result that the queue hands out, until it hands out nothing.
    std::vector<Record> drain();
    void addFault(const platform::diadoc::FaultRule& rule);

    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    testsupport::ScriptedUiServices ui;
    ListSandbox sandbox;
    testsupport::VirtualClock clock{testsupport::VirtualClock::defaultStart(), sandbox.nowMs};
    diadoc::PersonsCollection persons;
    TraceListener trace;
    std::unique_ptr<diadoc::AsyncTasks> queue;
};

QDate dayOf(double vbDate);

} // namespace asynctaskstest
