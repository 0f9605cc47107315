#include <deque>
#include <stdexcept>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/FakeDiadoc.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadocDocuments.h"
#include "mainwindow/QueueModels.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

const QString kOrg = u"box-romashka"_s;

// One organisation, named with blanks around, whose types the service gives.
struct Organisations
{
    Organisations()
    {
        auto organisation = std::make_shared<fakediadoc::FakeOrganization>();
        organisation->types = {{u"Contract"_s, u"Договор"_s}, {u"Nonformalized"_s, u"Неформализованный"_s}};
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->Name = u"  ООО «Ромашка» "_s;
        person->DiadocOrganization = organisation;
        persons.Add(person, kOrg);
    }
    testsupport::ScriptedUiServices ui;
    diadoc::PersonsCollection persons;
};

struct TaskCell
{
    const char* name;
    int column;
    const char16_t* tab;
    std::function<void(diadoc::AsyncTskRecord&)> fill;
    QString expected;
};

class TasksCells : public ::testing::TestWithParam<TaskCell>
{
};

TEST_P(TasksCells, ShowTheRequestsFieldsForTheTab)
{
    const TaskCell& c = GetParam();
    Organisations organisations;
    diadoc::AsyncTskRecord rec;
    rec.KeyОрганизацииВКоллекции = kOrg;
    c.fill(rec);
    EXPECT_EQ(TasksQueueModel::text(rec, c.column, QString::fromUtf16(c.tab), &organisations.persons), c.expected);
}

std::string taskCellName(const ::testing::TestParamInfo<TaskCell>& param)
{
    return param.param.name;
}

const auto noChange = [](auto&) {};

INSTANTIATE_TEST_SUITE_P(
    Columns, TasksCells,
    ::testing::Values(
        TaskCell{"DocumentsCount", 0, tabkey::kExecutedList, [](auto& r) { r.DocumentsCount = 17; }, u"17"_s},
        TaskCell{"ReasonOnTheSecondaryTab", 1, tabkey::kSecondaryQueue,
                 [](auto& r) {
                     r.ErrorNumber = u"-2147467259"_s;
                     r.ErrorDescription = u"Превышено время ожидания"_s;
                     r.ErrorSource = u"DiadocClient"_s;
                     r.ErrorPlace = u"ЗапуститьЗапрос"_s;
                 },
                 u"-2147467259 | Превышено время ожидания | DiadocClient | ЗапуститьЗапрос"_s},
        TaskCell{"NoReasonOnOtherTabs",
                 1,
                 tabkey::kMainQueue,
                 [](auto& r) { r.ErrorDescription = u"Превышено время ожидания"_s; },
                 {}},
        TaskCell{"OrganisationAsNamed", 2, tabkey::kMainQueue, noChange, u"  ООО «Ромашка» "_s},
        TaskCell{"OrganisationWithDepartment", 2, tabkey::kMainQueue,
                 [](auto& r) {
                     r.DepartmentId = u"dep-sklad"_s;
                     r.DepartmentName = u"Склад"_s;
                 },
                 u"ООО «Ромашка», Склад"_s},
        TaskCell{"DepartmentNameAloneAddsNothing", 2, tabkey::kMainQueue,
                 [](auto& r) { r.DepartmentName = u"Склад"_s; }, u"  ООО «Ромашка» "_s},
        TaskCell{"NoPeriod", 3, tabkey::kMainQueue, noChange, {}},
        TaskCell{"OneDay", 3, tabkey::kMainQueue,
                 [](auto& r) {
                     r.DateFrom = 45292;
                     r.DateTo = 45292;
                 },
                 u"01.01.2024"_s},
        TaskCell{"Period", 3, tabkey::kMainQueue,
                 [](auto& r) {
                     r.DateFrom = 45292;
                     r.DateTo = 45322;
                 },
                 u"01.01.2024 - 31.01.2024"_s},
        TaskCell{"TypeOfTheOrganisation", 4, tabkey::kMainQueue, [](auto& r) { r.CategoryType = u"Contract"_s; },
                 u"Договор"_s},
        TaskCell{"AnyType", 4, tabkey::kMainQueue, [](auto& r) { r.CategoryType = u"Any"_s; }, u"Любой"_s},
        TaskCell{"UnknownType", 4, tabkey::kMainQueue, [](auto& r) { r.CategoryType = u"Waybill"_s; }, u"ПРОЧИЕ"_s},
        TaskCell{"Class", 5, tabkey::kMainQueue, [](auto& r) { r.CategoryClass = u"Outbound"_s; }, u"Исходящий"_s},
        TaskCell{"AnyStatus", 6, tabkey::kMainQueue, noChange, u"любой"_s},
        TaskCell{"Status", 6, tabkey::kMainQueue, [](auto& r) { r.CategoryStatus = u"WaitingForRecipientSignature"_s; },
                 u"документ в ожидании ответной подписи"_s},
        TaskCell{"LastErrorWhileExecuting", 7, tabkey::kExecutingList,
                 [](auto& r) { r.LastErrorDescription = u"Сервер не ответил"_s; }, u"Сервер не ответил"_s},
        TaskCell{"NoLastErrorElsewhere",
                 7,
                 tabkey::kSecondaryQueue,
                 [](auto& r) { r.LastErrorDescription = u"Сервер не ответил"_s; },
                 {}},
        TaskCell{"BeyondTheLastColumn", 8, tabkey::kMainQueue, [](auto& r) { r.DocumentsCount = 3; }, {}}),
    taskCellName);

