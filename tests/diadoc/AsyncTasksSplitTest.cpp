#include <algorithm>
#include <ctime>
#include <utility>

#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

#include "AsyncTasksFixture.h"
#include "base/Error.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/VbDate.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/diadoc/DiadocOrganization.h"

using namespace Qt::StringLiterals;
using namespace asynctaskstest;
using platform::diadoc::Variant;
using Labels = std::vector<std::string>;

namespace {

const QDate kJan1(2024, 1, 1);

Labels labelsOf(const std::vector<diadoc::AsyncTasks::Record>& records, std::size_t first = 0)
{
    Labels labels;
    for (std::size_t i = first; i < records.size(); ++i)
        labels.push_back(records[i]->CategoryType.toStdString() + ' ' + TraceListener::label(records[i]));
    return labels;
}

using AsyncTasksBuildTest = AsyncTasksFixture;

// ---- Building the requests ---------------------------------------------------------------------

TEST_F(AsyncTasksBuildTest, APeriodIsCutIntoPiecesOfTheGivenDays)
{
    struct Case
    {
        int days;
        Labels expected;
    };
    const Case cases[] = {
        {0, {"Invoice 01.01-31.01/100"}},
        {-3, {"Invoice 01.01-31.01/100"}},
        {7,
         {"Invoice 01.01-07.01/100", "Invoice 08.01-14.01/100", "Invoice 15.01-21.01/100", "Invoice 22.01-28.01/100",
          "Invoice 29.01-31.01/100"}},
    };
    makeQueue();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days);
        trace.addedToMain.clear();
        addRequests(u"Invoice"_s, kJan1, kJan1.addDays(30), c.days);
        EXPECT_EQ(labelsOf(trace.addedToMain), c.expected);
    }
}

TEST_F(AsyncTasksBuildTest, ANewRequestCarriesItsArgumentsAndStartsClean)
{
    makeQueue();
    trace.onAllow = [](bool& allow) { allow = false; };
    queue->ДобавлениеЗапросовВОчередьByDates(u"box-1"_s, u"dep-7"_s, u"Филиал"_s, u"Invoice"_s, u"Outbound"_s,
                                             u"WithRecipientSignature"_s, 0, Variant(QDateTime(kJan1, {})),
                                             Variant(QDateTime(kJan1.addDays(1), {})), false, false);
    ASSERT_EQ(queue->Count(1), 1);
    const auto& rec = queue->MainQueue().Item(1);
    EXPECT_EQ(rec->KeyОрганизацииВКоллекции, u"box-1"_s);
    EXPECT_EQ(rec->DepartmentId, u"dep-7"_s);
    EXPECT_EQ(rec->DepartmentName, u"Филиал"_s);
    EXPECT_EQ(rec->CategoryType, u"Invoice"_s);
    EXPECT_EQ(rec->CategoryClass, u"Outbound"_s);
    EXPECT_EQ(rec->CategoryStatus, u"WithRecipientSignature"_s);
    EXPECT_EQ(dayOf(rec->DateFrom), kJan1);
    EXPECT_EQ(dayOf(rec->DateTo), kJan1.addDays(1));
    EXPECT_FALSE(rec->Top100);
    EXPECT_TRUE(rec->ExcludeSubdepartments);
    EXPECT_EQ(rec->State, 0);
    EXPECT_EQ(rec->DocumentsCount, -1);
    EXPECT_FALSE(rec->TaskObject);
}

TEST_F(AsyncTasksBuildTest, AnyTypeGivesOneRequestPerTypeOfTheOrganisationForEachPiece)
{
    makeQueue();
    addRequests(u"Any"_s, kJan1, kJan1.addDays(13), 7);
    EXPECT_EQ(labelsOf(trace.addedToMain),
              (Labels{"Nonformalized 01.01-07.01/100", "Invoice 01.01-07.01/100", "Contract 01.01-07.01/100",
                      "Nonformalized 08.01-14.01/100", "Invoice 08.01-14.01/100", "Contract 08.01-14.01/100"}));
}

