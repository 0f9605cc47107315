#include <benchmark/benchmark.h>

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/excel/Application.h"
#include "platform/excel/Font.h"
#include "platform/excel/Hyperlinks.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"

using namespace Qt::StringLiterals;
using namespace platform::excel;

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

// Fills an unloaded-documents sheet the way the protocol writer does (row formats, eleven text
// columns, a link per row) and saves it.
void fillAndSaveProtocolSheet(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    constexpr int kColumns = 11;
    QTemporaryDir dir;
    for (auto _ : state) {
        ApplicationOptions options;
        options.tempPath = dir.path();
        Application app(options);
        Workbook& book = app.Workbooks().Add();
        Worksheet& sheet = book.ActiveSheet();
        for (int column = 1; column <= kColumns; ++column) {
            sheet.Cells(1, column).setValue(u"Заголовок\r\nстолбца "_s + QString::number(column));
            sheet.Columns(column).setColumnWidth(20);
            sheet.Columns(column).setNumberFormat(u"@"_s);
        }
        sheet.Rows(1).Font().setBold(true);
        for (int row = 2; row <= rows + 1; ++row) {
            sheet.Rows(row).setWrapText(true);
            sheet.Rows(row).setRowHeight(30);
            sheet.Rows(row).setVerticalAlignment(XlVAlign::Center);
            for (int column = 1; column < kColumns; ++column)
                sheet.Cells(row, column).setValue(u"Документ № "_s + QString::number(row * 100 + column));
            sheet.Cells(row, kColumns).setValue(u"doc-"_s + QString::number(row));
            sheet.Hyperlinks().Add(sheet.Cells(row, kColumns),
                                   u"https://diadoc.example/Box/Document?id=doc-"_s + QString::number(row));
        }
        std::printf("model filled: VmHWM=%ld KiB\n", peakResidentKib());
        book.SaveAs(QDir(dir.path()).filePath(u"protocol.xlsx"_s));
        book.Close(false);
    }
    state.counters["rows"] = rows;
    state.counters["peak_rss_MiB"] = static_cast<double>(peakResidentKib()) / 1024.0;
    std::printf("rows=%d peak VmHWM=%ld KiB\n", rows, peakResidentKib());
}

BENCHMARK(fillAndSaveProtocolSheet)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
