#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include "SandboxFixture.h"
#include "base/Error.h"
#include "platform/diadoc/DiadocAttachedPowerOfAttorney.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocDocumentType.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/SandboxLoader.h"
#include "platform/diadoc/SandboxMeter.h"
#include "platform/diadoc/SandboxService.h"
#include "support/SmallDisk.h"

using namespace Qt::StringLiterals;
using namespace platform::diadoc;

namespace {

QString errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const core::Error& e) {
        return e.description();
    }
    return u"(no error)"_s;
}

class SandboxClientTest : public ::testing::Test
{
protected:
    std::shared_ptr<DiadocClient> client(const QString& key = u"my-key"_s)
    {
        auto c = sandbox.factory.create();
        c->setApiClientId(key);
        c->setServerUrl(sandbox.url());
        return c;
    }

    std::shared_ptr<DiadocOrganization> organization(int index = 0)
    {
        const auto connection = client()->CreateConnectionByLogin(u"buh@romashka.ru"_s, u"секрет"_s);
        return connection->GetOrganizationList()->itemAs<DiadocOrganization>(index);
    }

    QStringList ids(const std::shared_ptr<DiadocList>& list)
    {
        QStringList result;
        for (int i = 0; i < list->Count(); ++i)
            result.append(list->itemAs<DiadocDocument>(i)->DocumentId().right(1));
        return result;
    }

    void addFault(const QString& operation, FaultEffect effect, const QString& text = {})
    {
        FaultRule rule;
        rule.operation = operation;
        rule.effect = effect;
        rule.text = text;
        sandbox.factory.service(sandbox.url())->addFault(rule);
    }

    testsupport::SandboxFixture sandbox;
};

TEST_F(SandboxClientTest, SignsInByLoginAndListsOrganisations)
{
    const auto connection = client()->CreateConnectionByLogin(u"BUH@romashka.ru"_s, u"секрет"_s);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(connection->Certificate());
    const auto orgs = connection->GetOrganizationList();
    ASSERT_EQ(orgs->Count(), 2);
    const auto org = orgs->itemAs<DiadocOrganization>(0);
    EXPECT_EQ(org->Name(), u"ООО «Ромашка»"_s);
    EXPECT_EQ(org->Inn(), u"7701234567"_s);
    EXPECT_EQ(org->Guid(), u"6d1c3f0e-0000-4000-8000-000000000001"_s);
}

TEST_F(SandboxClientTest, SignInRefusalsGiveTheServiceTexts)
{
    EXPECT_EQ(errorOf([&] { client()->CreateConnectionByLogin(u"buh@romashka.ru"_s, u"wrong"_s); }),
              u"##100[Ошибка сервера Диадок]code:401, HTTP error: Wrong password provided for login buh@romashka.ru"_s);
    EXPECT_EQ(errorOf([&] { client(u"bad-key"_s)->CreateConnectionByLogin(u"buh@romashka.ru"_s, u"секрет"_s); }),
              u"##100[Ошибка сервера Диадок]code:401, HTTP error: Invalid API client id"_s);
    EXPECT_TRUE(errorOf([&] { client()->CreateConnectionByCertificate(u"FF00"_s, {}); }).endsWith(u"FF00"_s));
}

TEST_F(SandboxClientTest, SignsInByCertificate)
{
    const auto connection = client()->CreateConnectionByCertificate(u"aa11"_s, {});
    ASSERT_TRUE(connection && connection->Certificate());
    EXPECT_EQ(connection->Certificate()->Name(), u"Иванов Иван Иванович"_s);
    EXPECT_EQ(connection->Certificate()->EndDate(), QDateTime(QDate(2025, 4, 15), QTime(23, 59, 59)));
    // A certificate that no account knows is refused.
    EXPECT_TRUE(errorOf([&] { client()->CreateConnectionByCertificate(u"BB22"_s, {}); }).startsWith(u"##100"_s));
}

