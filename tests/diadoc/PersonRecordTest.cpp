#include <gtest/gtest.h>

#include "FakeDiadoc.h"
#include "SandboxFixture.h"
#include "base/FailureTexts.h"
#include "core/MsgBox.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/DiadocConnection.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using diadoc::PersonRecord;
using namespace fakediadoc;

namespace {

const QString kTitle = u"Ларимо-9: Фетчлинг. Диадок АПИ."_s;
const QString kUnpaid =
    u"##100[Ошибка сервера Диадок]code:402, HTTP error: Доступ запрещён. Необходима оплата тарифа АПИ"_s;

QStringList keysAndNames(const core::KeyedCollection<core::KeyAndName>& types)
{
    QStringList result;
    for (const core::KeyAndName& type : types)
        result << type.Key + u'=' + type.Name;
    return result;
}

class PersonRecordTest : public ::testing::Test
{
protected:
    PersonRecordTest()
    {
        organization->types = {{u"Nonformalized"_s, u"Неформализованный"_s}, {u"Invoice"_s, u"Счет-фактура"_s}};
        record.DiadocOrganization = organization;
        record.Name = u"ООО «Ромашка»"_s;
    }

    ~PersonRecordTest() override { EXPECT_TRUE(ui.allScriptedAnswersUsed()); }

    testsupport::ScriptedUiServices ui;
    std::shared_ptr<FakeOrganization> organization = std::make_shared<FakeOrganization>();
    PersonRecord record{ui};
};

} // namespace

TEST_F(PersonRecordTest, ANewRecordIsEmpty)
{
    PersonRecord fresh(ui);
    EXPECT_EQ(fresh.loadState(), PersonRecord::NotLoaded);
    EXPECT_TRUE(fresh.KeyDiadocAPI.isEmpty());
    EXPECT_FALSE(fresh.DiadocOrganization);
    EXPECT_TRUE(fresh.NodeID.isEmpty());
    EXPECT_TRUE(fresh.Name.isEmpty());
    EXPECT_FALSE(fresh.IsChildren);
    EXPECT_TRUE(fresh.GetDocumentTypesError().isEmpty());
}

TEST_F(PersonRecordTest, APaidTariffLoadsTheTypesOnce)
{
    EXPECT_TRUE(record.APIPayed());
    EXPECT_EQ(record.loadState(), PersonRecord::Loaded);
    EXPECT_TRUE(record.APIPayed());
    EXPECT_EQ(organization->typeCalls, 1);

    const auto types = record.CollectionDocumentTypes();
    EXPECT_EQ(keysAndNames(*types), (QStringList{u"Nonformalized=Неформализованный"_s, u"Invoice=Счет-фактура"_s}));
    EXPECT_EQ(types, record.CollectionDocumentTypes()) << "the same collection every time";
    EXPECT_EQ(organization->typeCalls, 1);
    EXPECT_TRUE(record.GetDocumentTypesError().isEmpty());
}

TEST_F(PersonRecordTest, TariffRefusalIsRememberedAndShownNowhere)
{
    organization->error = kUnpaid;
    EXPECT_FALSE(record.APIPayed());
    EXPECT_EQ(record.loadState(), PersonRecord::TariffNotPaid);
    EXPECT_EQ(record.GetDocumentTypesError(), kUnpaid);
    EXPECT_TRUE(record.GetDocumentTypesError().contains(u"Доступ запрещён"_s));

    EXPECT_FALSE(record.APIPayed());
    EXPECT_EQ(organization->typeCalls, 1) << "no second question to Diadoc";
    EXPECT_TRUE(record.CollectionDocumentTypes()->isEmpty());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(organization->typeCalls, 1);
}

TEST_F(PersonRecordTest, TheTariffTextIsComparedExactly)
{
    // Only "ё" tells the service's refusal from this look-alike: it is just another failure.
    organization->error =
        u"##100[Ошибка сервера Диадок]code:402, HTTP error: Доступ запрещен. Необходима оплата тарифа АПИ"_s;
    EXPECT_FALSE(record.APIPayed());
    EXPECT_EQ(record.loadState(), PersonRecord::LoadFailed);
}

