#include "AsyncTasksFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QUrl>

#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/VbDate.h"
#include "platform/diadoc/DiadocClient.h"
#include "platform/diadoc/DiadocConnection.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/diadoc/Variant.h"

using namespace Qt::StringLiterals;
using namespace platform::diadoc;

namespace asynctaskstest {

namespace {

const QString kApiKey = u"queue-test-key"_s;

} // namespace

ListSandbox::ListSandbox()
    : factory([this] { return nowMs; })
{
    const QJsonArray types{QJsonObject{{u"name"_s, u"Nonformalized"_s}, {u"title"_s, u"Неформализованный"_s}},
                           QJsonObject{{u"name"_s, u"Invoice"_s}, {u"title"_s, u"Счет-фактура"_s}},
                           QJsonObject{{u"name"_s, u"Contract"_s}, {u"title"_s, u"Договор"_s}}};
    m_json = QJsonObject{
        {u"apiClientIds"_s, QJsonArray{kApiKey}},
        {u"accounts"_s, QJsonArray{QJsonObject{{u"login"_s, u"buh"_s}, {u"password"_s, u"pw"_s}}}},
        {u"organizations"_s,
         QJsonArray{QJsonObject{{u"id"_s, u"box-1"_s}, {u"name"_s, u"ООО «Ромашка»"_s}, {u"documentTypes"_s, types}}}},
    };
}

void ListSandbox::addDocuments(const QString& type, QDate day, int count, const QString& direction)
{
    for (int i = 0; i < count; ++i) {
        const QDateTime sent(day, QTime(10, 0).addSecs(i));
        m_documents.append(QJsonObject{
            {u"id"_s, u"doc-%1"_s.arg(m_documents.size() + 1)},
            {u"organization"_s, u"box-1"_s},
            {u"type"_s, type},
            {u"direction"_s, direction},
            {u"timestamp"_s, sent.toString(Qt::ISODate)},
            {u"documentDate"_s, day.toString(Qt::ISODate)},
        });
    }
}

void ListSandbox::addDocument(const QString& id, const QString& type, const QDateTime& sent, QDate documentDate)
{
    m_documents.append(QJsonObject{
        {u"id"_s, id},
        {u"organization"_s, u"box-1"_s},
        {u"type"_s, type},
        {u"direction"_s, u"Inbound"_s},
        {u"timestamp"_s, sent.toString(Qt::ISODate)},
        {u"documentDate"_s, documentDate.toString(Qt::ISODate)},
    });
}

void ListSandbox::setListPolicy(int polls, int delayMs)
{
    m_json.insert(u"listAsync"_s, QJsonObject{{u"polls"_s, polls}, {u"delayMs"_s, delayMs}});
}

QString ListSandbox::url() const
{
    return QUrl::fromLocalFile(m_dir.path()).toString();
}

SandboxService& ListSandbox::service()
{
    if (!m_written) {
        m_json.insert(u"documents"_s, m_documents);
        QFile file(QDir(m_dir.path()).filePath(u"sandbox.json"_s));
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(m_json).toJson());
        m_written = true;
    }
    return *factory.service(url());
}

std::shared_ptr<DiadocOrganization> ListSandbox::signIn()
{
    service();
    const auto client = factory.create();
    client->setApiClientId(kApiKey);
    client->setServerUrl(url());
    const auto connection = client->CreateConnectionByLogin(u"buh"_s, u"pw"_s);
    return connection->GetOrganizationList()->itemAs<DiadocOrganization>(0);
}

std::string TraceListener::label(const Record& rec)
{
    const QString text = dayOf(rec->DateFrom).toString(u"dd.MM"_s) + u'-' + dayOf(rec->DateTo).toString(u"dd.MM"_s)
                         + (rec->Top100 ? u"/100"_s : QString());
    return text.toStdString();
}

void TraceListener::OnChanged(bool& rCancel)
{
    events.push_back("Changed");
    if (onChanged)
        onChanged(rCancel);
}

void TraceListener::OnWait(bool& rCancel)
{
    events.push_back("Wait");
    if (onWait)
        onWait(rCancel);
}

void TraceListener::OnExecutedTask(const Record& rec)
{
    events.push_back("Executed " + label(rec));
    if (onExecuted)
        onExecuted(rec);
}

void TraceListener::OnAllowNextTaskStart(bool& rAllow)
{
    events.push_back("Allow");
    if (onAllow)
        onAllow(rAllow);
}

void TraceListener::OnAddedInMainQueue(const Record& rec)
{
    events.push_back("+Main " + label(rec));
    addedToMain.push_back(rec);
}

void TraceListener::OnAddedInSecondaryQueue(const Record& rec, int position)
{
    events.push_back("+Second " + label(rec));
    secondaryRows.push_back(position);
    if (onAddedInSecondary)
        onAddedInSecondary(rec);
}

SandboxQueue::SandboxQueue(ListSandbox& sandbox, const core::mFetchlingOptions& options, core::UiServices& ui)
    : clock(testsupport::VirtualClock::defaultStart(), sandbox.nowMs)
    , tasks(options, clock, ui)
{
    auto person = std::make_shared<diadoc::PersonRecord>(ui);
    person->DiadocOrganization = sandbox.signIn();
    persons.Add(person, u"box-1"_s);
    tasks.SetOrg(persons);
    tasks.attach(&trace);
}

void SandboxQueue::add(const QString& type, QDate from, QDate to, int daysCount)
{
    tasks.ДобавлениеЗапросовВОчередьByDates(u"box-1"_s, QString(), QString(), type, u"Inbound"_s, QString(), daysCount,
                                            Variant(QDateTime(from, QTime(0, 0))), Variant(QDateTime(to, QTime(0, 0))),
                                            true, false);
}

std::vector<diadoc::AsyncTasks::Record> SandboxQueue::drain()
{
    std::vector<diadoc::AsyncTasks::Record> results;
    for (auto rec = tasks.GetFirstResult(); rec; rec = tasks.GetNextResult())
        results.push_back(rec);
    return results;
}

AsyncTasksFixture::AsyncTasksFixture() = default;

void AsyncTasksFixture::makeQueue()
{
    auto person = std::make_shared<diadoc::PersonRecord>(ui);
    person->DiadocOrganization = sandbox.signIn();
    person->Name = u"ООО «Ромашка»"_s;
    if (!persons.Contains(u"box-1"_s))
        persons.Add(person, u"box-1"_s);
    queue = std::make_unique<diadoc::AsyncTasks>(options, clock, ui);
    queue->SetOrg(persons);
    queue->attach(&trace);
}

void AsyncTasksFixture::addRequests(const QString& type, QDate from, QDate to, int daysCount, bool top100,
                                    const QString& documentClass)
{
    queue->ДобавлениеЗапросовВОчередьByDates(u"box-1"_s, QString(), u"ООО «Ромашка»"_s, type, documentClass, QString(),
                                             daysCount, Variant(QDateTime(from, QTime(0, 0))),
                                             Variant(QDateTime(to, QTime(0, 0))), top100, false);
}

std::vector<AsyncTasksFixture::Record> AsyncTasksFixture::drain()
{
    std::vector<Record> results;
    for (Record rec = queue->GetFirstResult(); rec; rec = queue->GetNextResult())
        results.push_back(rec);
    return results;
}

void AsyncTasksFixture::addFault(const FaultRule& rule)
{
    sandbox.service().addFault(rule);
}

QDate dayOf(double vbDate)
{
    return diadoc::VbDate::toDateTime(vbDate).date();
}

} // namespace asynctaskstest
