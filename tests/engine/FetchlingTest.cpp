#include <QSet>

#include "FetchlingFixture.h"
#include "diadoc/AsyncContentsListener.h"
#include "diadoc/AsyncTasksListener.h"
#include "platform/diadoc/SandboxData.h"
#include "platform/diadoc/SandboxDocument.h"

using namespace fetchlingtest;
using platform::diadoc::FaultEffect;
using platform::diadoc::FaultRule;
using platform::diadoc::Variant;

namespace {

const QString kNode = FetchlingFixture::nodeKey(u"7701234567"_s, u"770101001"_s);
const QString kDeleted = u"Удалённый документ"_s;
const QString kRevoked = u"Аннулирован"_s;
const QString kRejected = u"Отказано в ответной подписи"_s;
const QString kExcluded = u"Название документа подпадает под исключения, указанные в настройке"_s;
const QString kNotFinished = u"Документооборот не завершен\r\n"_s;

Variant at(QDate day)
{
    return Variant(QDateTime(day, QTime(0, 0)));
}

FaultRule fault(const QString& operation, FaultEffect effect, const QString& document = {})
{
    FaultRule rule;
    rule.operation = operation;
    rule.effect = effect;
    rule.document = document;
    rule.text = u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal Server Error"_s;
    return rule;
}

// Every request added to the run's request queue, in order.
class AddedRequests final : public diadoc::AsyncTasksListener
{
public:
    void OnAddedInMainQueue(const Record& rec) override { added.append(rec); }
    QList<Record> added;
};

using FetchlingTest = FetchlingFixture;

// ---- Construction and preparation -------------------------------------------------------------

TEST_F(FetchlingTest, ANewEngineHoldsEmptyQueuesAndNoFolder)
{
    auto& fetchling = makeEngine();
    EXPECT_EQ(fetchling.AsyncTasks().Count(), 0);
    EXPECT_EQ(fetchling.AsyncDocs().Count(), 0);
    EXPECT_EQ(fetchling.Path(), QString());
    EXPECT_FALSE(fetchling.isStopped());
    EXPECT_TRUE(trace.events.isEmpty()) << "nobody hears the construction";
    EXPECT_TRUE(fetchling.versionText().startsWith(u"Версия "_s));
    EXPECT_TRUE(fetchling.versionText().contains(u" (+DiadocAPI v. "_s));
}

TEST_F(FetchlingTest, APreparationMakesNewQueuesAndItsCancelAnswersAreNotRead)
{
    addDocument(u"d1"_s);
    signIn();
    auto& fetchling = makeEngine();
    prepare({});
    run(kNode);
    ASSERT_GT(fetchling.AsyncTasks().Count(), 0);
    ASSERT_EQ(fetchling.AsyncDocs().Count(4), 1);
    EXPECT_EQ(fetchling.Path(), out);

    trace.events.clear();
    trace.onChangedTasks = [](diadoc::AsyncTasks&, bool& rCancel) { rCancel = true; };
    trace.onChangedDocs = [](diadoc::AsyncContents&, bool& rCancel) { rCancel = true; };
    prepare({});
    EXPECT_EQ(trace.events, (QStringList{u"ChangedTasks"_s, u"ChangedDocs"_s}));
    EXPECT_FALSE(fetchling.isStopped());
    EXPECT_EQ(fetchling.AsyncTasks().Count(), 0);
    EXPECT_EQ(fetchling.AsyncDocs().Count(), 0);
    EXPECT_EQ(fetchling.Path(), out) << "the folder survives a preparation";

    // The same answers given later stop the run.
    run(kNode);
    EXPECT_TRUE(fetchling.isStopped());
    EXPECT_EQ(fetchling.AsyncDocs().Count(4), 0);
}

TEST_F(FetchlingTest, TheStopFlagLastsUntilTheNextPreparation)
{
    addDocument(u"d1"_s);
    signIn();
    auto& fetchling = makeEngine();
    prepare({});
    trace.onChangedTasks = [](diadoc::AsyncTasks&, bool& rCancel) { rCancel = true; };
    fetchling.MainДобавлениеЗапросовВОчередь(kNode, {}, out, 0, at(QDate(2024, 1, 1)), at(QDate(2024, 12, 31)));
    ASSERT_TRUE(fetchling.isStopped());
    const int requests = fetchling.AsyncTasks().Count();
    EXPECT_EQ(requests, 1) << "no class is added after the stop";

    trace.onChangedTasks = nullptr;
    fetchling.MainДобавлениеЗапросовВОчередь(kNode, {}, out, 0, at(QDate(2024, 1, 1)), at(QDate(2024, 12, 31)));
    EXPECT_EQ(fetchling.AsyncTasks().Count(), requests) << "a False answer does not resume the run";
    EXPECT_EQ(fetchling.ОбработкаВыгруженныхДокументов(), 0);

    prepare({});
    EXPECT_FALSE(fetchling.isStopped());
}

TEST_F(FetchlingTest, ASnapshotOfTheOptionsIsTakenAtPreparation)
{
    addDocument(u"d1"_s, {{u"title"_s, u"Акт сверки"_s}});
    signIn();
    auto& fetchling = makeEngine();
    prepare({});
    options.Set_DocNamesExclude({{false, u"акт"_s, u"Все"_s}});
    options.Set_ExcludeNegligible(0);
    options.Set_MaxFolderNameLength(3);
    run(kNode);
    ASSERT_EQ(unloadedIds(), QStringList{u"d1"_s});
    EXPECT_EQ(fetchling.AsyncDocs().UnloadedList().Item(1)->Path, out + u"Ромашка/2024/Лютик/Акт сверки ~d1"_s);
}

// ---- Feeding list requests --------------------------------------------------------------------

TEST_F(FetchlingTest, ANodeKeyGivesTheOrganisationAndTheDepartment)
{
    signIn();
    auto& fetchling = makeEngine();
    prepare({});
    AddedRequests probe;
    fetchling.AsyncTasks().attach(&probe);
    fetchling.MainДобавлениеЗапросовВОчередь(kNode, u"ООО «Ромашка»"_s, out, 0, at(QDate(2024, 1, 1)),
                                             at(QDate(2024, 1, 31)));
    auto requests = probe.added;
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0]->CategoryClass, u"Inbound"_s);
    EXPECT_EQ(requests[1]->CategoryClass, u"Outbound"_s);
    for (const auto& rec : requests) {
        EXPECT_EQ(rec->KeyОрганизацииВКоллекции, kNode);
        EXPECT_EQ(rec->DepartmentId, QString());
        EXPECT_TRUE(rec->Top100);
    }

    prepare({.internal = true});
    AddedRequests second;
    fetchling.AsyncTasks().attach(&second);
    fetchling.MainДобавлениеЗапросовВОчередь(kNode + u"|depdep-1"_s, u"Филиал"_s, QString(), 0, at(QDate(2024, 1, 1)),
                                             at(QDate(2024, 1, 31)));
    requests = second.added;
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[2]->CategoryClass, u"Internal"_s);
    for (const auto& rec : requests) {
        EXPECT_EQ(rec->KeyОрганизацииВКоллекции, kNode);
        EXPECT_EQ(rec->DepartmentId, u"dep-1"_s);
        EXPECT_EQ(rec->DepartmentName, u"Филиал"_s);
    }
    EXPECT_EQ(fetchling.Path(), out) << "an empty folder keeps the run's folder";
}