TEST_F(AsyncTasksBuildTest, NullDatesAskForThePresentMomentAndAReversedPeriodForNothing)
{
    makeQueue();
    queue->ДобавлениеЗапросовВОчередьByDates(u"box-1"_s, {}, {}, u"Invoice"_s, u"Inbound"_s, {}, 7, Variant::null(),
                                             Variant::null(), true, false);
    ASSERT_EQ(trace.addedToMain.size(), 1U);
    const double now = diadoc::VbDate::fromDateTime(clock.currentDateTime());
    EXPECT_DOUBLE_EQ(trace.addedToMain[0]->DateFrom, now);
    EXPECT_DOUBLE_EQ(trace.addedToMain[0]->DateTo, now);

    trace.events.clear();
    addRequests(u"Invoice"_s, kJan1.addDays(1), kJan1);
    EXPECT_TRUE(trace.events.empty());
}

TEST_F(AsyncTasksBuildTest, SelectiveTypesAndAnEmptyTypeAddNothingAndRaiseNothing)
{
    options.Set_SelectiveDocTypes(1);
    options.Set_DocType(u"Invoice"_s, true);
    options.Set_DocType(u"Contract"_s, false);
    options.Set_DocType(u"Nonformalized"_s, false);
    makeQueue();

    addRequests(u"Contract"_s, kJan1, kJan1);
    addRequests(QString(), kJan1, kJan1);
    EXPECT_TRUE(trace.events.empty());

    addRequests(u"Any"_s, kJan1, kJan1);
    EXPECT_EQ(labelsOf(trace.addedToMain), (Labels{"Invoice 01.01-01.01/100"}));
    addRequests(u"invoice"_s, kJan1, kJan1); // the chosen types are looked up without regard to case
    EXPECT_EQ(trace.addedToMain.size(), 2U);
}

TEST_F(AsyncTasksBuildTest, WithoutSelectiveTypesOnlyTheEmptyTypeIsRefused)
{
    makeQueue();
    addRequests(QString(), kJan1, kJan1);
    EXPECT_TRUE(trace.events.empty());
    addRequests(u"Contract"_s, kJan1, kJan1);
    EXPECT_EQ(trace.addedToMain.size(), 1U);
}

// ---- What a start asks of the documents task ---------------------------------------------------

class RecordingTask final : public platform::diadoc::DiadocDocumentsTask
{
public:
    QStringList calls;
    bool failCategory = false;

    void setFromSendDate(const QDateTime& v) override { calls << u"FromSendDate="_s + text(v); }
    QDateTime FromSendDate() const override { return {}; }
    void setToSendDate(const QDateTime& v) override { calls << u"ToSendDate="_s + text(v); }
    QDateTime ToSendDate() const override { return {}; }
    void setFromDocumentDate(const QDateTime& v) override { calls << u"FromDocumentDate="_s + text(v); }
    QDateTime FromDocumentDate() const override { return {}; }
    void setToDocumentDate(const QDateTime& v) override { calls << u"ToDocumentDate="_s + text(v); }
    QDateTime ToDocumentDate() const override { return {}; }
    void setCategory(const QString& v) override
    {
        if (failCategory)
            throw core::Error(438, u"Object doesn't support this property or method"_s);
        calls << u"Category="_s + v;
    }
    QString Category() const override { return {}; }
    void setDepartmentId(const QString& v) override { calls << u"DepartmentId="_s + v; }
    QString DepartmentId() const override { return {}; }
    void setExcludeSubdepartments(bool v) override { calls << u"ExcludeSubdepartments="_s + (v ? u"1"_s : u"0"_s); }
    bool ExcludeSubdepartments() const override { return false; }
    void setTop100(bool v) override { calls << u"Top100="_s + (v ? u"1"_s : u"0"_s); }
    bool Top100() const override { return false; }
    std::shared_ptr<platform::diadoc::DiadocAsyncResult> GetDocumentsAsync() override
    {
        calls << u"GetDocumentsAsync"_s;
        return std::make_shared<Pending>();
    }
    std::shared_ptr<platform::diadoc::DiadocList> GetDocuments() override { return nullptr; }

private:
    struct Pending final : platform::diadoc::DiadocAsyncResult
    {
        bool IsCompleted() override { return false; }
        Variant Result() override { return {}; }
    };
    static QString text(const QDateTime& v) { return v.toString(u"dd.MM.yyyy hh:mm:ss"_s); }
};

class RecordingOrganization final : public platform::diadoc::DiadocOrganization
{
public:
    std::shared_ptr<RecordingTask> task = std::make_shared<RecordingTask>();