TEST_F(SandboxClientTest, PersonalCertificatesKeepAnUnknownQualificationEmpty)
{
    const auto certs = client()->GetPersonalCertificates();
    ASSERT_EQ(certs->Count(), 2);
    EXPECT_TRUE(certs->itemAs<DiadocCertificate>(0)->IsQualifiedElectronicSignature().toBool());
    EXPECT_TRUE(certs->itemAs<DiadocCertificate>(1)->IsQualifiedElectronicSignature().isEmpty());
}

TEST_F(SandboxClientTest, AnAddressThatIsNoSandboxFailsToConnect)
{
    auto c = client();
    for (const QString& url : {u"https://diadoc-api.kontur.ru:443"_s, u"file:///no/such/folder"_s, QString()}) {
        SCOPED_TRACE(url.toStdString());
        c->setServerUrl(url);
        EXPECT_EQ(errorOf([&] { c->CreateConnectionByLogin(u"buh@romashka.ru"_s, u"секрет"_s); }),
                  QString::fromUtf16(sandboxtext::kNoConnection));
        const auto probe = c->TestConnection2();
        EXPECT_FALSE(probe->ConnectionSuccess().toBool());
        EXPECT_EQ(probe->ErrorText(), QString::fromUtf16(sandboxtext::kNoConnection));
    }
    c->setServerUrl(sandbox.folder());
    EXPECT_TRUE(c->TestConnection2()->ConnectionSuccess().toBool());
}

TEST_F(SandboxClientTest, AFailingFactoryStandsForAnUnregisteredLibrary)
{
    sandbox.factory.failCreation();
    try {
        sandbox.factory.create();
        FAIL();
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_EQ(e.description(), u"ActiveX component can't create object"_s);
    }
}

TEST_F(SandboxClientTest, DepartmentsFormATree)
{
    const auto deps = organization()->Departments();
    ASSERT_EQ(deps->Count(), 1);
    const auto north = deps->itemAs<DiadocDepartment>(0);
    EXPECT_EQ(north->Name(), u"Филиал Север"_s);
    ASSERT_EQ(north->Subdepartments()->Count(), 1);
    EXPECT_EQ(north->Subdepartments()->itemAs<DiadocDepartment>(0)->id(), u"dep-1-1"_s);
    EXPECT_EQ(organization(1)->Departments()->Count(), 0);
}

TEST_F(SandboxClientTest, DocumentTypesOrTheTariffRefusal)
{
    const auto types = organization()->GetDocumentTypes();
    ASSERT_EQ(types->Count(), 2);
    EXPECT_EQ(types->itemAs<DiadocDocumentType>(1)->Title(), u"Счет-фактура"_s);
    EXPECT_EQ(errorOf([&] { organization(1)->GetDocumentTypes(); }),
              u"##100[Ошибка сервера Диадок]code:402, HTTP error: Доступ запрещён. Необходима оплата тарифа АПИ"_s);
}

