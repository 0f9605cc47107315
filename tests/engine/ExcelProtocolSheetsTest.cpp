#include "ExcelProtocolTestFixture.h"
#include "diadoc/VbDate.h"
#include "engine/ExcelProtocolDocuments.h"
#include "engine/ExcelProtocolRequests.h"
#include "engine/WebAddresses.h"

using namespace Qt::StringLiterals;
using engine::ExcelProtocolDocuments;
using engine::ExcelProtocolRequests;
using exceltest::ExcelProtocolTest;

namespace {

const QString kWeb = QString::fromUtf16(engine::kDiadocWebAddress);

double day(int year, int month, int dayOfMonth)
{
    return diadoc::VbDate::fromDateTime(QDateTime(QDate(year, month, dayOfMonth), QTime(0, 0)));
}

TEST_F(ExcelProtocolTest, UnloadedRowHoldsEveryColumnAndALinkToTheDocument)
{
    auto record = document(u"doc-1"_s);
    record->DocumentName = u" Акт сверки "_s;
    record->Status = u"InboundWithRecipientSignature"_s;
    record->Direction = u"outbound"_s;
    record->PathForDownload = base + u"Ромашка/2024"_s;
    source.unloadedList = {record};

    ASSERT_EQ(run(), QString());

    auto& unloaded = sheet(u"Выгружены"_s);
    const QStringList expected{u" Акт сверки "_s,
                               u"05.03.2024 10:15:00"_s,
                               u"ООО Ромашка"_s,
                               u"04.03.2024"_s,
                               u"00123"_s,
                               u"Неформализованный"_s,
                               u"Исходящий"_s,
                               u"ответная подпись поставлена"_s,
                               u"7701000001-770101001 | АО Василёк"_s,
                               u"Ромашка/2024"_s,
                               u"2024/03"_s,
                               u"  ООО Ромашка "_s,
                               u"doc-1"_s};
    for (int column = 1; column <= expected.size(); ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(text(unloaded, 2, column), expected[column - 1]);
    }
    // The document number keeps its leading zeros: the column holds texts.
    EXPECT_TRUE(std::holds_alternative<QString>(unloaded.Cells(2, 5).Value()));
    EXPECT_EQ(unloaded.hyperlinks().at({2, 13}), kWeb + u"/Box/Document?id=doc-1"_s);
    EXPECT_EQ(unloaded.hyperlinks().size(), 1u);
}

TEST_F(ExcelProtocolTest, OnlyTheUnloadedAndIgnoredSheetsCarryLinks)
{
    fillEveryList();
    source.ignoredList[0]->ErrorDescription = u"  Документ удалён  "_s;
    source.docsSecondaryQueue[0]->ErrorDescription = u" Таймаут "_s;
    source.unloadingList[0]->LastErrorDescription = u" Сбой сети "_s;

    ASSERT_EQ(run(), QString());

    auto& ignored = sheet(u"Не выгружены"_s);
    EXPECT_EQ(text(ignored, 2, 10), u"Документ удалён"_s);
    EXPECT_EQ(text(ignored, 2, 11), u"i1"_s);
    EXPECT_EQ(ignored.hyperlinks().at({2, 11}), kWeb + u"/Box/Document?id=i1"_s);
    EXPECT_EQ(text(sheet(u"Документы На повтор попытки"_s), 2, 10), u"Таймаут"_s);
    EXPECT_EQ(text(sheet(u"Документы Выгружаются"_s), 2, 10), u"Сбой сети"_s);
    for (const QString& name :
         {u"Документы На выгрузку"_s, u"Документы На повтор попытки"_s, u"Документы Выгружаются"_s}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(sheet(name).hyperlinks().empty());
    }
}

struct OrganisationCase
{
    const char* name;
    QString org;
    QString departmentName;
    QString expected;
};

TEST_F(ExcelProtocolTest, DocumentOrganisationNamesTheDepartmentOrTheHeadDepartment)
{
    const OrganisationCase cases[] = {
        {"department named", u"org2"_s, u"Склад №2"_s, u"ПАО Лютик, Склад №2"_s},
        {"organisation with departments, none named", u"org2"_s, {}, u"ПАО Лютик, Головное подразделение"_s},
        {"organisation without departments", u"org1"_s, {}, u"ООО Ромашка"_s},
        {"department of an organisation listed without departments", u"org1"_s, u"Цех"_s, u"ООО Ромашка, Цех"_s},
    };
    for (const OrganisationCase& c : cases) {
        auto record = document(u"d"_s, c.org);
        record->DepartmentName = c.departmentName;
        source.docsMainQueue.append(record);
    }

    ASSERT_EQ(run(), QString());

    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(text(sheet(u"Документы На выгрузку"_s), i + 2, 3), cases[i].expected);
    }
}