    QString Inn() const override { return {}; }
    QString Kpp() const override { return {}; }
    QString Name() const override { return {}; }
    QString Guid() const override { return {}; }
    std::shared_ptr<platform::diadoc::DiadocList> Departments() const override { return nullptr; }
    std::shared_ptr<platform::diadoc::DiadocList> GetDocumentTypes() override { return nullptr; }
    std::shared_ptr<platform::diadoc::DiadocDocumentsTask> GetDocumentsTask() override { return task; }
};

class AsyncTasksStartTest : public AsyncTasksFixture
{
protected:
    AsyncTasksStartTest()
    {
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->DiadocOrganization = organization;
        persons.Add(person, u"box-1"_s);
        queue = std::make_unique<diadoc::AsyncTasks>(options, clock, ui);
        queue->SetOrg(persons);
    }

    QStringList start(const QString& type, const QDateTime& from, const QDateTime& to, const QString& status = {})
    {
        organization->task->calls.clear();
        queue->ДобавлениеЗапросовВОчередьByDates(u"box-1"_s, u"dep-7"_s, {}, type, u"Inbound"_s, status, 0,
                                                 Variant(from), Variant(to), true, false);
        return organization->task->calls;
    }

    std::shared_ptr<RecordingOrganization> organization = std::make_shared<RecordingOrganization>();
};

TEST_F(AsyncTasksStartTest, SendDatesBoundTheTwoSentTypesAndDocumentDatesTheOthers)
{
    const QDateTime jan1(kJan1, {});
    const QDateTime jan3(kJan1.addDays(2), {});
    const QDateTime none(QDate(1899, 12, 30), {});
    const QStringList tail{u"DepartmentId=dep-7"_s, u"ExcludeSubdepartments=1"_s, u"Top100=1"_s,
                           u"GetDocumentsAsync"_s};
    struct Case
    {
        QString type;
        QDateTime from;
        QDateTime to;
        QStringList dates;
    };
    const Case cases[] = {
        {u"Nonformalized"_s, jan1, jan3, {u"FromSendDate=01.01.2024 00:00:00"_s, u"ToSendDate=03.01.2024 23:59:59"_s}},
        {u"TrustConnectionRequest"_s, none, none, {}},
        {u"Contract"_s,
         jan1,
         jan3,
         {u"FromDocumentDate=01.01.2024 00:00:00"_s, u"ToDocumentDate=03.01.2024 00:00:00"_s}},
        {u"Contract"_s,
         none,
         none,
         {u"FromDocumentDate=30.12.1899 00:00:00"_s, u"ToDocumentDate=30.12.1899 00:00:00"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type.toStdString());
        const QStringList expected = c.dates + QStringList{u"Category="_s + c.type + u".Inbound"_s} + tail;
        EXPECT_EQ(start(c.type, c.from, c.to), expected);
    }
}

// Sets a time zone for the life of the object and puts the previous one back.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
        : m_had(qEnvironmentVariableIsSet("TZ"))
        , m_previous(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            qputenv("TZ", m_previous);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_had;
    QByteArray m_previous;
};

// On a day whose clock goes back, 24 hours less a second after midnight is an hour short of the
// day's end; the period must still end at 23:59:59 by the clock, wherever the program runs.
TEST_F(AsyncTasksStartTest, APeriodEndsAtTheLastSecondOfADayOfAClockChange)
{
    const ScopedTimeZone zone("America/New_York");
    const QDate fallBack(2024, 11, 3);
    if (QDateTime(fallBack, QTime(0, 0)).addSecs(86399).time() == QTime(23, 59, 59))
        GTEST_SKIP() << "this machine has no rules for the zone";
    for (const QDate day : {fallBack, QDate(2024, 3, 10)}) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        const QString text = day.toString(u"dd.MM.yyyy"_s);
        const QStringList calls = start(u"Nonformalized"_s, QDateTime(day, {}), QDateTime(day, {}));
        EXPECT_TRUE(calls.contains(u"FromSendDate="_s + text + u" 00:00:00"_s)) << calls.join(u'|').toStdString();
        EXPECT_TRUE(calls.contains(u"ToSendDate="_s + text + u" 23:59:59"_s)) << calls.join(u'|').toStdString();
    }
}

TEST_F(AsyncTasksStartTest, AStatusIsAppendedToTheCategoryAfterABlank)
{
    const QStringList calls =
        start(u"Invoice"_s, QDateTime(kJan1, {}), QDateTime(kJan1, {}), u"WithRecipientSignature"_s);
    EXPECT_TRUE(calls.contains(u"Category=Invoice.Inbound WithRecipientSignature"_s)) << calls.join(u'|').toStdString();
}