TEST_F(SandboxClientTest, ListsFilterByCategoryDepartmentAndDates)
{
    struct Case
    {
        const char* name;
        QString category;
        QString department;
        bool exclude;
        QDateTime fromSend, toSend, fromDoc, toDoc;
        QStringList expected;
    };
    const QDateTime none;
    const Case cases[] = {
        {"all inbound of every department",
         u"Any.Inbound"_s,
         {},
         false,
         none,
         none,
         none,
         none,
         {u"2"_s, u"4"_s, u"1"_s, u"5"_s}},
        {"head department only", u"Any.Inbound"_s, {}, true, none, none, none, none, {u"2"_s, u"1"_s}},
        {"one type", u"Invoice.Inbound"_s, {}, true, none, none, none, none, {u"2"_s}},
        {"outbound", u"Nonformalized.Outbound"_s, {}, true, none, none, none, none, {u"3"_s}},
        {"department with its subdepartments",
         u"Any.Inbound"_s,
         u"dep-1"_s,
         false,
         none,
         none,
         none,
         none,
         {u"4"_s, u"5"_s}},
        {"department alone", u"Any.Inbound"_s, u"dep-1"_s, true, none, none, none, none, {u"4"_s}},
        {"send dates",
         u"Any.Inbound"_s,
         {},
         false,
         QDateTime(QDate(2024, 3, 4), QTime(0, 0)),
         QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59)),
         none,
         none,
         {u"4"_s, u"1"_s}},
        {"document dates",
         u"Any.Inbound"_s,
         {},
         false,
         none,
         none,
         QDateTime(QDate(2024, 2, 28), QTime(0, 0)),
         QDateTime(QDate(2024, 3, 1), QTime(0, 0)),
         {u"2"_s, u"1"_s}},
        {"document dates come in list order, not by date",
         u"Any.Inbound"_s,
         {},
         false,
         none,
         none,
         QDateTime(QDate(2024, 2, 28), QTime(0, 0)),
         QDateTime(QDate(2024, 3, 4), QTime(0, 0)),
         {u"2"_s, u"4"_s, u"1"_s}},
        {"document and send dates together",
         u"Any.Inbound"_s,
         {},
         false,
         QDateTime(QDate(2024, 3, 3), QTime(0, 0)),
         QDateTime(QDate(2024, 3, 5), QTime(9, 0)),
         QDateTime(QDate(2024, 2, 28), QTime(0, 0)),
         QDateTime(QDate(2024, 3, 6), QTime(0, 0)),
         {u"4"_s}},
        {"zero dates are no bounds",
         u"Any.Inbound"_s,
         {},
         true,
         none,
         none,
         QDateTime(QDate(1899, 12, 30), QTime(0, 0)),
         QDateTime(QDate(1899, 12, 30), QTime(0, 0)),
         {u"2"_s, u"1"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto task = organization()->GetDocumentsTask();
        task->setCategory(c.category);
        task->setDepartmentId(c.department);
        task->setExcludeSubdepartments(c.exclude);
        task->setFromSendDate(c.fromSend);
        task->setToSendDate(c.toSend);
        task->setFromDocumentDate(c.fromDoc);
        task->setToDocumentDate(c.toDoc);
        EXPECT_EQ(ids(task->GetDocuments()), c.expected);
    }
}

TEST_F(SandboxClientTest, ListsFilterByStatusInListOrder)
{
    // Documents 4 and 2 await a signature; the others are signed.
    QJsonArray docs = sandbox.json.value(u"documents"_s).toArray();
    for (const int index : {1, 3}) {
        QJsonObject d = docs.at(index).toObject();
        d[u"status"_s] = u"InboundWaitingForRecipientSignature"_s;
        docs.replace(index, d);
    }
    sandbox.json[u"documents"_s] = docs;
    sandbox.write();
    const struct
    {
        QString category;
        QStringList expected;
    } cases[] = {
        {u"Any.Inbound WaitingForRecipientSignature"_s, {u"2"_s, u"4"_s}},
        {u"Any.Inbound WithRecipientSignature"_s, {u"1"_s, u"5"_s}},
        {u"Nonformalized.Inbound WaitingForRecipientSignature"_s, {u"4"_s}},
        {u"Invoice.Inbound WithRecipientSignature"_s, {}},
        {u"Any.Inbound Unknown"_s, {}},
        {u"Any.Outbound WaitingForRecipientSignature"_s, {}},
        {u"Any.Outbound WithRecipientSignature"_s, {u"3"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.category.toStdString());
        const auto task = organization()->GetDocumentsTask();
        task->setCategory(c.category);
        EXPECT_EQ(ids(task->GetDocuments()), c.expected);
    }
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Any.Inbound WithRecipientSignature"_s);
    task->setFromSendDate(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 1)));
    EXPECT_EQ(ids(task->GetDocuments()), QStringList{u"5"_s});
}