// ---- Filters ----------------------------------------------------------------------------------

struct FilterCase
{
    const char* name;
    FetchlingFixture::Flags flags;
    QHash<QString, QString> expected; // document id -> reason; empty: queued and unloaded
};

TEST_F(FetchlingTest, TheFirstRuleThatAppliesGivesTheReason)
{
    addDocument(u"plain"_s);
    addDocument(u"del-rev"_s, {{u"deleted"_s, true}, {u"revocationStatus"_s, u"RevocationAccepted"_s}});
    addDocument(u"rev"_s, {{u"revocationStatus"_s, u"RevocationAccepted"_s}});
    addDocument(u"rejected"_s, {{u"status"_s, u"InboundRecipientSignatureRequestRejected"_s}});
    addDocument(u"prefix"_s, {{u"status"_s, u"SignatureRequestRejectedButGoesOn"_s}});
    addDocument(u"unfinished"_s, {{u"docflow"_s, QJsonObject{{u"severity"_s, u"Info"_s}, {u"text"_s, u"Ждём"_s}}}});
    addDocument(u"excluded"_s, {{u"title"_s, u"Акт сверки 5"_s}});
    signIn();
    options.Set_DocNamesExclude({{false, u"акт сверки"_s, u"Все"_s}});
    makeEngine();

    const QList<FilterCase> cases{
        {"every flag off",
         {},
         {{u"plain"_s, {}},
          {u"del-rev"_s, kDeleted},
          {u"rev"_s, kRevoked},
          {u"rejected"_s, kRejected},
          {u"prefix"_s, {}},
          {u"unfinished"_s, {}},
          {u"excluded"_s, kExcluded}}},
        {"only finished",
         {.onlyFinished = true},
         {{u"plain"_s, {}},
          {u"del-rev"_s, kDeleted},
          {u"rev"_s, kRevoked},
          {u"rejected"_s, kNotFinished + u"Документооборот завершен"_s},
          {u"prefix"_s, {}},
          {u"unfinished"_s, kNotFinished + u"Ждём"_s},
          {u"excluded"_s, kExcluded}}},
        {"deleted allowed",
         {.deleted = true},
         {{u"plain"_s, {}},
          {u"del-rev"_s, kRevoked},
          {u"rev"_s, kRevoked},
          {u"rejected"_s, kRejected},
          {u"prefix"_s, {}},
          {u"unfinished"_s, {}},
          {u"excluded"_s, kExcluded}}},
        {"everything allowed",
         {.deleted = true, .revoked = true, .signatureRejected = true},
         {{u"plain"_s, {}},
          {u"del-rev"_s, {}},
          {u"rev"_s, {}},
          {u"rejected"_s, {}},
          {u"prefix"_s, {}},
          {u"unfinished"_s, {}},
          {u"excluded"_s, kExcluded}}},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(c.flags);
        run(kNode);
        const auto reasons = ignoredReasons();
        const QStringList unloaded = unloadedIds();
        EXPECT_EQ(reasons.size() + unloaded.size(), c.expected.size()) << "nothing is dropped";
        for (auto it = c.expected.cbegin(); it != c.expected.cend(); ++it) {
            SCOPED_TRACE(it.key().toStdString());
            if (it.value().isEmpty())
                EXPECT_TRUE(unloaded.contains(it.key()));
            else
                EXPECT_EQ(reasons.value(it.key()), it.value());
        }
    }
}