TEST_F(AsyncTasksStartTest, AFailureWhileThePropertiesAreSetReachesTheCallerWithItsTrail)
{
    organization->task->failCategory = true;
    try {
        start(u"Invoice"_s, QDateTime(kJan1, {}), QDateTime(kJan1, {}));
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 438);
        EXPECT_TRUE(e.description().contains(u"AsyncTasks"_s)) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(u"ЗапуститьЗапрос"_s)) << e.description().toStdString();
    }
}

// ---- Splitting a list that may have been cut at 100 ---------------------------------------------

// A list of exactly 100 over a period is split into thirds (rounded halves to even, at least a day)
// with the limit only for pieces longer than a day; a one-day list is asked for again without it.
TEST_F(AsyncTasksBuildTest, AFullListIsSplitIntoThirdsOfItsPeriod)
{
    struct Case
    {
        int days;
        Labels pieces;
    };
    const std::vector<Case> table = {
        {31, {"01.01-10.01/100", "11.01-20.01/100", "21.01-30.01/100", "31.01-31.01/100"}},
        {10, {"01.01-03.01/100", "04.01-06.01/100", "07.01-09.01/100", "10.01-10.01/100"}},
        {6, {"01.01-02.01/100", "03.01-04.01/100", "05.01-06.01/100"}},
        {3, {"01.01-01.01", "02.01-02.01", "03.01-03.01"}},
        {2, {"01.01-01.01", "02.01-02.01"}},
        {1, {"01.01-01.01"}},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.days);
        ListSandbox local;
        // 100 documents spread over the period, so that no piece is full again.
        for (int i = 0; i < 100; ++i)
            local.addDocuments(u"Invoice"_s, kJan1.addDays(i % c.days), 1);
        SandboxQueue q(local, options, ui);
        q.add(u"Invoice"_s, kJan1, kJan1.addDays(c.days - 1));
        int documents = 0;
        for (const auto& rec : q.drain())
            documents += rec->DocumentsCount;

        Labels pieces;
        for (std::size_t i = 1; i < q.trace.addedToMain.size(); ++i)
            pieces.push_back(TraceListener::label(q.trace.addedToMain[i]));
        EXPECT_EQ(pieces, c.pieces);
        EXPECT_EQ(documents, 100);
        EXPECT_EQ(q.trace.addedToMain.front()->State, 0);
        EXPECT_EQ(q.tasks.Count(4) + q.tasks.Count(5), static_cast<int>(c.pieces.size()));
    }
}

TEST_F(AsyncTasksBuildTest, NinetyNineDocumentsAreAcceptedAndAHundredAreSplit)
{
    for (const int count : {99, 100}) {
        SCOPED_TRACE(count);
        ListSandbox local;
        for (int i = 0; i < count; ++i)
            local.addDocuments(u"Invoice"_s, kJan1.addDays(i % 31), 1);
        SandboxQueue q(local, options, ui);
        q.add(u"Invoice"_s, kJan1, kJan1.addDays(30));
        EXPECT_EQ(q.drain().size(), count == 99 ? 1U : 4U);
        EXPECT_EQ(q.tasks.DocumentsCount(), count);
    }
}

// The chain of the worked example: 31 days, then 10, then 3, then single days without the limit,
// which get the whole day however many documents it holds.
TEST_F(AsyncTasksBuildTest, AFullDaySplitsDownToOneDayAndIsFetchedWhole)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 120);
    makeQueue();
    addRequests(u"Invoice"_s, kJan1, kJan1.addDays(30));

    const auto results = drain();

    // Requests are added while others are read, so the order of adding interleaves; the set counts.
    Labels labels = labelsOf(trace.addedToMain);
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (Labels{"Invoice 01.01-01.01", "Invoice 01.01-03.01/100", "Invoice 01.01-10.01/100",
                              "Invoice 01.01-31.01/100", "Invoice 02.01-02.01", "Invoice 03.01-03.01",
                              "Invoice 04.01-06.01/100", "Invoice 07.01-09.01/100", "Invoice 10.01-10.01/100",
                              "Invoice 11.01-20.01/100", "Invoice 21.01-30.01/100", "Invoice 31.01-31.01/100"}));
    ASSERT_EQ(results.size(), 1U);
    EXPECT_EQ(results[0]->DocumentsCount, 120);
    EXPECT_FALSE(results[0]->Top100);
    EXPECT_EQ(queue->DocumentsCount(), 120);
}

