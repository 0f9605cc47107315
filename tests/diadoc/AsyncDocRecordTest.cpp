#include <QUrl>

#include <gtest/gtest.h>

#include "FakeDiadoc.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/DiadocConnection.h"
#include "platform/diadoc/DiadocDocumentsTask.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using diadoc::AsyncDocRecord;
using diadoc::AsyncTskRecord;
using namespace fakediadoc;

namespace {

class NeverDone final : public DiadocAsyncResult
{
public:
    bool IsCompleted() override { return false; }
    Variant Result() override { return {}; }
};

AsyncTskRecord task()
{
    AsyncTskRecord t;
    t.KeyОрганизацииВКоллекции = u"ORG-7701234567"_s;
    t.CategoryType = u"Any"_s;
    return t;
}

// A document with a counteragent and a finished document flow, as most listed documents are.
std::shared_ptr<FakeDocument> plainDocument()
{
    auto doc = std::make_shared<FakeDocument>();
    doc->counteragent = Variant(std::make_shared<FakeParty>(u"7707083893"_s, u"773601001"_s, u"ПАО «Банк»"_s));
    doc->docflow->primary->severity = u"Success"_s;
    doc->docflow->primary->text = u"Документооборот завершен"_s;
    return doc;
}

AsyncDocRecord queued(const std::shared_ptr<FakeDocument>& doc)
{
    AsyncDocRecord record;
    record.fillForDownload(doc, task(), false, u"/out"_s, false);
    return record;
}

} // namespace

TEST(AsyncDocRecordTest, ANewRecordIsEmpty)
{
    const AsyncDocRecord record;
    EXPECT_FALSE(record.DiadocDocument);
    EXPECT_FALSE(record.AsyncResultContentDoc);
    EXPECT_EQ(record.State, 0);
    EXPECT_FALSE(record.IsDeleted);
    EXPECT_FALSE(record.WithProtocol);
    EXPECT_FALSE(record.LoadContentByZip);
    EXPECT_TRUE(record.Counteragent.isEmpty());
    EXPECT_TRUE(record.ErrorDescription.isEmpty());
}