TEST_F(SandboxClientTest, TopHundredKeepsTheFirstHundredByTime)
{
    QJsonArray docs = sandbox.json.value(u"documents"_s).toArray();
    const QJsonObject model = docs.at(0).toObject();
    for (int i = 0; i < 150; ++i) {
        QJsonObject d = model;
        d[u"id"_s] = testsupport::SandboxFixture::documentId(100 + i);
        d[u"timestamp"_s] = QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(3600 * (149 - i)).toString(Qt::ISODate);
        docs.append(d);
    }
    sandbox.json[u"documents"_s] = docs;
    sandbox.write();
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Nonformalized.Inbound"_s);
    task->setTop100(true);
    const auto list = task->GetDocuments();
    ASSERT_EQ(list->Count(), 100);
    EXPECT_EQ(list->itemAs<DiadocDocument>(0)->DocumentId(), testsupport::SandboxFixture::documentId(249));
    task->setTop100(false);
    EXPECT_EQ(task->GetDocuments()->Count(), 153);
}

// Send bounds take their first and last second, and a moment compares as its clock reads: a text
// written with an offset is not moved into this machine's zone, whatever that zone is.
TEST_F(SandboxClientTest, SendBoundsAreInclusiveAndIndependentOfTheZone)
{
    const QStringList moments{u"2024-03-03T23:59:59"_s,       u"2024-03-04T00:00:00"_s,
                              u"2024-03-04T10:18:33"_s,       u"2024-03-05T23:59:59"_s,
                              u"2024-03-06T00:00:00"_s,       u"2024-03-04T00:30:00+03:00"_s,
                              u"2024-03-05T23:30:00-05:00"_s, u"2024-03-06T00:30:00+03:00"_s};
    QJsonArray docs;
    const QJsonObject model = sandbox.json.value(u"documents"_s).toArray().at(0).toObject();
    for (qsizetype i = 0; i < moments.size(); ++i) {
        QJsonObject d = model;
        d[u"id"_s] = testsupport::SandboxFixture::documentId(200 + static_cast<int>(i));
        d[u"type"_s] = u"Invoice"_s;
        d[u"timestamp"_s] = moments.at(i);
        docs.append(d);
    }
    sandbox.json[u"documents"_s] = docs;
    sandbox.write();
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Invoice.Inbound"_s);
    task->setFromSendDate(QDateTime(QDate(2024, 3, 4), QTime(0, 0)));
    task->setToSendDate(QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59)));
    // Listed in the order of their clocks; ids ends with the moment's position in the table.
    EXPECT_EQ(ids(task->GetDocuments()), (QStringList{u"1"_s, u"5"_s, u"2"_s, u"6"_s, u"3"_s}));
}

TEST_F(SandboxClientTest, AnUnknownTypeIsRefusedAsInvalidDocumentTypes)
{
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"ReturnInventory.Inbound"_s);
    const auto async = task->GetDocumentsAsync();
    ASSERT_TRUE(async->IsCompleted());
    EXPECT_EQ(errorOf([&] { async->Result(); }), u"COM1C.HTTP_ERROR[0x00000190]code 400: Document types are invalid"_s);
}

TEST_F(SandboxClientTest, AsyncListCompletesAfterPollsAndDelayInVirtualTime)
{
    sandbox.json[u"listAsync"_s] = QJsonObject{{u"polls"_s, 3}, {u"delayMs"_s, 1000}};
    sandbox.write();
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Any.Inbound"_s);
    const auto async = task->GetDocumentsAsync();
    EXPECT_FALSE(async->IsCompleted());
    EXPECT_FALSE(async->IsCompleted());
    EXPECT_FALSE(async->IsCompleted()); // third poll, but the delay has not passed
    sandbox.nowMs = 1000;
    ASSERT_TRUE(async->IsCompleted());
    const Variant result = async->Result();
    ASSERT_TRUE(result.holdsObject());
    EXPECT_EQ(result.as<DiadocList>()->Count(), 4);
}