TEST_F(FetchlingTest, ExclusionRowsApplyToTheirFolderWordOnly)
{
    addDocument(u"in-contract"_s, {{u"title"_s, u"ДОГОВОР поставки"_s}});
    addDocument(u"out-contract"_s, {{u"title"_s, u"Договор поставки"_s}, {u"direction"_s, u"Outbound"_s}});
    addDocument(u"out-act"_s, {{u"title"_s, u" Акт к договору "_s}, {u"direction"_s, u"Outbound"_s}});
    addDocument(u"out-waybill"_s, {{u"title"_s, u"Договор и накладная"_s}, {u"direction"_s, u"Outbound"_s}});
    addDocument(u"internal"_s, {{u"title"_s, u"Внутренний приказ"_s}, {u"direction"_s, u"Internal"_s}});
    addDocument(u"other-word"_s, {{u"title"_s, u"Прочее"_s}});
    signIn();
    options.Set_DocNamesExclude({{false, u"договор"_s, u"Входящие"_s},
                                 {false, u"акт"_s, u"Исходящие"_s},
                                 {false, u"накладная"_s, u"Все"_s},
                                 {false, u"приказ"_s, u"Внутренние"_s},
                                 {false, u"прочее"_s, u"Папка"_s}});
    makeEngine();
    prepare({.internal = true});
    run(kNode);
    const auto reasons = ignoredReasons();
    EXPECT_EQ(reasons.value(u"in-contract"_s), kExcluded);
    EXPECT_EQ(reasons.value(u"out-act"_s), kExcluded);
    EXPECT_EQ(reasons.value(u"out-waybill"_s), kExcluded);
    EXPECT_EQ(reasons.value(u"internal"_s), kExcluded);
    const QStringList unloaded = unloadedIds();
    EXPECT_TRUE(unloaded.contains(u"out-contract"_s));
    EXPECT_TRUE(unloaded.contains(u"other-word"_s));
    EXPECT_EQ(reasons.size(), 4);
}

// ---- Permission and stopping ------------------------------------------------------------------

// Records the permission the queue ends with.
class AllowProbe final : public diadoc::AsyncTasksListener
{
public:
    void OnAllowNextTaskStart(bool& rAllow) override { answers.append(rAllow); }
    QList<bool> answers;
};