struct DocCell
{
    const char* name;
    int column;
    const char16_t* tab;
    std::function<void(diadoc::AsyncDocRecord&)> fill;
    QString expected;
};

class DocsCells : public ::testing::TestWithParam<DocCell>
{
};

TEST_P(DocsCells, ShowTheDocumentsFieldsForTheTab)
{
    const DocCell& c = GetParam();
    Organisations organisations;
    diadoc::AsyncDocRecord rec;
    rec.KeyОрганизацииВКоллекции = kOrg;
    c.fill(rec);
    EXPECT_EQ(DocsQueueModel::text(rec, c.column, QString::fromUtf16(c.tab), &organisations.persons), c.expected);
}

std::string docCellName(const ::testing::TestParamInfo<DocCell>& param)
{
    return param.param.name;
}

void failed(diadoc::AsyncDocRecord& r, bool withSource)
{
    r.ErrorNumber = u"61"_s;
    r.ErrorDescription = u"Disk full"_s;
    if (withSource)
        r.ErrorSource = u"mN7Files"_s;
    r.ErrorPlace = u"WriteFile"_s;
}

INSTANTIATE_TEST_SUITE_P(
    Columns, DocsCells,
    ::testing::Values(
        DocCell{"DocumentId", 0, tabkey::kMainQueue, [](auto& r) { r.DocumentId = u"4f1e-77"_s; }, u"4f1e-77"_s},
        DocCell{"ReasonOnTheSecondaryTab", 1, tabkey::kSecondaryQueue, [](auto& r) { failed(r, true); },
                u"61 | Disk full | mN7Files | WriteFile"_s},
        DocCell{"ReasonOnTheIgnoredTab", 1, tabkey::kIgnoredList, [](auto& r) { failed(r, true); },
                u"61 | Disk full | mN7Files"_s},
        DocCell{"ReasonWithoutSourceOnTheIgnoredTab", 1, tabkey::kIgnoredList, [](auto& r) { failed(r, false); },
                u"Disk full"_s},
        DocCell{"NoReasonElsewhere", 1, tabkey::kUnloadingList, [](auto& r) { failed(r, true); }, {}},
        DocCell{"Timestamp", 2, tabkey::kMainQueue, [](auto& r) { r.Timestamp = u"05.03.2024 10:00:00"_s; },
                u"05.03.2024 10:00:00"_s},
        DocCell{"NeverSent",
                2,
                tabkey::kMainQueue,
                [](auto& r) { r.Timestamp = diadoc::mDiadocDocuments::EmptyDateMarkerText(); },
                {}},
        DocCell{"OrganisationAsNamed", 3, tabkey::kMainQueue, [](auto& r) { r.DepartmentId = u"dep-sklad"_s; },
                u"  ООО «Ромашка» "_s},
        DocCell{"OrganisationWithDepartment", 3, tabkey::kMainQueue, [](auto& r) { r.DepartmentName = u"Склад"_s; },
                u"ООО «Ромашка», Склад"_s},
        DocCell{"DocumentDate", 4, tabkey::kMainQueue, [](auto& r) { r.DocumentDate = u"05.03.2024"_s; },
                u"05.03.2024"_s},
        DocCell{"Number", 5, tabkey::kMainQueue, [](auto& r) { r.DocumentNumber = u"А-17"_s; }, u"А-17"_s},
        DocCell{"Title", 6, tabkey::kMainQueue, [](auto& r) { r.DocumentName = u"Договор поставки"_s; },
                u"Договор поставки"_s},
        DocCell{"Type", 7, tabkey::kMainQueue, [](auto& r) { r.TypeNamedId = u"Nonformalized"_s; },
                u"Неформализованный"_s},
        DocCell{"Class", 8, tabkey::kMainQueue, [](auto& r) { r.Direction = u"Internal"_s; }, u"Внутренний"_s},
        DocCell{"StatusAndResponseOnTwoLines", 9, tabkey::kMainQueue,
                [](auto& r) {
                    r.TypeNamedId = u"Nonformalized"_s;
                    r.Status = u"InboundWaitingForRecipientSignature"_s;
                    r.RecipientResponseStatus = u"WaitingForRecipientSignature"_s;
                },
                u"ответная подпись, либо отказ от ее формирования еще не отправлены;\r\n"
                u"ожидается ответное действие получателя"_s},
        DocCell{"LastErrorWhileUnloading", 10, tabkey::kUnloadingList,
                [](auto& r) { r.LastErrorDescription = u"Сервер не ответил"_s; }, u"Сервер не ответил"_s},
        DocCell{"NoLastErrorElsewhere",
                10,
                tabkey::kUnloadedList,
                [](auto& r) { r.LastErrorDescription = u"Сервер не ответил"_s; },
                {}},
        DocCell{"BeyondTheLastColumn", 11, tabkey::kMainQueue, [](auto& r) { r.DocumentId = u"x"_s; }, {}}),
    docCellName);