TEST_F(SandboxClientTest, MeterTellsHowLongListsWereBusyAndHeld)
{
    sandbox.json[u"listAsync"_s] = QJsonObject{{u"polls"_s, 0}, {u"delayMs"_s, 20}};
    sandbox.write();
    const auto service = sandbox.factory.service(sandbox.url());
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Any.Inbound"_s);
    const auto first = task->GetDocumentsAsync();
    sandbox.nowMs = 10;
    const auto second = task->GetDocumentsAsync();
    sandbox.nowMs = 50; // both finished at the service long ago; the program looks only now
    ASSERT_TRUE(first->IsCompleted());
    ASSERT_TRUE(second->IsCompleted());
    const platform::diadoc::SandboxMeter::Activity& lists =
        service->meter().activity(platform::diadoc::SandboxMeter::Operation::List);
    EXPECT_EQ(lists.count, 2);
    EXPECT_EQ(lists.busyMs, 40);      // 0..20 and 10..30
    EXPECT_EQ(lists.heldMs, 50 + 40); // 0..50 and 10..50
    EXPECT_DOUBLE_EQ(lists.averageBusy(), 40.0 / 30.0);
    EXPECT_DOUBLE_EQ(lists.averageHeld(), 90.0 / 50.0);
    EXPECT_EQ(service->meter().activity(platform::diadoc::SandboxMeter::Operation::Content).count, 0);
}

TEST_F(SandboxClientTest, ContentIsSavedIntoAFolderOrOneArchive)
{
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Invoice.Inbound"_s);
    const auto doc = task->GetDocuments()->itemAs<DiadocDocument>(0);
    QTemporaryDir out;
    const auto save = doc->SaveAllContentAsync(out.path(), true);
    while (!save->IsCompleted()) {
    }
    EXPECT_TRUE(save->Result().toBool());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{u"Акт.xml"_s, u"Протокол.pdf"_s, u"Счёт.pdf"_s}));

    const QString zipPath = out.filePath(u"z/content.zip"_s);
    const auto missing = doc->SaveAllContentZipAsync(zipPath);
    ASSERT_TRUE(missing->IsCompleted());
    EXPECT_EQ(errorOf([&] { missing->Result(); }), u"WIN32[0x00000003]The system cannot find the path specified."_s);
    QDir(out.path()).mkdir(u"z"_s);
    const auto zipped = doc->SaveAllContentZipAsync(zipPath);
    ASSERT_TRUE(zipped->IsCompleted());
    EXPECT_TRUE(zipped->Result().toBool());
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &error);
    ASSERT_TRUE(archive);
    ASSERT_EQ(zip_get_num_entries(archive, 0), 2);
    EXPECT_EQ(QString::fromUtf8(zip_get_name(archive, 0, 0)), u"Счёт.pdf"_s);
    zip_stat_t entry;
    ASSERT_EQ(zip_stat_index(archive, 1, 0, &entry), 0);
    EXPECT_LE(std::abs(entry.mtime - std::time(nullptr)), 5) << "the entries bear the moment of the save";
    zip_close(archive);
}

