#pragma once

#include <memory>
#include <utility>

#include <QDir>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FakeDiadoc.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "engine/ExcelProtocol.h"
#include "engine/ProtocolSource.h"
#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "support/ScriptedUiServices.h"

namespace exceltest {

using namespace Qt::StringLiterals;

// Records the writer's begin, step and end events; answers a cancel at the chosen step.
class RecordingProgress final : public engine::ProtocolProgress
{
public:
    void OnBegin() override { events.append(u"begin"_s); }
    void StepChange(int StepCount, int NumberStep, bool& rCancel) override
    {
        events.append(u"step"_s);
        steps.append({StepCount, NumberStep});
        if (NumberStep == cancelAtStep)
            rCancel = true;
    }
    void OnEnd() override { events.append(u"end"_s); }

    QStringList events;
    QList<std::pair<int, int>> steps; // StepCount, NumberStep
    int cancelAtStep = 0;
};

// A run's protocol inputs built by hand: two organisations (one with departments), a workbook with
// the three named sheets, a summary of four rows and an unload folder on disk.
class ProtocolRun
{
public:
    ProtocolRun()
    {
        platform::excel::ApplicationOptions options;
        options.tempPath = m_dir.path();
        m_app = std::make_unique<platform::excel::Application>(options);
        m_app->setSheetsInNewWorkbook(3);
        book = &m_app->Workbooks().Add();
        book->Sheets().Item(1).setName(u"Итоги"_s);
        book->Sheets().Item(2).setName(u"Выгружены"_s);
        book->Sheets().Item(3).setName(u"Не выгружены"_s);

        QDir(m_dir.path()).mkpath(u"unload/Ромашка/2024"_s);
        base = m_dir.path() + u"/unload/"_s;
        source.path = base;
        source.persons = &persons;
        addPerson(u"org1"_s, u"  ООО Ромашка "_s, false);
        addPerson(u"org2"_s, u"ПАО Лютик"_s, true);

        summary = {
            {u"Протокол выгрузки документов из Диадок от "_s, u"2024.03.05 10:00:00"_s},
            {u"Программа:"_s, u"Фетчлинг"_s},
            {u"Запрошены документы по датам:"_s, u"с 01.03.2024 по 31.03.2024"_s},
            {u"Путь выгрузки:"_s, base},
        };
    }

    // Replaces the workbook by a new one with the given number of sheets, the first named "Итоги".
    void useBookWithSheets(int count)
    {
        m_app->setSheetsInNewWorkbook(count);
        book = &m_app->Workbooks().Add();
        book->Sheets().Item(1).setName(u"Итоги"_s);
    }

    std::shared_ptr<diadoc::PersonRecord> addPerson(const QString& key, const QString& name, bool children)
    {
        auto organization = std::make_shared<fakediadoc::FakeOrganization>();
        organization->types = {{u"Nonformalized"_s, u"Неформализованный"_s}, {u"Invoice"_s, u"Счет-фактура"_s}};
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->DiadocOrganization = organization;
        person->Name = name;
        person->IsChildren = children;
        persons.Add(person, key);
        return person;
    }

    static std::shared_ptr<diadoc::AsyncDocRecord> document(const QString& id, const QString& org = u"org1"_s)
    {
        auto record = std::make_shared<diadoc::AsyncDocRecord>();
        record->KeyОрганизацииВКоллекции = org;
        record->DocumentId = id;
        record->DocumentName = u"Документ "_s + id;
        record->TypeNamedId = u"Nonformalized"_s;
        record->Direction = u"Inbound"_s;
        record->Counteragent = u"7701000001-770101001 | АО Василёк"_s;
        record->Timestamp = u"05.03.2024 10:15:00"_s;
        record->DocumentDate = u"04.03.2024"_s;
        record->DocumentNumber = u"00123"_s;
        record->PathURL = u"/Box/Document?id="_s + id;
        return record;
    }

    static std::shared_ptr<diadoc::AsyncTskRecord> request(const QString& org = u"org1"_s)
    {
        auto record = std::make_shared<diadoc::AsyncTskRecord>();
        record->KeyОрганизацииВКоллекции = org;
        record->CategoryType = u"Any"_s;
        record->CategoryClass = u"Inbound"_s;
        return record;
    }

    // One record in every list of both queues.
    void fillEveryList()
    {
        source.unloadedList = {document(u"u1"_s)};
        source.ignoredList = {document(u"i1"_s)};
        source.docsMainQueue = {document(u"m1"_s)};
        source.docsSecondaryQueue = {document(u"s1"_s)};
        source.unloadingList = {document(u"l1"_s)};
        source.executedList = {request()};
        source.executingList = {request()};
        source.tasksSecondaryQueue = {request()};
        source.tasksMainQueue = {request()};
    }

    QString run()
    {
        engine::ExcelProtocol writer(source, progress);
        return writer.WriteProtocolExcel(*book, summary);
    }

    platform::excel::Worksheet& sheet(const QString& name) { return book->Sheets().Item(name); }

    QStringList sheetNames() const
    {
        QStringList names;
        for (int i = 1; i <= book->Sheets().Count(); ++i)
            names.append(book->Sheets().Item(i).Name());
        return names;
    }

    // The cell as text: a text as it stands, a number in its shortest form, nothing as "".
    static QString text(platform::excel::Worksheet& target, int row, int column)
    {
        const platform::excel::CellValue value = target.Cells(row, column).Value();
        if (const auto* s = std::get_if<QString>(&value))
            return *s;
        if (const auto* number = std::get_if<double>(&value))
            return QString::number(*number, 'g', 15);
        return {};
    }

    // The headers of row 1, up to the first empty cell.
    static QStringList headers(platform::excel::Worksheet& target)
    {
        QStringList result;
        for (int column = 1; !text(target, 1, column).isEmpty(); ++column)
            result.append(text(target, 1, column));
        return result;
    }

    // The last column of any row that holds a value.
    static int usedColumns(const platform::excel::Worksheet& target)
    {
        int last = 0;
        for (const auto& [row, cells] : target.rows()) {
            if (!cells.empty())
                last = std::max(last, cells.back().first);
        }
        return last;
    }

    QTemporaryDir m_dir;
    testsupport::ScriptedUiServices ui;
    std::unique_ptr<platform::excel::Application> m_app;
    platform::excel::Workbook* book = nullptr;
    engine::PersonsCollection persons;
    engine::ProtocolSource source;
    engine::SummaryRows summary;
    RecordingProgress progress;
    QString base;
};

class ExcelProtocolTest : public ::testing::Test, public ProtocolRun
{
};

} // namespace exceltest
