#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakeDiadoc.h"
#include "core/UiServices.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "engine/ExcelProtocol.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"

using namespace Qt::StringLiterals;

namespace {

// Peak resident memory of the process so far, in KiB, from /proc/self/status.
long peakResidentKib()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// No person watches a benchmark: every box takes its default answer.
class SilentUi final : public core::UiServices
{
public:
    bool isUnattended() const override { return true; }
    int msgBox(const QString&, int, const QString&) override { return 1; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    core::MousePointer mousePointer() const override { return core::MousePointer::Default; }
    void setMousePointer(core::MousePointer) override {}
    void processEvents() override {}
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return nullptr; }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return nullptr; }
};

// Fills the protocol of a run with the given number of unloaded documents (a tenth of that number
// also ignored, and a request per hundred documents) and saves it.
void writeProtocolWorkbook(benchmark::State& state)
{
    const int documents = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    SilentUi ui;
    engine::PersonsCollection persons;
    for (int i = 0; i < 20; ++i) {
        auto organization = std::make_shared<fakediadoc::FakeOrganization>();
        organization->types = {{u"Nonformalized"_s, u"Неформализованный"_s}, {u"Invoice"_s, u"Счет-фактура"_s}};
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->DiadocOrganization = organization;
        person->Name = u"ООО Организация "_s + QString::number(i);
        person->IsChildren = i % 5 == 0;
        persons.Add(person, u"org"_s + QString::number(i));
    }
    engine::ProtocolSource source;
    source.path = dir.path() + u"/"_s;
    source.persons = &persons;
    const auto makeDocument = [&](int i) {
        auto record = std::make_shared<diadoc::AsyncDocRecord>();
        record->KeyОрганизацииВКоллекции = u"org"_s + QString::number(i % 20);
        record->DocumentId = QString::number(i) + u"-7c1e-4b8a-9f1d-document"_s;
        record->DocumentName = u"Счет-фактура № "_s + QString::number(i);
        record->TypeNamedId = i % 2 ? u"Invoice"_s : u"Nonformalized"_s;
        record->Direction = i % 3 ? u"Inbound"_s : u"Outbound"_s;
        record->Counteragent =
            u"77010000"_s + QString::number(i % 300) + u"-770101001 | АО Контрагент "_s + QString::number(i % 300);
        record->Timestamp =
            u"%1.%2.2024 10:15:00"_s.arg(i % 28 + 1, 2, 10, QChar(u'0')).arg(i % 12 + 1, 2, 10, QChar(u'0'));
        record->DocumentDate = u"04.03.2024"_s;
        record->DocumentNumber = QString::number(i);
        record->Status = u"InboundWithRecipientSignature"_s;
        record->SenderSignatureStatus = u"SenderSignatureCheckedAndValid"_s;
        record->PathURL = u"/Box/Document?id="_s + record->DocumentId;
        record->PathForDownload = source.path;
        return record;
    };
    for (int i = 0; i < documents; ++i)
        source.unloadedList.append(makeDocument(i));
    for (int i = 0; i < documents / 10; ++i)
        source.ignoredList.append(makeDocument(i));
    for (int i = 0; i < documents / 100; ++i) {
        auto request = std::make_shared<diadoc::AsyncTskRecord>();
        request->KeyОрганизацииВКоллекции = u"org"_s + QString::number(i % 20);
        request->CategoryType = u"Any"_s;
        request->CategoryClass = u"Inbound"_s;
        request->DocumentsCount = 100;
        source.executedList.append(request);
    }
    const engine::SummaryRows summary{{u"Протокол:"_s, u"бенчмарк"_s},
                                      {u"Программа:"_s, u"Фетчлинг"_s},
                                      {u"Запрошены документы по датам:"_s, u"с 01.01.2024 по 31.12.2024"_s}};
    engine::ProtocolProgress progress;
    std::printf("records made: VmHWM=%ld KiB\n", peakResidentKib());

    for (auto _ : state) {
        platform::excel::ApplicationOptions options;
        options.tempPath = dir.path();
        platform::excel::Application app(options);
        app.setSheetsInNewWorkbook(3);
        platform::excel::Workbook& book = app.Workbooks().Add();
        book.Sheets().Item(1).setName(u"Итоги"_s);
        book.Sheets().Item(2).setName(u"Выгружены"_s);
        book.Sheets().Item(3).setName(u"Не выгружены"_s);

        const auto started = std::chrono::steady_clock::now();
        engine::ExcelProtocol writer(source, progress);
        const QString failure = writer.WriteProtocolExcel(book, summary);
        if (!failure.isEmpty())
            state.SkipWithError(failure.toStdString().c_str());
        const auto filled = std::chrono::steady_clock::now();
        std::printf(
            "workbook filled in %lld ms: VmHWM=%ld KiB\n",
            static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(filled - started).count()),
            peakResidentKib());
        book.Sheets().Item(1).Activate();
        book.SaveAs(QDir(dir.path()).filePath(u"protocol.xlsx"_s));
        std::printf("workbook saved in %lld ms\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - filled)
                            .count()));
        // FETCHLING_BENCH_OUTPUT keeps a copy of the workbook, to compare renderings.
        if (const QString keep = qEnvironmentVariable("FETCHLING_BENCH_OUTPUT"); !keep.isEmpty()) {
            QFile::remove(keep);
            QFile::copy(QDir(dir.path()).filePath(u"protocol.xlsx"_s), keep);
        }
        book.Close(false);
    }
    state.counters["documents"] = documents;
    state.counters["peak_rss_MiB"] = static_cast<double>(peakResidentKib()) / 1024.0;
    std::printf("documents=%d peak VmHWM=%ld KiB\n", documents, peakResidentKib());
}

BENCHMARK(writeProtocolWorkbook)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