TEST_F(SandboxClientTest, AContentFileThatCannotBeReadFailsTheSaveAndAFileReadOnceIsKept)
{
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Invoice.Inbound"_s);
    const auto doc = task->GetDocuments()->itemAs<DiadocDocument>(0);
    QTemporaryDir out;
    const QString act = QDir(sandbox.folder()).filePath(u"content/Акт.xml"_s);
    ASSERT_TRUE(QFile::rename(act, act + u".away"_s));
    const auto refused = doc->SaveAllContentZipAsync(out.filePath(u"content.zip"_s));
    ASSERT_TRUE(refused->IsCompleted());
    EXPECT_EQ(errorOf([&] { refused->Result(); }), QString::fromUtf16(sandboxtext::kCannotOpenFile));
    EXPECT_TRUE(QDir(out.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << "a failed save leaves no file";

    ASSERT_TRUE(QFile::rename(act + u".away"_s, act));
    const auto first = doc->SaveAllContentAsync(out.path(), false);
    ASSERT_TRUE(first->IsCompleted());
    EXPECT_TRUE(first->Result().toBool());
    // The content belongs to the sandbox as its data does: once read, it is what the service sends.
    ASSERT_TRUE(QFile::remove(act));
    QTemporaryDir again;
    const auto second = doc->SaveAllContentAsync(again.path(), false);
    ASSERT_TRUE(second->IsCompleted());
    EXPECT_TRUE(second->Result().toBool());
    QFile copy(again.filePath(u"Акт.xml"_s));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArrayLiteral("<act/>"));
}

TEST_F(SandboxClientTest, FaultRulesRaiseTheExactTexts)
{
    const QString texts[] = {
        u"##100[Ошибка сервера Диадок]code:401, HTTP error: Invalid API client id"_s,
        u"COM1C.HTTP_ERROR[0x00000190]code 400: Document types are invalid"_s,
        u"bad allocation"_s,
        u"WIN32[0x00000005]Access is denied."_s,
        u"##100[Ошибка сервера Диадок]code:404, HTTP error: Unknown box: box-1"_s,
        u"COM1C.HTTP_ERROR[0x00000199]code 409: Generating print form for this type of document is not supported"_s,
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        sandbox.factory.service(sandbox.url())->clearFaults();
        addFault(u"GetDocumentsResult"_s, FaultEffect::Error, text);
        addFault(u"SaveContentResult"_s, FaultEffect::Error, text);
        const auto task = organization()->GetDocumentsTask();
        task->setCategory(u"Any.Inbound"_s);
        const auto async = task->GetDocumentsAsync();
        ASSERT_TRUE(async->IsCompleted());
        EXPECT_EQ(errorOf([&] { async->Result(); }), text);
        task->setCategory(u"Invoice.Inbound"_s);
        const auto save = task->GetDocuments()->itemAs<DiadocDocument>(0)->SaveAllContentAsync(sandbox.folder(), false);
        ASSERT_TRUE(save->IsCompleted());
        EXPECT_EQ(errorOf([&] { save->Result(); }), text);
    }
}

TEST_F(SandboxClientTest, FaultRulesMatchByOrganisationTypeAndAttempt)
{
    FaultRule rule;
    rule.operation = u"GetDocumentsAsync"_s;
    rule.organization = u"7701234567"_s;
    rule.type = u"Invoice"_s;
    rule.attempt = 2;
    rule.text = u"bad allocation"_s;
    sandbox.factory.service(sandbox.url())->addFault(rule);
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Nonformalized.Inbound"_s);
    EXPECT_TRUE(task->GetDocumentsAsync());
    task->setCategory(u"Invoice.Inbound"_s);
    EXPECT_TRUE(task->GetDocumentsAsync());                                      // attempt 1
    EXPECT_EQ(errorOf([&] { task->GetDocumentsAsync(); }), u"bad allocation"_s); // attempt 2
    EXPECT_TRUE(task->GetDocumentsAsync());                                      // attempt 3
}

TEST_F(SandboxClientTest, FaultEffectsOnResults)
{
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Invoice.Inbound"_s);
    const auto doc = task->GetDocuments()->itemAs<DiadocDocument>(0);
    QTemporaryDir out;

    addFault(u"SaveAllContentAsync"_s, FaultEffect::Nothing);
    EXPECT_FALSE(doc->SaveAllContentAsync(out.path(), false));
    sandbox.factory.service(sandbox.url())->clearFaults();

    FaultRule value;
    value.operation = u"SaveContentResult"_s;
    value.effect = FaultEffect::Value;
    value.value = Variant(3.0);
    value.attempt = 1;
    sandbox.factory.service(sandbox.url())->addFault(value);
    auto save = doc->SaveAllContentAsync(out.path(), false);
    ASSERT_TRUE(save->IsCompleted());
    EXPECT_TRUE(save->Result().isNumber());

    addFault(u"SaveContentResult"_s, FaultEffect::False);
    save = doc->SaveAllContentAsync(out.path(), false);
    ASSERT_TRUE(save->IsCompleted());
    EXPECT_TRUE(save->Result().isBoolean());
    EXPECT_FALSE(save->Result().toBool());
    sandbox.factory.service(sandbox.url())->clearFaults();

    addFault(u"SaveContentResult"_s, FaultEffect::NoFiles);
    save = doc->SaveAllContentAsync(out.path(), false);
    ASSERT_TRUE(save->IsCompleted());
    EXPECT_TRUE(save->Result().toBool());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    sandbox.factory.service(sandbox.url())->clearFaults();

    addFault(u"SaveContentResult"_s, FaultEffect::Never);
    save = doc->SaveAllContentAsync(out.path(), false);
    for (int i = 0; i < 50; ++i)
        EXPECT_FALSE(save->IsCompleted());
    sandbox.nowMs += 1000000;
    EXPECT_FALSE(save->IsCompleted());
}

TEST_F(SandboxClientTest, EmptyRuleEmptiesTheListsItNames)
{
    const auto connection = client()->CreateConnectionByLogin(u"buh@romashka.ru"_s, u"секрет"_s);
    const auto org = connection->GetOrganizationList()->itemAs<DiadocOrganization>(0);
    const auto task = org->GetDocumentsTask();
    task->setCategory(u"Any.Inbound"_s);
    ASSERT_GT(task->GetDocuments()->Count(), 0);
    ASSERT_GT(org->GetDocumentTypes()->Count(), 0);

    for (const QString& operation :
         {u"GetPersonalCertificates"_s, u"GetOrganizationList"_s, u"GetDocumentTypes"_s, u"GetDocuments"_s})
        addFault(operation, FaultEffect::Empty);
    EXPECT_EQ(client()->GetPersonalCertificates()->Count(), 0);
    EXPECT_EQ(connection->GetOrganizationList()->Count(), 0);
    EXPECT_EQ(org->GetDocumentTypes()->Count(), 0);
    EXPECT_EQ(task->GetDocuments()->Count(), 0);
    task->setCategory(u"Any.Outbound"_s);
    EXPECT_EQ(task->GetDocuments()->Count(), 0);
    EXPECT_EQ(
        SandboxLoader::faultFromJson({{u"operation"_s, u"GetDocuments"_s}, {u"effect"_s, u"empty"_s}}, u"x"_s).effect,
        FaultEffect::Empty);
}

TEST_F(SandboxClientTest, DamagedArchives)
{
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Invoice.Inbound"_s);
    const auto doc = task->GetDocuments()->itemAs<DiadocDocument>(0);
    for (const FaultEffect effect : {FaultEffect::Corrupt, FaultEffect::Truncated, FaultEffect::Hostile}) {
        QTemporaryDir out;
        const QString zipPath = out.filePath(u"content.zip"_s);
        sandbox.factory.service(sandbox.url())->clearFaults();
        addFault(u"SaveContentResult"_s, effect);
        const auto save = doc->SaveAllContentZipAsync(zipPath);
        ASSERT_TRUE(save->IsCompleted());
        EXPECT_TRUE(save->Result().toBool());
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
        if (effect == FaultEffect::Hostile) {
            ASSERT_TRUE(archive);
            EXPECT_EQ(zip_get_num_entries(archive, 0), 5);
            EXPECT_EQ(QString::fromUtf8(zip_get_name(archive, 2, 0)), u"../вне папки.txt"_s);
            zip_close(archive);
        } else {
            EXPECT_FALSE(archive);
            if (archive)
                zip_close(archive);
        }
        // Nothing of the sandbox's own folder was touched outside the target.
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{u"content.zip"_s});
    }
}