TEST_F(PersonRecordTest, AnotherLoadErrorFailsAndNamesEveryTypeOther)
{
    organization->error = u"COM1C.HTTP_ERROR[0x00002EFD]A connection with the server could not be established"_s;
    EXPECT_FALSE(record.APIPayed());
    EXPECT_EQ(record.loadState(), PersonRecord::LoadFailed);
    EXPECT_EQ(record.GetDocumentTypesError(), *organization->error);
    EXPECT_EQ(record.GetDocTypeName(u"Nonformalized"_s), u"ПРОЧИЕ"_s);
    EXPECT_EQ(record.GetDocTypeName(u"Any"_s), u"Любой"_s);
    EXPECT_FALSE(record.APIPayed());
    EXPECT_EQ(organization->typeCalls, 1);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PersonRecordTest, CollectionOnANewRecordShowsTheFailureOnce)
{
    organization->error = u"COM1C.HTTP_ERROR[0x00002EFD]Нет связи"_s;
    ui.expectBox(core::msgbox::vbOK);
    const auto types = record.CollectionDocumentTypes();
    EXPECT_TRUE(types->isEmpty());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, kTitle);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbCritical);
    EXPECT_EQ(ui.boxes[0].prompt,
              u"Организация: ООО «Ромашка»\r\nВ PersonRecord Get CollectionDocumentTypes() методом "
              u"DiadocОрганизация.GetDocumentTypes() не удалось получить список типов документов организации.\r\n"
              u"Ошибка: COM1C.HTTP_ERROR[0x00002EFD]Нет связи"_s);
    EXPECT_EQ(ui.pointerDuringBoxes, std::vector<core::MousePointer>{core::MousePointer::Default});
    EXPECT_EQ(record.loadState(), PersonRecord::NotLoaded) << "only APIPayed moves the state";

    EXPECT_EQ(record.CollectionDocumentTypes(), types) << "the next call returns it without a message";
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(organization->typeCalls, 1);
}

TEST_F(PersonRecordTest, CollectionOnANewRecordWithAnUnpaidTariff)
{
    organization->error = kUnpaid;
    ui.expectBox(core::msgbox::vbOK);
    EXPECT_TRUE(record.CollectionDocumentTypes()->isEmpty());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, kTitle);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbCritical);
    EXPECT_EQ(ui.boxes[0].prompt, u"Организация: ООО «Ромашка»\r\nНе удалось получить список типов документов.\r\n"
                                  u"Доступ запрещен. Необходима оплата тарифа АПИ."_s);
}

TEST_F(PersonRecordTest, APIPayedAfterTheCollectionLoadsOnceMoreAndReplacesIt)
{
    const auto first = record.CollectionDocumentTypes();
    organization->types.append({u"Act"_s, u"Акт"_s});
    EXPECT_TRUE(record.APIPayed());
    EXPECT_EQ(organization->typeCalls, 2);
    const auto second = record.CollectionDocumentTypes();
    EXPECT_NE(first, second);
    EXPECT_EQ(second->Count(), 3);
    EXPECT_EQ(first->Count(), 2) << "a caller's collection stays as it was";
}

TEST_F(PersonRecordTest, GetDocTypeNameNamesTypesForFolders)
{
    EXPECT_EQ(record.GetDocTypeName(u"Any"_s), u"Любой"_s);
    EXPECT_EQ(organization->typeCalls, 0) << "\"Any\" needs no types";
    EXPECT_EQ(record.GetDocTypeName(u"Invoice"_s), u"Счет-фактура"_s);
    EXPECT_EQ(record.GetDocTypeName(u"nonformalized"_s), u"Неформализованный"_s);
    EXPECT_EQ(record.GetDocTypeName(u"Contract"_s), u"ПРОЧИЕ"_s);
    EXPECT_EQ(record.GetDocTypeName(QString()), u"ПРОЧИЕ"_s);

    // "any" in lower case is no wildcard: it is looked up like every other key.
    EXPECT_EQ(record.GetDocTypeName(u"any"_s), u"ПРОЧИЕ"_s);
    organization->types.append({u"ANY"_s, u"Тип с ключом ANY"_s});
    PersonRecord other(ui);
    other.DiadocOrganization = organization;
    EXPECT_EQ(other.GetDocTypeName(u"any"_s), u"Тип с ключом ANY"_s);
    EXPECT_EQ(other.GetDocTypeName(u"Any"_s), u"Любой"_s);
}