TEST_F(FetchlingTest, ANewRequestStartsOnlyWhileFewerThanTheLimitWaitOrRun)
{
    for (int i = 0; i < 200; ++i)
        addDocument(u"w%1"_s.arg(i));
    signIn();
    service->addFault(fault(u"SaveAllContentAsync"_s, FaultEffect::Never));
    auto& fetchling = makeEngine();
    prepare({});
    AllowProbe probe;
    fetchling.AsyncTasks().attach(&probe);
    diadoc::AsyncTskRecord task;
    task.KeyОрганизацииВКоллекции = kNode;
    const auto& data = service->data().documents;
    const auto queue = [&](int n) {
        fetchling.AsyncDocs().AddNewDocInQueue(
            task, std::make_shared<platform::diadoc::SandboxDocument>(service, &data.at(n)), out + u"w"_s, false,
            false);
    };
    for (int i = 0; i < 199; ++i)
        queue(i);
    ASSERT_EQ(fetchling.AsyncDocs().Count(1) + fetchling.AsyncDocs().Count(3), 199);
    fetchling.AsyncTasks().ДобавлениеЗапросовВОчередьByDates(kNode, {}, {}, u"Any"_s, u"Inbound"_s, {}, 0,
                                                             at(QDate(2024, 1, 1)), at(QDate(2024, 1, 2)), true, false);
    ASSERT_FALSE(probe.answers.isEmpty());
    EXPECT_TRUE(probe.answers.last()) << "199 waiting or running";

    queue(199);
    probe.answers.clear();
    fetchling.AsyncTasks().ДобавлениеЗапросовВОчередьByDates(kNode, {}, {}, u"Any"_s, u"Outbound"_s, {}, 0,
                                                             at(QDate(2024, 1, 1)), at(QDate(2024, 1, 2)), true, false);
    ASSERT_FALSE(probe.answers.isEmpty());
    EXPECT_FALSE(probe.answers.last()) << "200 waiting or running";
    fetchling.AsyncTasks().detach(&probe);
}

TEST_F(FetchlingTest, AStopInTheMiddleOfAListEndsTheWalkAfterTheCurrentDocument)
{
    for (int i = 1; i <= 6; ++i)
        addDocument(u"s%1"_s.arg(i));
    signIn();
    auto& fetchling = makeEngine();
    prepare({});
    trace.onChangedDocs = [](diadoc::AsyncContents& docs, bool& rCancel) {
        if (docs.Count() >= 3)
            rCancel = true;
    };
    run(kNode);
    EXPECT_TRUE(fetchling.isStopped());
    EXPECT_EQ(fetchling.AsyncDocs().Count(), 3) << "the rest is neither queued nor ignored";
    EXPECT_EQ(fetchling.ПостановкаДокументовВОчередьНаЗагрузку(), 0);
}

TEST_F(FetchlingTest, AWaitAnswerEndsTheCollectingAfterItsCurrentDocument)
{
    for (int i = 1; i <= 4; ++i)
        addDocument(u"c%1"_s.arg(i));
    json[u"contentAsync"_s] = QJsonObject{{u"polls"_s, 8}};
    signIn();
    options.Set_DocsLimit(1);
    auto& fetchling = makeEngine();
    prepare({});
    fetchling.MainДобавлениеЗапросовВОчередь(kNode, {}, out, 0, at(QDate(2024, 1, 1)), at(QDate(2024, 12, 31)));
    fetchling.ПостановкаДокументовВОчередьНаЗагрузку();
    ASSERT_FALSE(fetchling.isStopped());
    trace.onWait = [&fetchling](bool& rCancel) {
        if (fetchling.AsyncDocs().Count(4) >= 1)
            rCancel = true;
    };
    const int handedOut = fetchling.ОбработкаВыгруженныхДокументов();
    EXPECT_TRUE(fetchling.isStopped());
    EXPECT_GE(handedOut, 1);
    EXPECT_LT(fetchling.AsyncDocs().Count(4), 4);
}

// ---- Collecting ------------------------------------------------------------------------------

// Puts a folder where the metadata file of one document would go.
class BlockMetadata final : public diadoc::AsyncContentsListener
{
public:
    explicit BlockMetadata(QString id)
        : m_id(std::move(id))
    {
    }
    void OnAddedInUnloadingList(const Record& rec) override
    {
        if (rec->DocumentId == m_id)
            QDir().mkpath(rec->Path + u"/DCInfo.n7l"_s);
    }

private:
    QString m_id;
};