struct StatusesCase
{
    const char* name;
    std::function<void(diadoc::AsyncDocRecord&)> arrange;
    QString expected;
};

TEST_F(ExcelProtocolTest, StatusesAreJoinedBySemicolonAndLineBreakWithTheRoamingDescriptionInBrackets)
{
    const StatusesCase cases[] = {
        {"no status texts at all", [](diadoc::AsyncDocRecord&) {}, QString()},
        {"revocation and sender signature only",
         [](diadoc::AsyncDocRecord& r) {
             r.RevocationStatus = u"RevocationIsRequestedByMe"_s;
             r.SenderSignatureStatus = u"SenderSignatureCheckedAndValid"_s;
         },
         u"документ, по которому было запрошено аннулирование;\r\nподпись отправителя проверена и валидна"_s},
        {"roaming with its description, then the document status",
         [](diadoc::AsyncDocRecord& r) {
             r.RoamingNotificationStatus = u"RoamingNotificationStatusError"_s;
             r.RoamingNotificationStatusDescription = u"оператор недоступен"_s;
             r.Status = u"InboundWithRecipientSignature"_s;
         },
         u"документ с ошибкой доставки в роуминг (оператор недоступен);\r\nответная подпись поставлена"_s},
        {"a roaming description without a roaming text adds nothing",
         [](diadoc::AsyncDocRecord& r) {
             r.RoamingNotificationStatus = u"RoamingNotificationStatusSuccess"_s;
             r.RoamingNotificationStatusDescription = u"доставлено"_s;
         },
         QString()},
        {"recipient response after the document status",
         [](diadoc::AsyncDocRecord& r) {
             r.Status = u"InboundWithRecipientSignature"_s;
             r.RecipientResponseStatus = u"RecipientSignatureRequestRejected"_s;
         },
         u"ответная подпись поставлена;\r\nполучатель отказал в подписи"_s},
    };
    for (const StatusesCase& c : cases) {
        SCOPED_TRACE(c.name);
        diadoc::AsyncDocRecord record;
        record.TypeNamedId = u"Nonformalized"_s;
        c.arrange(record);
        EXPECT_EQ(ExcelProtocolDocuments::StatusesText(record), c.expected);
    }
}

TEST_F(ExcelProtocolTest, ADocumentWithoutSendingDateLeavesColumnTwoEmptyAndHasNoYearMonth)
{
    const QString timestamps[] = {QString(), u"30.11.1999 00:00:00"_s, u"не дата"_s, u" 07.01.2023 09:00:00 "_s};
    for (const QString& timestamp : timestamps) {
        auto record = document(u"d"_s);
        record->Timestamp = timestamp;
        source.unloadedList.append(record);
    }

    ASSERT_EQ(run(), QString());

    auto& unloaded = sheet(u"Выгружены"_s);
    for (int row = 2; row <= 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(text(unloaded, row, 2), QString());
        EXPECT_EQ(text(unloaded, row, 11), u"0000/00"_s);
        EXPECT_EQ(text(unloaded, row, 3), u"ООО Ромашка"_s) << "the other columns are written as usual";
    }
    EXPECT_EQ(text(unloaded, 5, 2), u"07.01.2023 09:00:00"_s);
    EXPECT_EQ(text(unloaded, 5, 11), u"2023/01"_s);
    // No formula: the year and month do not depend on the spreadsheet's locale.
    EXPECT_TRUE(std::holds_alternative<QString>(unloaded.Cells(5, 11).Value()));
}

TEST_F(ExcelProtocolTest, FolderColumnShowsThePathBelowTheBaseFolder)
{
    const QString folders[] = {base + u"Ромашка/2024"_s, base, base + u"удалена"_s};
    for (const QString& folder : folders) {
        auto record = document(u"d"_s);
        record->PathForDownload = folder;
        source.unloadedList.append(record);
    }

    ASSERT_EQ(run(), QString());

    auto& unloaded = sheet(u"Выгружены"_s);
    EXPECT_EQ(text(unloaded, 1, 10), u"Папка\r\n"_s + base);
    EXPECT_EQ(text(unloaded, 2, 10), u"Ромашка/2024"_s);
    EXPECT_EQ(text(unloaded, 3, 10), QString()) << "the base folder itself";
    EXPECT_EQ(text(unloaded, 4, 10), QString()) << "a folder that no longer exists has no long form";
}