TEST(AsyncDocRecordTest, DepartmentOnlyFromADepartmentObject)
{
    const struct
    {
        const char* what;
        Variant department;
        QString name;
        QString id;
    } cases[] = {
        {"a department", Variant(std::make_shared<FakeDepartment>(u"dep-1"_s, u"Филиал «Север»"_s)),
         u"Филиал «Север»"_s, u"dep-1"_s},
        {"Nothing", Variant::nothing(), {}, {}},
        {"Null", Variant::null(), {}, {}},
        {"a text", Variant(u"dep-1"_s), {}, {}},
        {"another object", Variant(std::make_shared<FakeStatus>()), {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto doc = plainDocument();
        doc->department = c.department;
        const AsyncDocRecord record = queued(doc);
        EXPECT_EQ(record.DepartmentName, c.name);
        EXPECT_EQ(record.DepartmentId, c.id);
    }
}

TEST(AsyncDocRecordTest, DatesAsTextsOnlyWhenTheDocumentHasThem)
{
    const struct
    {
        const char* what;
        Variant timestamp;
        const char16_t* status;
        Variant documentDate;
        QString expectedTimestamp;
        QString expectedDate;
    } cases[] = {
        {"an afternoon sending", Variant(QDateTime(QDate(2026, 12, 9), QTime(14, 5, 7))),
         u"InboundWithRecipientSignature", Variant(QDateTime(QDate(2026, 12, 1), QTime(0, 0))),
         u"09.12.2026 14:05:07"_s, u"01.12.2026"_s},
        {"a morning sending and a date text", Variant(QDateTime(QDate(2024, 3, 5), QTime(9, 0))),
         u"InboundWithRecipientSignature", Variant(u"01.03.2024"_s), u"05.03.2024 09:00:00"_s, u"01.03.2024"_s},
        {"no document date",
         Variant(QDateTime(QDate(2024, 3, 5), QTime(9, 0))),
         u"InboundWithRecipientSignature",
         Variant(u""_s),
         u"05.03.2024 09:00:00"_s,
         {}},
        {"a timestamp of day 0",
         Variant(QDateTime(QDate(1899, 12, 30), QTime(0, 0))),
         u"InboundWithRecipientSignature",
         Variant(u""_s),
         {},
         {}},
        {"no timestamp at all", Variant(), u"InboundWithRecipientSignature", Variant::null(), {}, {}},
        {"never sent: the marker",
         Variant(QDateTime(QDate(2024, 3, 5), QTime(9, 0))),
         u"OutboundWaitingForSenderSignature",
         Variant(QDateTime(QDate(1899, 12, 30), QTime(0, 0))),
         u"30.11.1999 00:00:00"_s,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto doc = plainDocument();
        doc->timestamp = c.timestamp;
        doc->status = QString::fromUtf16(c.status);
        doc->documentDate = c.documentDate;
        const AsyncDocRecord record = queued(doc);
        EXPECT_EQ(record.Timestamp, c.expectedTimestamp);
        EXPECT_EQ(record.DocumentDate, c.expectedDate);
    }
}

TEST(AsyncDocRecordTest, DocumentNameLosesOuterBlanksOnly)
{
    const struct
    {
        QString title;
        QString name;
    } cases[] = {
        {u"  Счёт  № 5 от 01.03.2024   "_s, u"Счёт  № 5 от 01.03.2024"_s},
        {u"\tАкт \t"_s, u"\tАкт \t"_s},
        {u"Раи\u0306он е\u0308лок "_s, u"Район ёлок"_s},
        {u"   "_s, u""_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        const auto doc = plainDocument();
        doc->title = c.title;
        EXPECT_EQ(queued(doc).DocumentName, c.name);
    }
}

TEST(AsyncDocRecordTest, CounteragentJoinsPartyAndName)
{
    auto doc = plainDocument();
    EXPECT_EQ(queued(doc).Counteragent, u"7707083893-773601001 | ПАО «Банк»"_s);
    doc->counteragent = Variant(std::make_shared<FakeParty>(u"500100732259"_s, u""_s, u"ИП Смирнова"_s));
    EXPECT_EQ(queued(doc).Counteragent, u"500100732259 | ИП Смирнова"_s);
    doc->counteragent = Variant::null();
    EXPECT_EQ(queued(doc).Counteragent, u" | "_s);
}

TEST(AsyncDocRecordTest, AnIgnoredDocumentCarriesTheReasonAndNoFolders)
{
    const auto doc = plainDocument();
    doc->senderSignatureStatus = u"SenderSignatureCheckedAndValid"_s;
    doc->deleted = true;
    AsyncDocRecord record;
    record.Path = u"/stale"_s;
    record.fillAsIgnored(*doc, task(), u"Документ удалён"_s);
    EXPECT_FALSE(record.DiadocDocument);
    EXPECT_TRUE(record.Path.isEmpty());
    EXPECT_TRUE(record.PathForDownload.isEmpty());
    EXPECT_FALSE(record.WithProtocol);
    EXPECT_FALSE(record.LoadContentByZip);
    EXPECT_EQ(record.State, 0);
    EXPECT_EQ(record.ErrorDescription, u"Документ удалён"_s);
    EXPECT_TRUE(record.ErrorNumber.isEmpty());
    EXPECT_TRUE(record.ErrorSource.isEmpty());
    EXPECT_TRUE(record.ErrorPlace.isEmpty());
    EXPECT_TRUE(record.LastErrorDescription.isEmpty());
    EXPECT_EQ(record.KeyОрганизацииВКоллекции, u"ORG-7701234567"_s);
    EXPECT_EQ(record.Counteragent, u"7707083893-773601001 | ПАО «Банк»"_s);
    EXPECT_EQ(record.SenderSignatureStatus, u"SenderSignatureCheckedAndValid"_s) << "the protocols show it";
    EXPECT_TRUE(record.IsDeleted);
}

TEST(AsyncDocRecordTest, ContentZipFileLiesInTheDownloadFolder)
{
    AsyncDocRecord record;
    record.PathForDownload = u"/home/buh/Out/Doc1"_s;
    EXPECT_EQ(record.ContentZipFile(), u"/home/buh/Out/Doc1/content.zip"_s);
}

TEST(AsyncDocRecordTest, ADocumentWithoutDocflowStatusIsAnErrorWithThePlace)
{
    const auto doc = plainDocument();
    doc->docflow = nullptr;
    AsyncDocRecord record;
    try {
        record.fillForDownload(doc, task(), false, u"/out"_s, false);
        FAIL() << "the missing status must be reported";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 91);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::AsyncDocRecord.fillForDownload]"_s))
            << e.description().toStdString();
    }
    EXPECT_THROW(record.fillForDownload(nullptr, task(), false, u"/out"_s, false), core::Error);
}

TEST(AsyncDocRecordTest, ReleasingTheRecordDropsBothReferences)
{
    auto doc = plainDocument();
    auto operation = std::make_shared<NeverDone>();
    const std::weak_ptr<FakeDocument> watchDoc = doc;
    const std::weak_ptr<NeverDone> watchOperation = operation;
    auto record = std::make_shared<AsyncDocRecord>();
    record->fillForDownload(doc, task(), false, u"/out"_s, false);
    record->AsyncResultContentDoc = std::move(operation);
    doc.reset();
    EXPECT_FALSE(watchDoc.expired());
    record.reset();
    EXPECT_TRUE(watchDoc.expired());
    EXPECT_TRUE(watchOperation.expired());
}

TEST(AsyncDocRecordSampleTest, AQueuedSampleDocumentFillsEveryField)
{
    qint64 nowMs = 0;
    SandboxClientFactory factory{[&nowMs] { return nowMs; }};
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    options.Set_DiadocServerURL(QUrl::fromLocalFile(QStringLiteral(FETCHLING_SAMPLE_SANDBOX)).toString());
    options.Set_TypeDiadocAccount(1);
    options.Set_Login(u"buh@romashka.ru"_s);
    options.Set_Password(u"Ромашка2024"_s);
    QString error;
    const auto connection = diadoc::mDiadoc(factory, options).GetConnectionDiadocAPIEx(QString(), error);
    ASSERT_TRUE(connection) << error.toStdString();
    const auto documentsTask = connection->GetOrganizationList()->itemAs<DiadocOrganization>(0)->GetDocumentsTask();
    documentsTask->setCategory(u"UniversalTransferDocument.Outbound"_s);
    const auto list = documentsTask->GetDocuments();
    const QString id = u"2f372dc0-d0c0-4594-8b31-88bb570a639647a50d34-8c0e-4525-8a5e-afa501dec654"_s;
    std::shared_ptr<DiadocDocument> doc;
    for (int i = 0; i < list->Count() && !doc; ++i) {
        if (list->itemAs<DiadocDocument>(i)->DocumentId() == id)
            doc = list->itemAs<DiadocDocument>(i);
    }
    ASSERT_TRUE(doc);

    AsyncDocRecord record;
    record.LastErrorDescription = u"left from before"_s;
    record.fillForDownload(doc, task(), true, u"/out/ООО Ромашка/2024/08"_s, true);

    const std::pair<QString, QString> texts[] = {
        {record.KeyОрганизацииВКоллекции, u"ORG-7701234567"_s},
        {record.TypeNamedId, u"UniversalTransferDocument"_s},
        {record.OrganizationId, u"box-romashka"_s},
        {record.Counteragent, u"6658012345-665801001 | ООО «Уральский склад»"_s},
        {record.DocumentId, id},
        {record.Direction, u"Outbound"_s},
        {record.DepartmentName, u"Филиал «Север»"_s},
        {record.DepartmentId, u"dep-sever"_s},
        {record.Timestamp, u"13.08.2024 16:12:39"_s},
        {record.DocumentDate, u"11.08.2024"_s},
        {record.DocumentNumber, u"1001"_s},
        {record.DocumentName, u"УПД № 1001 от 11.08.2024"_s},
        {record.FileName, u"УПД.xml"_s},
        {record.PathURL, u"/box-romashka/Document/Show?letterId=2f372dc0-d0c0-4594-8b31-88bb570a6396"
                         u"&documentId=47a50d34-8c0e-4525-8a5e-afa501dec654"_s},
        {record.PackageId, u"65ee466a-e903-44e5-8c11-7097404a7f89"_s},
        {record.Status, u"OutboundWithRecipientSignature"_s},
        {record.RevocationStatus, u"RevocationAccepted"_s},
        {record.SenderSignatureStatus, u"UnknownSenderSignatureStatus"_s},
        {record.RecipientResponseStatus, u"RecipientResponseStatusUnknown"_s},
        {record.RoamingNotificationStatus, u"RoamingNotificationStatusNone"_s},
        {record.RoamingNotificationStatusDescription, u""_s},
        {record.DocflowStatus_PrimaryStatus_Severity, u"Success"_s},
        {record.DocflowStatus_PrimaryStatus_Text, u"Документооборот завершен"_s},
        {record.Path, u"/out/ООО Ромашка/2024/08"_s},
        {record.PathForDownload, u""_s},
        {record.ErrorNumber, u""_s},
        {record.ErrorDescription, u""_s},
        {record.ErrorSource, u""_s},
        {record.ErrorPlace, u""_s},
        {record.LastErrorDescription, u""_s},
    };
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        SCOPED_TRACE("text field " + std::to_string(i + 1));
        EXPECT_EQ(texts[i].first, texts[i].second);
    }
    EXPECT_EQ(record.DiadocDocument, doc);
    EXPECT_FALSE(record.IsDeleted);
    EXPECT_TRUE(record.WithProtocol);
    EXPECT_TRUE(record.LoadContentByZip);
    EXPECT_FALSE(record.AsyncResultContentDoc);
    EXPECT_EQ(record.State, 0);
    EXPECT_EQ(record.ContentZipFile(), u"/content.zip"_s);
}