// Documents on the first and last days of a period and on both sides of every cut, at the day's
// first second, during it and at its last second: each is listed exactly once, however the period
// is cut, and nothing from the days around it.
TEST_F(AsyncTasksBuildTest, EverySecondOfAPeriodIsListedOnceHoweverItIsCut)
{
    const QDate last(2024, 1, 31);
    const QStringList types{u"Nonformalized"_s, u"Invoice"_s, u"Contract"_s};
    struct Case
    {
        const char* name;
        int daysCount;
        int fillers; // documents of each type spread over the period, to fill lists up to the limit
    };
    const Case cases[] = {
        {"one request", 0, 0},
        {"pieces of a week", 7, 0},
        {"full lists split into thirds", 0, 150},
        {"full lists split twice", 0, 330},
        {"pieces of a week split", 7, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListSandbox local;
        QSet<QString> inside;
        QSet<QString> outside;
        for (const QString& type : types) {
            for (const int day : {1, 3, 4, 7, 8, 10, 11, 20, 21, 30, 31}) {
                for (const QTime time : {QTime(0, 0), QTime(10, 18, 33), QTime(23, 59, 59)}) {
                    const QDateTime sent(QDate(2024, 1, day), time);
                    const QString id = type + sent.toString(Qt::ISODate);
                    local.addDocument(id, type, sent, sent.date());
                    inside.insert(id);
                }
            }
            for (const QDateTime& sent :
                 {QDateTime(kJan1.addDays(-1), QTime(23, 59, 59)), QDateTime(last.addDays(1), QTime(0, 0))}) {
                const QString id = type + sent.toString(Qt::ISODate);
                local.addDocument(id, type, sent, sent.date());
                outside.insert(id);
            }
            for (int i = 0; i < c.fillers; ++i) {
                const QString id = type + u"-filler-"_s + QString::number(i);
                local.addDocument(id, type, QDateTime(kJan1.addDays(i % 31), QTime(12, 0).addSecs(i)),
                                  kJan1.addDays(i % 31));
                inside.insert(id);
            }
        }
        SandboxQueue q(local, options, ui);
        q.add(u"Any"_s, kJan1, last, c.daysCount);

        QHash<QString, int> listed;
        for (const auto& rec : q.drain()) {
            const auto list = rec->TaskObject->Result().as<platform::diadoc::DiadocList>();
            ASSERT_TRUE(list);
            for (int i = 0; i < list->Count(); ++i)
                ++listed[list->itemAs<platform::diadoc::DiadocDocument>(i)->DocumentId()];
        }
        QStringList wrong;
        for (const QString& id : inside)
            if (listed.value(id) != 1)
                wrong.append(id + u" listed "_s + QString::number(listed.value(id)) + u" times"_s);
        for (const QString& id : outside)
            if (listed.contains(id))
                wrong.append(id + u" listed from outside the period"_s);
        wrong.sort();
        EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u'\n').toStdString();
        EXPECT_EQ(q.tasks.DocumentsCount(), inside.size());
        if (c.fillers >= 100) {
            EXPECT_GT(q.trace.addedToMain.size(), types.size() * (c.daysCount > 0 ? 5U : 1U)) << "lists were split";
        }
    }
}

// A one-day list with the limit that comes back full cannot be split; it is asked for once more
// without the limit, so that the documents past the hundredth are not lost.
TEST_F(AsyncTasksBuildTest, AFullOneDayListIsFetchedAgainWithoutTheLimit)
{
    sandbox.addDocuments(u"Nonformalized"_s, kJan1.addDays(4), 150);
    makeQueue();
    addRequests(u"Nonformalized"_s, kJan1.addDays(4), kJan1.addDays(4));

    const auto results = drain();

    EXPECT_EQ(labelsOf(trace.addedToMain), (Labels{"Nonformalized 05.01-05.01/100", "Nonformalized 05.01-05.01"}));
    ASSERT_EQ(results.size(), 1U);
    EXPECT_EQ(results[0]->DocumentsCount, 150);
    EXPECT_EQ(trace.addedToMain[0]->DocumentsCount, 100);
    EXPECT_EQ(trace.addedToMain[0]->State, 0);
    EXPECT_FALSE(trace.addedToMain[0]->TaskObject);
}

} // namespace