TEST_F(PersonRecordTest, NoTypesIsAPaidTariffWithAnEmptyCollection)
{
    organization->types.clear();
    EXPECT_TRUE(record.APIPayed());
    EXPECT_TRUE(record.CollectionDocumentTypes()->isEmpty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PersonRecordTest, ATypeListedTwiceKeepsTheFirst)
{
    organization->types = {
        {u"Invoice"_s, u"Счет-фактура"_s}, {u"Act"_s, u"Акт"_s}, {u"INVOICE"_s, u"Счёт-фактура (повтор)"_s}};
    EXPECT_TRUE(record.APIPayed());
    EXPECT_EQ(keysAndNames(*record.CollectionDocumentTypes()), (QStringList{u"Invoice=Счет-фактура"_s, u"Act=Акт"_s}));
}

TEST_F(PersonRecordTest, AListThatIsNothingIsAnErrorWithThePlace)
{
    organization->returnsNothing = true;
    try {
        record.APIPayed();
        FAIL() << "a missing list must be reported";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 91);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::PersonRecord.APIPayed]"_s))
            << e.description().toStdString();
    }
    EXPECT_EQ(record.loadState(), PersonRecord::NotLoaded);
    EXPECT_TRUE(record.CollectionDocumentTypes()->isEmpty()) << "the collection begun stays";
    EXPECT_EQ(record.GetDocTypeName(u"Invoice"_s), u"ПРОЧИЕ"_s);
}

TEST_F(PersonRecordTest, ARecordWithoutOrganisationFailsToLoad)
{
    PersonRecord orphan(ui);
    EXPECT_FALSE(orphan.APIPayed());
    EXPECT_EQ(orphan.loadState(), PersonRecord::LoadFailed);
    EXPECT_EQ(orphan.GetDocumentTypesError(), QString::fromUtf16(core::failure::kObjectNotSet));
}

TEST_F(PersonRecordTest, TheRecordFeedsTheDocumentTypeSetting)
{
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    options.Set_DocType(u"Invoice"_s, true);
    EXPECT_EQ(options.Get_DocTypes({&record}, true), (QList<core::KeyAndName>{{u"Invoice"_s, u"Счет-фактура"_s}}));
}

TEST(PersonRecordSandboxTest, SignInRecordsOfThePaidAndTheUnpaidOrganisation)
{
    testsupport::SandboxFixture sandbox;
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    options.Set_DiadocServerURL(sandbox.url());
    options.Set_TypeDiadocAccount(1);
    options.Set_Login(u"buh@romashka.ru"_s);
    options.Set_Password(u"секрет"_s);
    QString error;
    const auto connection = diadoc::mDiadoc(sandbox.factory, options).GetConnectionDiadocAPIEx(QString(), error);
    ASSERT_TRUE(connection) << error.toStdString();
    const auto list = connection->GetOrganizationList();
    testsupport::ScriptedUiServices ui;

    auto paid = std::make_shared<PersonRecord>(ui);
    paid->DiadocOrganization = list->itemAs<DiadocOrganization>(0);
    paid->Name = paid->DiadocOrganization->Name();
    EXPECT_TRUE(paid->APIPayed());
    EXPECT_EQ(paid->GetDocTypeName(u"Invoice"_s), u"Счет-фактура"_s);

    auto unpaid = std::make_shared<PersonRecord>(ui);
    unpaid->DiadocOrganization = list->itemAs<DiadocOrganization>(1);
    EXPECT_FALSE(unpaid->APIPayed());
    EXPECT_EQ(unpaid->loadState(), PersonRecord::TariffNotPaid);
    EXPECT_EQ(unpaid->GetDocumentTypesError(), kUnpaid);
    EXPECT_TRUE(ui.boxes.empty());
}