TEST_F(SandboxClientTest, DocumentFieldsKeepNothingNullAndValuesApart)
{
    QJsonArray docs = sandbox.json.value(u"documents"_s).toArray();
    QJsonObject internal = docs.at(0).toObject();
    internal[u"id"_s] = testsupport::SandboxFixture::documentId(7);
    internal[u"direction"_s] = u"Internal"_s;
    internal[u"counteragent"_s] = QJsonValue::Null;
    internal[u"fromDepartment"_s] = u"dep-1"_s;
    internal[u"packageId"_s] = u"pkg-1"_s;
    internal[u"metadata"_s] = QJsonArray{QJsonObject{{u"key"_s, u"Сумма"_s}, {u"value"_s, u"1 000,00"_s}}};
    internal[u"powersOfAttorney"_s] =
        QJsonArray{QJsonObject{{u"registrationNumber"_s, u"R-1"_s}, {u"issuerInn"_s, u"7701234567"_s}}};
    docs.append(internal);
    QJsonObject sibling = internal;
    sibling[u"id"_s] = testsupport::SandboxFixture::documentId(8);
    docs.append(sibling);
    sandbox.json[u"documents"_s] = docs;
    sandbox.write();

    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Any.Internal"_s);
    const auto list = task->GetDocuments();
    ASSERT_EQ(list->Count(), 2);
    const auto doc = list->itemAs<DiadocDocument>(0);
    EXPECT_EQ(doc->DocumentId().size(), 72);
    EXPECT_TRUE(doc->Counteragent().isNull());
    EXPECT_TRUE(doc->Department().isNothing());
    EXPECT_TRUE(doc->FromDepartment().holdsObject());
    EXPECT_TRUE(doc->ToDepartment().isNothing());
    EXPECT_TRUE(doc->DocumentDate().isDate());
    EXPECT_EQ(doc->DocflowStatus()->PrimaryStatus()->Text(), u"Документооборот завершен"_s);
    EXPECT_EQ(doc->Metadata()->Count(), 1);
    EXPECT_EQ(doc->GetDocumentPackage()->Documents()->Count(), 2);
    EXPECT_TRUE(doc->GetPowersOfAttorney()->itemAs<DiadocAttachedPowerOfAttorney>(0)->Status().isNothing());

    const auto first = organization()->GetDocumentsTask();
    first->setCategory(u"Nonformalized.Outbound"_s);
    const auto outbound = first->GetDocuments()->itemAs<DiadocDocument>(0);
    EXPECT_TRUE(outbound->DocumentDate().isText());
    EXPECT_TRUE(outbound->DocumentDate().toText().isEmpty());
    EXPECT_FALSE(outbound->Metadata());
    EXPECT_FALSE(outbound->GetDocumentPackage()->Documents());
    EXPECT_TRUE(outbound->Counteragent().holdsObject());
}

} // namespace

