// Drains many mostly empty document-list requests through the request queue against the emulated
// service, in virtual time, and prints requests, polls, pauses, the virtual time and the CPU time.

#include <cstdio>
#include <ctime>
#include <memory>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include "core/UiServices.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTasksListener.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "platform/diadoc/DiadocClient.h"
#include "platform/diadoc/DiadocConnection.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/Variant.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/GlobalUtility.h"
#include "platform/family/SplashWindow.h"
#include "platform/registry/JsonRegistry.h"
#include "support/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kRequests = 10000;
constexpr int kFilledEvery = 50; // one day in fifty holds documents
// Each request may cost at most one pause of the polling loop.
constexpr qint64 kVirtualBoundMs = static_cast<qint64>(kRequests) * diadoc::AsyncTasks::kPollPauseMs;

// No person watches a benchmark: every box takes its default answer.
class SilentUi final : public core::UiServices
{
public:
    bool isUnattended() const override { return true; }
    int msgBox(const QString&, int style, const QString&) override { return core::msgbox::defaultAnswer(style); }
    QString inputBox(const QString&, const QString&, const QString& defaultText) override { return defaultText; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    core::MousePointer mousePointer() const override { return core::MousePointer::Default; }
    void setMousePointer(core::MousePointer) override {}
    void processEvents() override {}
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return nullptr; }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return nullptr; }
};

class CountingListener final : public diadoc::AsyncTasksListener
{
public:
    qint64 added = 0;
    qint64 waits = 0;
    void OnAddedInMainQueue(const Record&) override { ++added; }
    void OnWait(bool&) override { ++waits; }
};

QString writeSandbox(const QString& folder, QDate first)
{
    QJsonArray documents;
    for (int day = 0; day < kRequests; day += kFilledEvery) {
        const QDate date = first.addDays(day);
        documents.append(QJsonObject{{u"id"_s, u"doc-%1"_s.arg(day)},
                                     {u"organization"_s, u"box-1"_s},
                                     {u"type"_s, u"Invoice"_s},
                                     {u"timestamp"_s, QDateTime(date, QTime(12, 0)).toString(Qt::ISODate)},
                                     {u"documentDate"_s, date.toString(Qt::ISODate)}});
    }
    const QJsonObject json{
        {u"apiClientIds"_s, QJsonArray{u"bench"_s}},
        {u"accounts"_s, QJsonArray{QJsonObject{{u"login"_s, u"bench"_s}, {u"password"_s, u"bench"_s}}}},
        {u"organizations"_s,
         QJsonArray{QJsonObject{{u"id"_s, u"box-1"_s},
                                {u"documentTypes"_s, QJsonArray{QJsonObject{{u"name"_s, u"Invoice"_s}}}}}}},
        {u"listAsync"_s, QJsonObject{{u"polls"_s, 2}, {u"delayMs"_s, 100}}},
        {u"documents"_s, documents},
    };
    QFile file(QDir(folder).filePath(u"sandbox.json"_s));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QJsonDocument(json).toJson(QJsonDocument::Compact));
    return QUrl::fromLocalFile(folder).toString();
}

} // namespace

int main()
{
    QTemporaryDir sandboxDir;
    QTemporaryDir registryDir;
    const QDate first(1990, 1, 1);
    const QString url = writeSandbox(sandboxDir.path(), first);
    if (url.isEmpty()) {
        std::fprintf(stderr, "cannot write the sandbox\n");
        return 1;
    }

    platform::registry::JsonRegistry registry(registryDir.path(),
                                              platform::registry::JsonRegistry::MachineAccess::ReadWrite);
    platform::family::GlobalUtility utility(registry);
    core::mFetchlingOptions options(utility);
    SilentUi ui;
    testsupport::VirtualClock clock;
    platform::diadoc::SandboxClientFactory factory([&clock] { return clock.nowMs(); });

    try {
        const auto client = factory.create();
        client->setApiClientId(u"bench"_s);
        client->setServerUrl(url);
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->DiadocOrganization = client->CreateConnectionByLogin(u"bench"_s, u"bench"_s)
                                         ->GetOrganizationList()
                                         ->itemAs<platform::diadoc::DiadocOrganization>(0);
        diadoc::PersonsCollection persons;
        persons.Add(person, u"box-1"_s);

        const std::clock_t cpuStart = std::clock();
        diadoc::AsyncTasks tasks(options, clock, ui);
        tasks.SetOrg(persons);
        CountingListener listener;
        tasks.attach(&listener);
        tasks.ДобавлениеЗапросовВОчередьByDates(
            u"box-1"_s, {}, {}, u"Invoice"_s, u"Inbound"_s, {}, 1, platform::diadoc::Variant(QDateTime(first, {})),
            platform::diadoc::Variant(QDateTime(first.addDays(kRequests - 1), {})), true, false);
        qint64 lists = 0;
        for (auto rec = tasks.GetFirstResult(); rec; rec = tasks.GetNextResult())
            ++lists;
        const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;

        const auto& stats = tasks.statistics();
        std::printf("requests      %lld\n", static_cast<long long>(listener.added));
        std::printf("lists         %lld\n", static_cast<long long>(lists));
        std::printf("empty         %d\n", tasks.Count(5));
        std::printf("starts        %lld\n", static_cast<long long>(stats.starts));
        std::printf("polls         %lld\n", static_cast<long long>(stats.polls));
        std::printf("waits         %lld\n", static_cast<long long>(listener.waits));
        std::printf("pauses        %lld\n", static_cast<long long>(stats.pauses));
        std::printf("virtual time  %.1f s\n", static_cast<double>(clock.nowMs()) / 1000.0);
        std::printf("cpu time      %.3f s\n", cpuSeconds);
        const bool drained = tasks.Count(1) == 0 && tasks.Count(2) == 0 && tasks.Count(3) == 0;
        if (!drained || listener.added != kRequests || clock.nowMs() > kVirtualBoundMs) {
            std::fprintf(stderr, "the queue did not drain within the bound\n");
            return 1;
        }
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
