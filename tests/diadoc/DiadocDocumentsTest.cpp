#include <QUrl>

#include <gtest/gtest.h>

#include "FakeDiadoc.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/VbDate.h"
#include "diadoc/mDiadoc.h"
#include "diadoc/mDiadocDocuments.h"
#include "platform/diadoc/DiadocConnection.h"
#include "platform/diadoc/DiadocDocumentsTask.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadocDocuments;
using diadoc::VbDate;
using namespace fakediadoc;

namespace {

QDateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

Variant date(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return Variant(at(y, m, d, h, min, s));
}

Variant text(const char16_t* value)
{
    return Variant(QString::fromUtf16(value));
}

std::shared_ptr<FakeDocument> document(const QString& type, const QString& status, Variant documentDate)
{
    auto doc = std::make_shared<FakeDocument>();
    doc->type = type;
    doc->status = status;
    doc->documentDate = std::move(documentDate);
    return doc;
}

// Date values compare by kind and content, so a test sees which argument came back.
void expectSameValue(const Variant& actual, const Variant& expected)
{
    ASSERT_EQ(actual.kind(), expected.kind()) << actual.typeName().toStdString();
    if (expected.isDate()) {
        EXPECT_EQ(actual.toDate(), expected.toDate());
    } else if (expected.isText()) {
        EXPECT_EQ(actual.toText(), expected.toText());
    }
}

} // namespace

TEST(DocClassesTest, TheThreeClassesInTheirOrder)
{
    const auto& classes = mDiadocDocuments::GetDocClassCollection();
    ASSERT_EQ(classes.Count(), 3);
    QStringList seen;
    for (const core::KeyAndName& item : classes)
        seen << item.Key + u'=' + item.Name;
    EXPECT_EQ(seen, (QStringList{u"Inbound=Входящий"_s, u"Outbound=Исходящий"_s, u"Internal=Внутренний"_s}));
    EXPECT_EQ(&classes, &mDiadocDocuments::GetDocClassCollection()) << "built once for the process";
}