TEST_F(FetchlingTest, AMetadataFailureRefusesTheDocumentWithItsText)
{
    addDocument(u"good"_s);
    addDocument(u"blocked"_s);
    signIn();
    auto& fetchling = makeEngine();
    prepare({});
    BlockMetadata block(u"blocked"_s);
    fetchling.AsyncDocs().attach(&block);
    run(kNode);
    EXPECT_EQ(unloadedIds(), QStringList{u"good"_s});
    const auto reasons = ignoredReasons();
    ASSERT_TRUE(reasons.contains(u"blocked"_s));
    EXPECT_FALSE(reasons.value(u"blocked"_s).isEmpty());
    const auto& good = *fetchling.AsyncDocs().UnloadedList().Item(1);
    EXPECT_TRUE(QFile::exists(good.Path + u"/DCInfo.n7l"_s));
    EXPECT_FALSE(good.DiadocDocument) << "the document object is let go once finished";
    for (const auto& rec : fetchling.AsyncDocs().IgnoredList())
        EXPECT_FALSE(rec->DiadocDocument);
    fetchling.AsyncDocs().detach(&block);
}

TEST_F(FetchlingTest, EveryBadUnloadCountsOneMoreAndItsAnswerStopsTheRun)
{
    addDocument(u"b1"_s);
    addDocument(u"b2"_s);
    signIn();
    service->addFault(fault(u"SaveAllContentAsync"_s, FaultEffect::Error));
    service->addFault(fault(u"SaveAllContentZipAsync"_s, FaultEffect::Error));
    auto& fetchling = makeEngine();
    prepare({});
    QList<int> counts;
    trace.onBad = [&counts](int counter, bool&) { counts.append(counter); };
    run(kNode);
    ASSERT_GE(counts.size(), 2);
    for (int i = 0; i < counts.size(); ++i)
        EXPECT_EQ(counts[i], i + 1);
    EXPECT_EQ(fetchling.folderRemovalCount(), counts.size());
    EXPECT_FALSE(fetchling.isStopped());

    prepare({});
    EXPECT_EQ(fetchling.folderRemovalCount(), 0);
    counts.clear();
    trace.onBad = [&counts](int counter, bool& rCancel) {
        counts.append(counter);
        rCancel = true;
    };
    run(kNode);
    EXPECT_EQ(counts, QList<int>{1});
    EXPECT_TRUE(fetchling.isStopped());
}

// ---- Protocol progress ------------------------------------------------------------------------

class ProtocolTrace final : public engine::FetchlingListener
{
public:
    void OnBeginHtmlProtocol() override { events.append(u"BeginHtml"_s); }
    void StepChangeHtmlProtocol(int count, int step, bool& rCancel) override
    {
        events.append(u"Html %1/%2"_s.arg(step).arg(count));
        rCancel = step == 2;
    }
    void OnEndHtmlProtocol() override { events.append(u"EndHtml"_s); }
    void OnBeginCsvProtocol() override { events.append(u"BeginCsv"_s); }
    void OnEndExcelProtocol() override { events.append(u"EndExcel"_s); }
    QStringList events;
};

TEST_F(FetchlingTest, AProtocolWritersProgressBecomesTheEnginesEvents)
{
    auto& fetchling = makeEngine();
    ProtocolTrace protocol;
    fetchling.attach(&protocol);
    auto& html = fetchling.protocolProgress(engine::Fetchling::ProtocolKind::Html);
    html.OnBegin();
    bool cancel = false;
    html.StepChange(3, 1, cancel);
    EXPECT_FALSE(cancel);
    html.StepChange(3, 2, cancel);
    EXPECT_TRUE(cancel);
    html.OnEnd();
    fetchling.protocolProgress(engine::Fetchling::ProtocolKind::Csv).OnBegin();
    fetchling.protocolProgress(engine::Fetchling::ProtocolKind::Excel).OnEnd();
    EXPECT_EQ(protocol.events,
              (QStringList{u"BeginHtml"_s, u"Html 1/3"_s, u"Html 2/3"_s, u"EndHtml"_s, u"BeginCsv"_s, u"EndExcel"_s}));
    fetchling.detach(&protocol);
}

} // namespace