// A save that meets a full disk fails with the text the program's own file layer gives for one,
// and leaves neither a partial file nor an empty archive; a file of an earlier save stays whole.
TEST_F(SandboxClientTest, AFullDiskFailsTheSaveWithDiskFullAndLeavesNoPartialFile)
{
    const auto task = organization()->GetDocumentsTask();
    task->setCategory(u"Invoice.Inbound"_s);
    const auto doc = task->GetDocuments()->itemAs<DiadocDocument>(0);
    QTemporaryDir out;
    const QString disk = out.filePath(u"disk"_s);
    const auto answer = testsupport::onSmallDisk(disk, 256 * 1024, [&]() -> int {
        const QString folder = disk + u"/doc"_s;
        QDir().mkpath(folder);
        QFile earlier(folder + u"/Счёт.pdf"_s);
        if (!earlier.open(QIODevice::WriteOnly) || earlier.write("earlier") != 7)
            return 10;
        earlier.close();
        if (!testsupport::fillDisk(disk))
            return 11;
        const auto folderSave = doc->SaveAllContentAsync(folder, true);
        while (!folderSave->IsCompleted()) {
        }
        if (const QString error = errorOf([&] { folderSave->Result(); }); error != u"Disk full"_s) {
            std::fprintf(stderr, "folder mode: %s\n", error.toUtf8().constData());
            return 12;
        }
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (left != QStringList{u"Счёт.pdf"_s} || !earlier.open(QIODevice::ReadOnly)
            || earlier.readAll() != "earlier") {
            std::fprintf(stderr, "folder mode left: %s\n", left.join(u", "_s).toUtf8().constData());
            return 13;
        }
        const auto zipSave = doc->SaveAllContentZipAsync(disk + u"/content.zip"_s);
        while (!zipSave->IsCompleted()) {
        }
        if (const QString error = errorOf([&] { zipSave->Result(); }); error != u"Disk full"_s) {
            std::fprintf(stderr, "zip mode: %s\n", error.toUtf8().constData());
            return 14;
        }
        return QDir(disk).entryList(QDir::Files | QDir::Hidden) == QStringList{u"filler"_s} ? 0 : 15;
    });
    if (!answer)
        GTEST_SKIP() << "this machine lets no test mount a small disk";
    EXPECT_EQ(*answer, 0);
}