TEST(DocClassesTest, GetDocClassByKeyOrPosition)
{
    const struct
    {
        Variant value;
        QString key;
        QString name;
    } cases[] = {
        {text(u"Outbound"), u"Outbound"_s, u"Исходящий"_s},
        {text(u"inbound"), u"Inbound"_s, u"Входящий"_s},
        {Variant(3), u"Internal"_s, u"Внутренний"_s},
        {Variant(1), u"Inbound"_s, u"Входящий"_s},
        {Variant(2.0), u"Outbound"_s, u"Исходящий"_s},
        {Variant(4), {}, {}},
        {Variant(0), {}, {}},
        {text(u"Other"), {}, {}},
        {text(u""), {}, {}},
        {Variant(), {}, {}},
        {Variant::null(), {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.typeName().toStdString() + " " + (c.value.isText() ? c.value.toText().toStdString() : ""));
        const core::KeyAndName item = mDiadocDocuments::GetDocClass(c.value);
        EXPECT_EQ(item.Key, c.key);
        EXPECT_EQ(item.Name, c.name);
    }
    EXPECT_EQ(mDiadocDocuments::GetDocClass(u"INTERNAL"_s).Name, u"Внутренний"_s);
    EXPECT_EQ(mDiadocDocuments::GetDocClass(2).Key, u"Outbound"_s);
    EXPECT_EQ(mDiadocDocuments::GetDocClass(-1), core::KeyAndName{});
}

TEST(EmptyDateTest, MarkerValueAndText)
{
    EXPECT_EQ(mDiadocDocuments::EmptyDateMarker(), at(1999, 11, 30));
    EXPECT_DOUBLE_EQ(VbDate::fromDateTime(mDiadocDocuments::EmptyDateMarker()), 36494.0);
    EXPECT_EQ(mDiadocDocuments::EmptyDateMarkerText(), u"30.11.1999 00:00:00"_s);
}

TEST(EmptyDateTest, IsDateEmptyByKindOfValue)
{
    const struct
    {
        const char* what;
        Variant value;
        bool empty;
    } cases[] = {
        {"a valid date text other than the marker", text(u"30.12.1899"), false},
        {"the marker's text", text(u"30.11.1999 00:00:00"), true},
        {"the marker's date without the time", text(u"30.11.1999"), false},
        {"an ordinary date text", text(u"05.03.2024 10:00:00"), false},
        {"an empty text", text(u""), true},
        {"a text that is no date", text(u"abc"), true},
        {"an empty variant", Variant(), true},
        {"Null", Variant::null(), true},
        {"Nothing", Variant::nothing(), true},
        {"an object", Variant(std::make_shared<FakeStatus>()), true},
        {"a whole number", Variant(36494), true},
        {"a Boolean", Variant(true), true},
        {"the marker as a date value", Variant(mDiadocDocuments::EmptyDateMarker()), false},
        {"the number 0", Variant(0.0), true},
        {"the number -693593", Variant(-693593.0), true},
        {"the marker's day number", Variant(36494.0), false},
        {"30 December 1899", date(1899, 12, 30), true},
        {"30 December 1899 in the afternoon", date(1899, 12, 30, 15, 0), true},
        {"1 January of the year 1", date(1, 1, 1), true},
        {"31 December 1899", date(1899, 12, 31), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(mDiadocDocuments::IsDateEmpty(c.value), c.empty);
    }
}

TEST(DocumentDatesTest, ForwardingDateIsTheMarkerForANeverSentDocument)
{
    const struct
    {
        const char16_t* status;
        bool marker;
    } cases[] = {
        {u"OutboundWaitingForSenderSignature", true},  {u"InternalInvalidSenderSignature", true},
        {u"InboundWaitingForSenderSignature", true},   {u"WaitingForSenderSignature", true},
        {u"OutboundWithRecipientSignature", false},    {u"OutboundWaitingForSenderSignatureX", false},
        {u"outboundWaitingForSenderSignature", false},
    };
    for (const auto& c : cases) {
        const auto doc = document(u"Contract"_s, QString::fromUtf16(c.status), text(u""));
        SCOPED_TRACE(doc->status.toStdString());
        expectSameValue(mDiadocDocuments::ForwardingDate(*doc),
                        c.marker ? Variant(mDiadocDocuments::EmptyDateMarker()) : doc->timestamp);
    }
}

TEST(DocumentDatesTest, DocDateForPathFolderByType)
{
    const Variant marker(mDiadocDocuments::EmptyDateMarker());
    const Variant timestamp = date(2024, 3, 5, 10, 0);
    const struct
    {
        const char* what;
        const char16_t* type;
        const char16_t* status;
        Variant documentDate;
        Variant expected;
    } cases[] = {
        {"a contract without a document date", u"Contract", u"InboundWithRecipientSignature", text(u""), marker},
        {"a contract with its date", u"Contract", u"InboundWithRecipientSignature", date(2024, 3, 1), date(2024, 3, 1)},
        {"a contract with a date text", u"Contract", u"InboundWithRecipientSignature", text(u"01.03.2024"),
         text(u"01.03.2024")},
        {"a contract never sent keeps its date", u"Contract", u"OutboundWaitingForSenderSignature", date(2024, 3, 1),
         date(2024, 3, 1)},
        {"a nonformalized document dates by its sending", u"Nonformalized", u"InboundWithRecipientSignature",
         date(2024, 3, 1), timestamp},
        {"a nonformalized document never sent", u"Nonformalized", u"OutboundInvalidSenderSignature", date(2024, 3, 1),
         marker},
        {"a trust request", u"TrustConnectionRequest", u"InboundWithRecipientSignature", text(u""), timestamp},
        {"a trust request never sent", u"TrustConnectionRequest", u"InternalWaitingForSenderSignature", text(u""),
         marker},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto doc = document(QString::fromUtf16(c.type), QString::fromUtf16(c.status), c.documentDate);
        doc->timestamp = timestamp;
        expectSameValue(mDiadocDocuments::DocDateForPathFolder(*doc), c.expected);
    }
}

class PackageDatesTest : public ::testing::Test
{
protected:
    PackageDatesTest()
    {
        doc->packageId = u"pkg-1"_s;
        doc->documentDate = date(2024, 1, 10);
    }

    void packageOf(const QList<std::shared_ptr<FakeDocument>>& members)
    {
        doc->package->documents = SandboxList::of(members);
    }

    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    std::shared_ptr<FakeDocument> doc = document(u"Contract"_s, u"InboundWithRecipientSignature"_s, text(u""));
};

TEST_F(PackageDatesTest, ThePackageDateIsTheLatestOfItsDocuments)
{
    packageOf({document(u"Contract"_s, u"InboundWithRecipientSignature"_s, date(2024, 1, 10)),
               document(u"Contract"_s, u"InboundWithRecipientSignature"_s, date(2024, 2, 20)),
               document(u"Contract"_s, u"InboundWithRecipientSignature"_s, text(u""))});
    expectSameValue(mDiadocDocuments::PackageDateForPathFolder(*doc), date(2024, 2, 20));

    options.Set_GroupIntoPackages(0);
    expectSameValue(mDiadocDocuments::DateForPathFolder(*doc, options), date(2024, 1, 10));
    for (const int on : {1, -1}) {
        options.Set_GroupIntoPackages(on);
        expectSameValue(mDiadocDocuments::DateForPathFolder(*doc, options), date(2024, 2, 20));
    }
    doc->packageId.clear();
    expectSameValue(mDiadocDocuments::DateForPathFolder(*doc, options), date(2024, 1, 10));
}

TEST_F(PackageDatesTest, APackageWithoutDatesGivesTheMarkerAndAnEmptyOneNothing)
{
    packageOf({document(u"Contract"_s, u"InboundWithRecipientSignature"_s, text(u"")),
               document(u"Contract"_s, u"InboundWithRecipientSignature"_s, Variant())});
    expectSameValue(mDiadocDocuments::PackageDateForPathFolder(*doc), Variant(mDiadocDocuments::EmptyDateMarker()));

    packageOf({});
    EXPECT_TRUE(mDiadocDocuments::PackageDateForPathFolder(*doc).isEmpty());
    doc->package->documents = nullptr;
    EXPECT_TRUE(mDiadocDocuments::PackageDateForPathFolder(*doc).isEmpty());
    doc->package = nullptr;
    EXPECT_TRUE(mDiadocDocuments::PackageDateForPathFolder(*doc).isEmpty());
}

TEST(ThisMaxOfDatesTest, TheLaterValueAsItWasGiven)
{
    const struct
    {
        const char* what;
        Variant a;
        Variant b;
        Variant expected;
    } cases[] = {
        {"equal dates give the second", date(2024, 3, 5), text(u"05.03.2024"), text(u"05.03.2024")},
        {"an empty first gives the second, also an empty one", Variant(), text(u""), text(u"")},
        {"an empty second gives the first", date(2024, 3, 5), Variant::null(), date(2024, 3, 5)},
        {"a later first", date(2024, 3, 6), date(2024, 3, 5), date(2024, 3, 6)},
        {"a later second", date(2024, 3, 5), date(2024, 3, 5, 0, 0, 1), date(2024, 3, 5, 0, 0, 1)},
        {"a day number against a date", Variant(45356.5), date(2024, 3, 5), Variant(45356.5)},
        {"the marker against a later date", Variant(mDiadocDocuments::EmptyDateMarker()), date(2000, 1, 1),
         date(2000, 1, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Variant result = mDiadocDocuments::ThisMaxOfDates(c.a, c.b);
        ASSERT_EQ(result.kind(), c.expected.kind());
        if (c.expected.kind() == Variant::Kind::Double) {
            EXPECT_EQ(result.toDouble(), c.expected.toDouble());
        } else {
            expectSameValue(result, c.expected);
        }
    }
}

TEST(OtherPartyTest, CounteragentThenSendingThenReceivingDepartment)
{
    auto organization = std::make_shared<FakeOrganization>();
    organization->inn = u"7701234567"_s;
    const struct
    {
        const char* what;
        Variant counteragent;
        Variant from;
        Variant to;
        QString innKpp;
        QString inn;
        QString name;
    } cases[] = {
        {"a counteragent with INN and KPP",
         Variant(std::make_shared<FakeParty>(u"7707083893"_s, u"773601001"_s, u"ПАО «Банк»"_s)), Variant::nothing(),
         Variant::nothing(), u"7707083893-773601001"_s, u"7707083893"_s, u"ПАО «Банк»"_s},
        {"a counteragent without KPP", Variant(std::make_shared<FakeParty>(u"500100732259"_s, u""_s, u"ИП Смирнова"_s)),
         Variant::nothing(), Variant::nothing(), u"500100732259"_s, u"500100732259"_s, u"ИП Смирнова"_s},
        {"a counteragent without texts", Variant(std::make_shared<FakeParty>(u""_s, u""_s, u""_s)), Variant::nothing(),
         Variant::nothing(), u"(нет)"_s, u"(нет)"_s, u"(нет)"_s},
        {"the sending department", Variant::null(),
         Variant(std::make_shared<FakeDepartment>(u"d1"_s, u"Филиал «Север»"_s, u"290101001"_s)),
         Variant(std::make_shared<FakeDepartment>(u"d2"_s, u"Филиал «Юг»"_s, u"230101001"_s)),
         u"7701234567-290101001"_s, u"7701234567"_s, u"Филиал «Север»"_s},
        {"the receiving department without KPP", Variant::nothing(), Variant::null(),
         Variant(std::make_shared<FakeDepartment>(u"d2"_s, u"Склад"_s)), u"7701234567"_s, u"7701234567"_s, u"Склад"_s},
        {"no party at all", Variant::null(), Variant::nothing(), Variant::nothing(), u"(нет)"_s, u"(нет)"_s,
         u"(нет)"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDocument doc;
        doc.organization = Variant(organization);
        doc.counteragent = c.counteragent;
        doc.fromDepartment = c.from;
        doc.toDepartment = c.to;
        EXPECT_EQ(mDiadocDocuments::ИНН_КПП_ВторойСтороны(doc, u"(нет)"_s), c.innKpp);
        EXPECT_EQ(mDiadocDocuments::ИНН_ВторойСтороны(doc, u"(нет)"_s), c.inn);
        EXPECT_EQ(mDiadocDocuments::НазваниеВторойСтороны(doc, u"(нет)"_s), c.name);
    }
}

TEST(OtherPartyTest, PresenceTestsTellObjectsFromNothingAndNull)
{
    FakeDocument doc;
    EXPECT_FALSE(mDiadocDocuments::IsCounteragent(doc));
    doc.counteragent = Variant::null();
    EXPECT_FALSE(mDiadocDocuments::IsCounteragent(doc));
    doc.counteragent = Variant(std::make_shared<FakeParty>(u"1"_s, u""_s, u"n"_s));
    EXPECT_TRUE(mDiadocDocuments::IsCounteragent(doc));
    doc.fromDepartment = Variant(std::make_shared<FakeDepartment>(u"d"_s, u"n"_s));
    EXPECT_TRUE(mDiadocDocuments::IsFromDepartment(doc));
    EXPECT_FALSE(mDiadocDocuments::IsToDepartment(doc));
}

TEST(OtherPartyTest, ADepartmentOfADocumentWithoutOrganisationIsAnErrorWithItsPlace)
{
    FakeDocument doc;
    doc.fromDepartment = Variant(std::make_shared<FakeDepartment>(u"d"_s, u"n"_s, u"1"_s));
    try {
        mDiadocDocuments::ИНН_КПП_ВторойСтороны(doc, {});
        FAIL() << "a missing organisation must be reported";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 91);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::mDiadoc.ИНН_КПП_ВторойСтороны]"_s))
            << e.description().toStdString();
    }
}

TEST(IsFinishedTest, RejectionThenSeverityThenText)
{
    const struct
    {
        const char16_t* status;
        const char16_t* severity;
        const char16_t* text;
        bool finished;
    } cases[] = {
        {u"InboundRecipientSignatureRequestRejected", u"Success", u"Документооборот завершен", false},
        {u"OutboundRecipientSignatureRequestRejected", u"Error", u"", false},
        {u"InboundWithRecipientSignature", u"Success", u"", true},
        {u"InboundWithRecipientSignature", u"Error", u"", true},
        {u"InboundWithRecipientSignature", u"Warning", u"Документооборот завершен", true},
        {u"InboundWithRecipientSignature", u"Warning", u"Документооборот не завершен", false},
        {u"InboundWithRecipientSignature", u"success", u"", false},
        {u"InboundWithRecipientSignature", u"", u"", false},
    };
    for (const auto& c : cases) {
        FakeDocument doc;
        doc.status = QString::fromUtf16(c.status);
        doc.docflow->primary->severity = QString::fromUtf16(c.severity);
        doc.docflow->primary->text = QString::fromUtf16(c.text);
        SCOPED_TRACE(doc.status.toStdString() + " " + doc.docflow->primary->severity.toStdString());
        EXPECT_EQ(mDiadocDocuments::IsFinished(doc), c.finished);
    }
}

TEST(VbDateTest, DayNumbersBothWays)
{
    EXPECT_EQ(VbDate::toDateTime(0.0), at(1899, 12, 30));
    EXPECT_EQ(VbDate::toDateTime(45356.5), at(2024, 3, 5, 12, 0));
    EXPECT_EQ(VbDate::toDateTime(-1.25), at(1899, 12, 29, 6, 0)) << "the fraction counts forward also before 1899";
    EXPECT_EQ(VbDate::toDateTime(-693593.0), at(1, 1, 1));
    for (const QDateTime& value : {at(2024, 3, 5, 14, 5, 7), at(1899, 12, 29, 6, 0), at(1999, 11, 30)})
        EXPECT_EQ(VbDate::toDateTime(VbDate::fromDateTime(value)), value);
    EXPECT_EQ(VbDate::fromVariant(text(u"05.03.2024 14:05:07")), at(2024, 3, 5, 14, 5, 7));
    EXPECT_THROW(VbDate::fromVariant(text(u"abc")), core::Error);
}

// The bundled sample service, reached through a signed-in connection as the program reaches it.
class SampleDocumentsTest : public ::testing::Test
{
protected:
    SampleDocumentsTest()
    {
        options.Set_DiadocServerURL(QUrl::fromLocalFile(QStringLiteral(FETCHLING_SAMPLE_SANDBOX)).toString());
        options.Set_TypeDiadocAccount(1);
        options.Set_Login(u"buh@romashka.ru"_s);
        options.Set_Password(u"Ромашка2024"_s);
    }

    std::shared_ptr<DiadocDocument> sampleDocument(const QString& category, const QString& id)
    {
        QString error;
        const auto connection = diadoc.GetConnectionDiadocAPIEx(QString(), error);
        EXPECT_TRUE(connection) << error.toStdString();
        if (!connection)
            return nullptr;
        const auto org = connection->GetOrganizationList()->itemAs<DiadocOrganization>(0);
        const auto task = org->GetDocumentsTask();
        task->setCategory(category);
        const auto list = task->GetDocuments();
        for (int i = 0; i < list->Count(); ++i) {
            auto doc = list->itemAs<DiadocDocument>(i); // moved out when it is the one
            if (doc->DocumentId() == id)
                return doc;
        }
        ADD_FAILURE() << "no sample document " << id.toStdString();
        return nullptr;
    }

    qint64 nowMs = 0;
    SandboxClientFactory factory{[this] { return nowMs; }};
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    diadoc::mDiadoc diadoc{factory, options};
};

TEST_F(SampleDocumentsTest, AnInvoiceGivesItsClassDatesAndOtherParty)
{
    const auto doc = sampleDocument(u"Invoice.Inbound"_s,
                                    u"cb2f62f4-2ad0-4c0e-857c-436227fe878482b21099-a9cc-4bf7-8972-7d26f6ce4155"_s);
    ASSERT_TRUE(doc);
    EXPECT_EQ(mDiadocDocuments::GetDocClass(Variant(doc->Direction())).Name, u"Входящий"_s);
    expectSameValue(mDiadocDocuments::ForwardingDate(*doc), date(2024, 9, 6, 10, 32, 23));
    expectSameValue(mDiadocDocuments::DateForPathFolder(*doc, options), date(2024, 9, 4));
    EXPECT_EQ(mDiadocDocuments::ИНН_КПП_ВторойСтороны(*doc, {}), u"500100732259"_s);
    EXPECT_EQ(mDiadocDocuments::НазваниеВторойСтороны(*doc, {}), u"ИП Смирнова Ольга Петровна"_s);
    EXPECT_TRUE(mDiadocDocuments::IsFinished(*doc));
}

TEST_F(SampleDocumentsTest, AnInternalActNamesTheSendingDepartmentAndItsPackageDate)
{
    const auto doc = sampleDocument(u"XmlAcceptanceCertificate.Internal"_s,
                                    u"2bf788cd-5b86-4af8-8d60-7504b7c451bfb63865a6-bffb-41e0-8253-d92d6312e66e"_s);
    ASSERT_TRUE(doc);
    EXPECT_EQ(mDiadocDocuments::GetDocClass(Variant(doc->Direction())).Name, u"Внутренний"_s);
    EXPECT_FALSE(mDiadocDocuments::IsCounteragent(*doc));
    EXPECT_EQ(mDiadocDocuments::ИНН_КПП_ВторойСтороны(*doc, {}), u"7701234567-290101001"_s);
    EXPECT_EQ(mDiadocDocuments::ИНН_ВторойСтороны(*doc, {}), u"7701234567"_s);
    EXPECT_EQ(mDiadocDocuments::НазваниеВторойСтороны(*doc, {}), u"Филиал «Север»"_s);
    expectSameValue(mDiadocDocuments::DocDateForPathFolder(*doc), date(2024, 3, 3));
    options.Set_GroupIntoPackages(1);
    // The package also holds a nonformalized letter, which dates by its sending.
    expectSameValue(mDiadocDocuments::DateForPathFolder(*doc, options), date(2024, 12, 22, 9, 12, 26));
}