TEST(DocsCellsTest, AnUnknownOrganisationIsAnErrorOfTheCell)
{
    Organisations organisations;
    diadoc::AsyncDocRecord rec;
    rec.KeyОрганизацииВКоллекции = u"box-nobody"_s;
    EXPECT_THROW(DocsQueueModel::text(rec, 3, u"MainQueue"_s, &organisations.persons), core::Error);
    EXPECT_THROW(DocsQueueModel::text(rec, 3, u"MainQueue"_s, nullptr), core::Error);
    EXPECT_EQ(DocsQueueModel::text(rec, 0, u"MainQueue"_s, nullptr), QString());
}

// A list of texts standing in for a queue's list; a text "!" cannot be shown.
class TextListModel final : public QueueTableModel
{
public:
    explicit TextListModel(CellLog log)
        : QueueTableModel({u"A"_s, u"B"_s}, std::move(log), nullptr)
    {
        setObjectName(u"theGridTest"_s);
    }
    int listCount() const override { return static_cast<int>(items.size()); }
    void show() { startShowing(u"MainQueue"_s); }
    std::deque<QString> items;

private:
    QString cellText(int row, int column) const override
    {
        const QString& item = items.at(static_cast<std::size_t>(row));
        if (item == u"!")
            throw std::runtime_error("no such organisation");
        return item + u':' + QString::number(column);
    }
};

class QueueRowsTest : public ::testing::Test
{
protected:
    QueueRowsTest() { model.show(); }

    QVariant cell(int row, int column) const { return model.data(model.index(row, column)); }

    QStringList log;
    TextListModel model{[this](const QString& line) { log.append(line); }};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(QueueRowsTest, RowsComeAndGoAtTheEndWhateverChangedInTheList)
{
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.items = {u"a"_s, u"b"_s, u"c"_s};
    model.setRowCount(3);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(cell(2, 1).toString(), u"c:1"_s);

    // "x" comes in at the front: one row more at the end, and the rows from the front on changed.
    model.items.push_front(u"x"_s);
    model.setRowCount(4);
    model.rowsChanged(0, 2);
    ASSERT_EQ(inserted.size(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 3);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(0, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(2, 1));
    EXPECT_EQ(cell(0, 0).toString(), u"x:0"_s);
    EXPECT_EQ(cell(3, 0).toString(), u"c:0"_s);

    // The first goes: the last row goes.
    model.items.pop_front();
    model.setRowCount(3);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 3);
    EXPECT_EQ(removed[0][2].toInt(), 3);
    model.setRowCount(3);
    EXPECT_EQ(removed.size(), 1) << "the same count signals nothing";
}

TEST_F(QueueRowsTest, ChangedRowsAreSignalledOnlyWhereRowsExist)
{
    model.items = {u"a"_s, u"b"_s};
    model.setRowCount(2);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.rowsChanged(1, 40);
    model.rowsChanged(2, 3);
    model.rowsChanged(-5, 0);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(1, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(1, 1));
    EXPECT_EQ(changed[1][1].toModelIndex(), model.index(0, 1));
}

TEST_F(QueueRowsTest, ARowBeyondTheListIsEmpty)
{
    model.items = {u"a"_s, u"b"_s, u"c"_s};
    model.setRowCount(3);
    model.items.pop_back();
    model.items.pop_back();
    EXPECT_EQ(model.rowCount(), 3) << "only the handlers set the count";
    EXPECT_EQ(cell(0, 0).toString(), u"a:0"_s);
    EXPECT_FALSE(cell(1, 0).isValid());
    EXPECT_FALSE(cell(2, 1).isValid());
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(QueueRowsTest, ACellThatCannotBeShownIsEmptyAndLoggedOnce)
{
    model.items = {u"!"_s, u"b"_s, u"!"_s};
    model.setRowCount(3);
    EXPECT_EQ(cell(0, 0).toString(), QString());
    EXPECT_EQ(cell(2, 1).toString(), QString());
    EXPECT_EQ(cell(1, 1).toString(), u"b:1"_s);
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log.front(), u"theGridTest: строка 1, столбец 0: no such organisation"_s);
    model.show();
    EXPECT_EQ(cell(0, 1).toString(), QString());
    EXPECT_EQ(log.size(), 2) << "a list shown anew logs its first failure again";
}

TEST_F(QueueRowsTest, TheGridsAreReadOnlyAndCaptionsChangeByColumn)
{
    model.items = {u"a"_s};
    model.setRowCount(1);
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    model.setColumnCaption(1, u"Причина невыгрузки"_s);
    model.setColumnCaption(1, u"Причина невыгрузки"_s);
    EXPECT_EQ(header.size(), 1);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), u"Причина невыгрузки"_s);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), u"A"_s);
}

} // namespace

} // namespace mainwindow::test
