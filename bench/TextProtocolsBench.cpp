#include <benchmark/benchmark.h>

#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/UiServices.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"
#include "engine/CsvProtocol.h"
#include "engine/HtmlProtocol.h"
#include "platform/diadoc/SandboxOrganization.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kDocuments = 100000;

// No person is asked anything while a benchmark runs.
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
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return {}; }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return {}; }
};

// A run of kDocuments unloaded documents of one organisation in twenty existing folders.
struct Run
{
    Run()
    {
        platform::diadoc::OrganizationData organisation;
        organisation.id = u"box"_s;
        organisation.name = u"ООО «Ромашка»"_s;
        organisation.documentTypes = {{u"Invoice"_s, u"Счет-фактура"_s}, {u"Contract"_s, u"Договор"_s}};
        platform::diadoc::SandboxData data;
        data.organizations = {organisation};
        service = std::make_shared<platform::diadoc::SandboxService>(data, [] { return qint64{0}; });
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->Name = organisation.name;
        person->DiadocOrganization =
            std::make_shared<platform::diadoc::SandboxOrganization>(service, &service->data().organizations[0]);
        persons.Add(person, u"ORG_box"_s);

        source.path = dir.path() + u'/';
        source.persons = &persons;
        for (int i = 0; i < kDocuments; ++i) {
            auto doc = std::make_shared<diadoc::AsyncDocRecord>();
            doc->KeyОрганизацииВКоллекции = u"ORG_box"_s;
            doc->DocumentName = u"Счет-фактура № %1 от 04.09.2024 <копия>"_s.arg(i);
            doc->TypeNamedId = i % 2 ? u"Invoice"_s : u"Contract"_s;
            doc->Direction = u"Inbound"_s;
            doc->Timestamp = u"06.09.2024 10:32:23"_s;
            doc->DocumentDate = u"04.09.2024"_s;
            doc->DocumentNumber = QString::number(i);
            doc->Counteragent = u"500100732259 | ИП Смирнова Ольга Петровна"_s;
            doc->Status = i % 3 ? u"InboundFinished"_s : u"InboundNotFinished"_s;
            doc->SenderSignatureStatus = u"SenderSignatureCheckedAndValid"_s;
            doc->Path = source.path + u"Ромашка/2024-09/Папка %1/"_s.arg(i % 20);
            doc->PathForDownload = doc->Path;
            QDir().mkpath(doc->Path);
            source.unloadedList.append(doc);
        }
    }

    SilentUi ui;
    QTemporaryDir dir;
    std::shared_ptr<platform::diadoc::SandboxService> service;
    engine::PersonsCollection persons;
    engine::ProtocolSource source;
    engine::SummaryRows summary{{u"Протокол выгрузки документов из Диадок от"_s, u"2024.09.10 12.00.00"_s}};
    engine::ProtocolProgress progress;
};

Run& run()
{
    static Run theRun;
    return theRun;
}

qint64 sizeOf(const QString& path)
{
    return QFileInfo(path).size();
}

void htmlProtocol(benchmark::State& state)
{
    Run& r = run();
    const QString file = r.dir.path() + u"/protocol.htm"_s;
    for (auto _ : state) {
        engine::HtmlProtocol writer(r.source, r.summary, r.progress, r.ui);
        benchmark::DoNotOptimize(writer.write(file));
    }
    state.counters["bytes"] = static_cast<double>(sizeOf(file));
    state.SetBytesProcessed(state.iterations() * sizeOf(file));
}

void csvProtocol(benchmark::State& state)
{
    Run& r = run();
    const QString file = r.dir.path() + u"/protocol.csv"_s;
    for (auto _ : state) {
        engine::CsvProtocol writer(r.source, r.progress, r.ui);
        benchmark::DoNotOptimize(writer.write(file));
    }
    state.counters["bytes"] = static_cast<double>(sizeOf(file));
    state.SetBytesProcessed(state.iterations() * sizeOf(file));
}

// The same number of bytes written plainly, in rows of the protocol's size: the floor the writers
// are measured against.
void plainWrite(benchmark::State& state)
{
    Run& r = run();
    const qint64 total =
        state.range(0) == 0 ? sizeOf(r.dir.path() + u"/protocol.htm"_s) : sizeOf(r.dir.path() + u"/protocol.csv"_s);
    const QByteArray row(total / kDocuments + 1, 'x');
    const QString file = r.dir.path() + u"/plain.bin"_s;
    for (auto _ : state) {
        QFile out(file);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        for (qint64 written = 0; written < total; written += row.size())
            out.write(row.constData(), std::min<qint64>(row.size(), total - written));
        out.close();
    }
    state.counters["bytes"] = static_cast<double>(sizeOf(file));
    state.SetBytesProcessed(state.iterations() * sizeOf(file));
}

} // namespace

BENCHMARK(htmlProtocol)->Unit(benchmark::kMillisecond);
BENCHMARK(plainWrite)->Name("plainWrite/htmlBytes")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(csvProtocol)->Unit(benchmark::kMillisecond);
BENCHMARK(plainWrite)->Name("plainWrite/csvBytes")->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