TEST_F(ExcelProtocolTest, RequestRowsShowOrganisationPeriodTypeClassAndStatuses)
{
    auto department = request(u"org2"_s);
    department->DepartmentId = u"dep-1"_s;
    department->DepartmentName = u"Склад"_s;
    department->DateFrom = day(2024, 3, 1);
    department->DateTo = day(2024, 3, 31);
    department->CategoryType = u"Invoice"_s;
    department->CategoryClass = u"Outbound"_s;
    department->CategoryStatus = u"RequestsMySignature"_s;
    department->DocumentsCount = 42;

    auto nameOnly = request(u"org1"_s);
    nameOnly->DepartmentName = u"Без идентификатора"_s;
    nameOnly->DateFrom = day(2024, 3, 5);
    nameOnly->DateTo = day(2024, 3, 5);

    auto noDates = request(u"org1"_s);
    noDates->CategoryClass = u"Unknown"_s;

    auto oneDate = request(u"org1"_s);
    oneDate->DateTo = day(2024, 2, 29);

    source.executedList = {department, nameOnly, noDates, oneDate};

    ASSERT_EQ(run(), QString());

    auto& executed = sheet(u"Запросы списков Выполнены"_s);
    const QStringList rows[] = {
        {u"ПАО Лютик, Склад"_s, u"01.03.2024 - 31.03.2024"_s, u"Счет-фактура"_s, u"Исходящий"_s,
         u"документ, по которому контрагент запросил подпись"_s, u"42"_s},
        {u"ООО Ромашка"_s, u"05.03.2024"_s, u"Любой"_s, u"Входящий"_s, u"любой"_s, u"-1"_s},
        {u"ООО Ромашка"_s, QString(), u"Любой"_s, QString(), u"любой"_s, u"-1"_s},
        {u"ООО Ромашка"_s, u"30.12.1899 - 29.02.2024"_s, u"Любой"_s, u"Входящий"_s, u"любой"_s, u"-1"_s},
    };
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
        for (int column = 1; column <= 6; ++column) {
            SCOPED_TRACE(testing::Message() << "row " << i + 2 << " column " << column);
            EXPECT_EQ(text(executed, i + 2, column), rows[i][column - 1]);
        }
    }
    // A count written into a text column stays a text.
    EXPECT_TRUE(std::holds_alternative<QString>(executed.Cells(2, 6).Value()));
}

TEST_F(ExcelProtocolTest, RetryRequestsShowTheirErrorFieldsOrNothing)
{
    auto none = request();
    auto descriptionOnly = request();
    descriptionOnly->ErrorDescription = u"Нет связи"_s;
    auto all = request();
    all->ErrorNumber = u"-2147467259"_s;
    all->ErrorDescription = u"Сбой"_s;
    all->ErrorSource = u"DiadocClient"_s;
    all->ErrorPlace = u"AsyncTasks.Start"_s;
    source.tasksSecondaryQueue = {none, descriptionOnly, all};
    auto executing = request();
    executing->LastErrorDescription = u"  Превышено время ожидания "_s;
    source.executingList = {executing};

    ASSERT_EQ(run(), QString());

    auto& retry = sheet(u"Запросы списков На повтор"_s);
    EXPECT_EQ(text(retry, 2, 6), QString());
    EXPECT_EQ(text(retry, 3, 6), u"| Нет связи |  |"_s);
    EXPECT_EQ(text(retry, 4, 6), u"-2147467259 | Сбой | DiadocClient | AsyncTasks.Start"_s);
    EXPECT_EQ(text(sheet(u"Запросы списков Выполненяются"_s), 2, 6), u"Превышено время ожидания"_s);
}

// Only blanks are trimmed: a line break or a tab at either end of a text stays in the cell.
TEST_F(ExcelProtocolTest, CellsLoseTheirBlanksOnlyNotLineBreaksOrTabs)
{
    fillEveryList();
    source.ignoredList[0]->ErrorDescription = u" Документооборот не завершен\r\n "_s;
    source.ignoredList[0]->Counteragent = u"\tАО Лютик "_s;
    source.docsSecondaryQueue[0]->ErrorDescription = u"Таймаут\r\n"_s;
    source.unloadingList[0]->LastErrorDescription = u"\tСбой сети"_s;
    auto executing = request();
    executing->LastErrorDescription = u" Превышено время ожидания\r\n"_s;
    source.executingList = {executing};

    ASSERT_EQ(run(), QString());

    auto& ignored = sheet(u"Не выгружены"_s);
    EXPECT_EQ(text(ignored, 2, 10), u"Документооборот не завершен\r\n"_s);
    EXPECT_EQ(text(ignored, 2, 9), u"\tАО Лютик"_s);
    EXPECT_EQ(text(sheet(u"Документы На повтор попытки"_s), 2, 10), u"Таймаут\r\n"_s);
    EXPECT_EQ(text(sheet(u"Документы Выгружаются"_s), 2, 10), u"\tСбой сети"_s);
    EXPECT_EQ(text(sheet(u"Запросы списков Выполненяются"_s), 2, 6), u"Превышено время ожидания\r\n"_s);
}

} // namespace
