#include "XlsxRenderer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <vector>

#include <locale.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include "Application.h"
#include "ExcelError.h"
#include "R1C1Formula.h"
#include "ScratchSpace.h"
#include "SheetLinks.h"
#include "Sheets.h"
#include "Workbook.h"
#include "Worksheet.h"
#include "XlsxPackageLinks.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/LinkAddress.h"
#include "base/PrintableText.h"
#include "base/SystemErrorText.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

// The link style that adding a hyperlink gives a cell.
constexpr lxw_color_t kHyperlinkColour = 0x0563C1;
// Excel's limit on one text inside a formula.
constexpr qsizetype kMaxFormulaTextLength = 255;

[[noreturn]] void raiseDiskFull()
{
    throw core::Error(core::failure::kDiskFullNumber, QString::fromUtf16(core::failure::kDiskFull));
}

bool isDiskFull(int errorNumber, const QString& errorText)
{
    if (errorNumber == ENOSPC || errorNumber == EDQUOT)
        return true;
    return errorText == core::systemErrorText(ENOSPC);
}

[[noreturn]] void raiseWriteFailure(const QString& fileName, int errorNumber, const QString& detail)
{
    if (isDiskFull(errorNumber, detail))
        raiseDiskFull();
    throw core::Error(core::failure::kPathFileAccessNumber, QString::fromUtf16(core::failure::kFileWriteError),
                      fileName + (detail.isEmpty() ? QString() : u": "_s + detail));
}

void check(lxw_error result)
{
    if (result == LXW_NO_ERROR)
        return;
    if (result == LXW_ERROR_MEMORY_MALLOC_FAILED)
        throw std::bad_alloc();
    error::raise(error::kApplicationDefined, QString::fromUtf8(lxw_strerror(result)));
}

uint8_t horizontalAlignment(XlHAlign alignment)
{
    switch (alignment) {
    case XlHAlign::Left:
        return LXW_ALIGN_LEFT;
    case XlHAlign::Center:
        return LXW_ALIGN_CENTER;
    case XlHAlign::Right:
        return LXW_ALIGN_RIGHT;
    case XlHAlign::Fill:
        return LXW_ALIGN_FILL;
    case XlHAlign::Justify:
        return LXW_ALIGN_JUSTIFY;
    case XlHAlign::CenterAcrossSelection:
        return LXW_ALIGN_CENTER_ACROSS;
    case XlHAlign::Distributed:
        return LXW_ALIGN_DISTRIBUTED;
    case XlHAlign::General:
        break;
    }
    return LXW_ALIGN_NONE;
}

uint8_t verticalAlignment(XlVAlign alignment)
{
    switch (alignment) {
    case XlVAlign::Top:
        return LXW_ALIGN_VERTICAL_TOP;
    case XlVAlign::Center:
        return LXW_ALIGN_VERTICAL_CENTER;
    case XlVAlign::Justify:
        return LXW_ALIGN_VERTICAL_JUSTIFY;
    case XlVAlign::Distributed:
        return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    case XlVAlign::Bottom:
        break;
    }
    return LXW_ALIGN_NONE;
}

// libxlsxwriter's address forms: web and mail addresses, "#Sheet!A1" inside the workbook,
// anything else a file. An address outside the workbook goes into the relationships part, which
// takes no control character and folds a line end: it is percent-encoded as a shortcut holds it.
QByteArray linkTarget(const QString& address)
{
    if (address.startsWith(u"internal:"_s, Qt::CaseInsensitive))
        return address.toUtf8();
    if (address.startsWith(u'#'))
        return (u"internal:"_s + address.mid(1)).toUtf8();
    static const QString schemes[] = {u"http://"_s, u"https://"_s, u"ftp://"_s, u"mailto:"_s, u"external:"_s};
    for (const QString& scheme : schemes) {
        if (address.startsWith(scheme, Qt::CaseInsensitive))
            return core::LinkAddress::encoded(address).toUtf8();
    }
    return (u"external:"_s + core::LinkAddress::encoded(address)).toUtf8();
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// A workbook's text holds a character as "_xHHHH_" (libxlsxwriter writes control characters so):
// a text that itself holds such a sequence gets its "_" written as "_x005F_", or a reader would
// show the character the sequence names instead of the sequence.
QString withLiteralEscapes(const QString& text)
{
    qsizetype at = text.indexOf(u"_x"_s);
    if (at < 0)
        return text;
    QString result;
    qsizetype copied = 0;
    for (; at >= 0; at = text.indexOf(u"_x"_s, at + 1)) {
        if (at + 6 >= text.size() || text.at(at + 6) != u'_')
            continue;
        const QStringView digits = QStringView(text).sliced(at + 2, 4);
        if (!std::all_of(digits.begin(), digits.end(), isHexDigit))
            continue;
        result += QStringView(text).sliced(copied, at - copied);
        result += u"_x005F"_s;
        copied = at;
    }
    result += QStringView(text).sliced(copied);
    return result;
}

// A text as a cell can hold it: libxlsxwriter takes a zero-terminated text, so a NUL would cut the
// cell short, and other control characters are no text a reader expects to see.
QByteArray cellText(const QString& text)
{
    return withLiteralEscapes(core::PrintableText::cleaned(text)).toUtf8();
}

QString quotedFormulaText(const QString& text)
{
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString displayText(const CellValue& value)
{
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    if (const auto* number = std::get_if<double>(&value))
        return QString::number(*number, 'g', 15);
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? u"TRUE"_s : u"FALSE"_s;
    if (const auto* dateTime = std::get_if<QDateTime>(&value))
        return dateTime->toString(u"dd.MM.yyyy hh:mm:ss"_s);
    return {};
}

// The format objects of one render: one per distinct resolved format.
class FormatCache final
{
public:
    explicit FormatCache(lxw_workbook* workbook)
        : m_workbook(workbook)
    {
    }

    lxw_format* get(const CellFormat& format)
    {
        if (format.isDefault())
            return nullptr;
        const auto found = m_formats.find(format);
        if (found != m_formats.end())
            return found->second;
        return make(format);
    }

private:
    lxw_format* make(const CellFormat& format)
    {
        lxw_format* created = workbook_add_format(m_workbook);
        if (!created)
            throw std::bad_alloc();
        if (const uint8_t align = horizontalAlignment(format.horizontal); align != LXW_ALIGN_NONE)
            format_set_align(created, align);
        if (const uint8_t align = verticalAlignment(format.vertical); align != LXW_ALIGN_NONE)
            format_set_align(created, align);
        if (format.wrapText)
            format_set_text_wrap(created);
        if (format.bold)
            format_set_bold(created);
        if (format.numberFormat != QStringView(kGeneralFormat))
            format_set_num_format(created, format.numberFormat.toUtf8().constData());
        if (format.hyperlink) {
            format_set_underline(created, LXW_UNDERLINE_SINGLE);
            format_set_font_color(created, kHyperlinkColour);
        }
        m_formats.emplace(format, created);
        return created;
    }

    lxw_workbook* m_workbook;
    std::map<CellFormat, lxw_format*> m_formats;
};

// The formats of one sheet's cells: a column's cells mostly share one format, so the format last
// used in a column is tried before the workbook's formats are searched.
class ColumnFormats final
{
public:
    explicit ColumnFormats(FormatCache& formats)
        : m_formats(formats)
    {
    }

    lxw_format* get(int column, const CellFormat& format)
    {
        if (column < 1 || column > kRemembered)
            return m_formats.get(format);
        if (std::size_t(column) > m_last.size())
            m_last.resize(std::size_t(column));
        auto& last = m_last[std::size_t(column - 1)];
        if (!last || last->first != format)
            last.emplace(format, m_formats.get(format));
        return last->second;
    }
    lxw_format* get(const CellFormat& format) { return m_formats.get(format); }

private:
    static constexpr int kRemembered = 256;
    FormatCache& m_formats;
    std::vector<std::optional<std::pair<CellFormat, lxw_format*>>> m_last;
};

// Writes one sheet of the model, row by row in row order as constant-memory mode requires.
class SheetWriter final
{
public:
    // Links go to `ownLinks` when given, else to libxlsxwriter.
    SheetWriter(const Worksheet& sheet, lxw_worksheet* target, FormatCache& formats, SheetLinks* ownLinks)
        : m_sheet(sheet)
        , m_target(target)
        , m_formats(formats)
        , m_ownLinks(ownLinks)
    {
        for (const auto& [column, columnFormat] : m_sheet.columnFormats()) {
            if (!columnFormat.layer.isEmpty())
                m_formattedColumns.push_back(column);
        }
    }

    void write()
    {
        writeColumns();
        m_sheet.forEachRow([this](int row, const SheetRow& data) { writeRow(row, data); });
    }

private:
    void writeColumns()
    {
        for (const auto& [column, columnFormat] : m_sheet.columnFormats()) {
            const CellFormat format = resolveFormat(&columnFormat.layer, nullptr, nullptr);
            const lxw_col_t index = static_cast<lxw_col_t>(column - 1);
            check(worksheet_set_column(m_target, index, index, columnFormat.width.value_or(LXW_DEF_COL_WIDTH),
                                       m_formats.get(format)));
        }
    }

    void writeRow(int row, const SheetRow& data)
    {
        const FormatLayer* rowLayer = data.formatted && !data.layer.isEmpty() ? &data.layer : nullptr;
        const lxw_row_t rowIndex = static_cast<lxw_row_t>(row - 1);
        if (data.formatted) {
            const CellFormat format = resolveFormat(nullptr, rowLayer, nullptr);
            check(
                worksheet_set_row(m_target, rowIndex, data.height.value_or(LXW_DEF_ROW_HEIGHT), m_formats.get(format)));
        }

        // Every column of the row that shows something: its cells, its formatted cells and, under a
        // row format, the formatted columns whose format meets the row's.
        m_columns.clear();
        for (const auto& cell : data.cells)
            m_columns.push_back(cell.first);
        for (const auto& cellFormat : data.cellFormats)
            m_columns.push_back(cellFormat.first);
        if (rowLayer)
            m_columns.insert(m_columns.end(), m_formattedColumns.begin(), m_formattedColumns.end());
        std::sort(m_columns.begin(), m_columns.end());
        m_columns.erase(std::unique(m_columns.begin(), m_columns.end()), m_columns.end());

        const auto& columnFormats = m_sheet.columnFormats();
        for (const int column : m_columns) {
            const auto columnIt = columnFormats.find(column);
            const FormatLayer* columnLayer = columnIt != columnFormats.end() ? &columnIt->second.layer : nullptr;
            const FormatLayer* cellLayer = SheetRow::find(data.cellFormats, column);
            const CellFormat format = resolveFormat(columnLayer, rowLayer, cellLayer);
            const CellValue* value = SheetRow::find(data.cells, column);
            const lxw_col_t columnIndex = static_cast<lxw_col_t>(column - 1);
            if (!value || std::holds_alternative<Empty>(*value)) {
                // An empty cell shows its row's format, or else its column's: write it only when it differs.
                const CellFormat shown =
                    rowLayer ? resolveFormat(nullptr, rowLayer, nullptr) : resolveFormat(columnLayer, nullptr, nullptr);
                if (format != shown)
                    check(worksheet_write_blank(m_target, rowIndex, columnIndex, m_formats.get(column, format)));
                continue;
            }
            if (const QString* link = SheetRow::find(data.links, column))
                writeLinkedCell(row, column, *value, format, *link);
            else
                writeValue(row, column, *value, format);
        }
    }

    void writeValue(int row, int column, const CellValue& value, const CellFormat& format)
    {
        const lxw_row_t r = static_cast<lxw_row_t>(row - 1);
        const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
        // One branch for each kind of value; they only look alike. NOLINTNEXTLINE(bugprone-branch-clone)
        if (const auto* text = std::get_if<QString>(&value)) {
            check(worksheet_write_string(m_target, r, c, cellText(*text).constData(), m_formats.get(column, format)));
        } else if (const auto* number = std::get_if<double>(&value)) {
            check(worksheet_write_number(m_target, r, c, *number, m_formats.get(column, format)));
        } else if (const auto* flag = std::get_if<bool>(&value)) {
            check(worksheet_write_boolean(m_target, r, c, *flag ? 1 : 0, m_formats.get(column, format)));
        } else if (const auto* dateTime = std::get_if<QDateTime>(&value)) {
            writeDateTime(r, c, *dateTime, format);
        } else if (const auto* formula = std::get_if<Formula>(&value)) {
            const std::optional<QString> a1 = r1c1ToA1(formula->r1c1, row, column);
            if (a1)
                check(worksheet_write_formula(m_target, r, c, a1->toUtf8().constData(), m_formats.get(column, format)));
            else
                check(worksheet_write_string(m_target, r, c, cellText(formula->r1c1).constData(),
                                             m_formats.get(column, format)));
        }
    }

    void writeDateTime(lxw_row_t r, lxw_col_t c, const QDateTime& dateTime, CellFormat format)
    {
        const QDate date = dateTime.date();
        const QTime time = dateTime.time();
        if (date.year() < 1900 || date.year() > 9999) {
            // Outside the spreadsheet's calendar: kept readable as text.
            const QString text = dateTime.toString(u"dd.MM.yyyy hh:mm:ss"_s);
            check(worksheet_write_string(m_target, r, c, text.toUtf8().constData(), m_formats.get(int(c) + 1, format)));
            return;
        }
        if (format.numberFormat == QStringView(kGeneralFormat))
            format.numberFormat = time == QTime(0, 0) ? u"dd.mm.yyyy"_s : u"dd.mm.yyyy hh:mm:ss"_s;
        lxw_datetime value{date.year(), date.month(),  date.day(),
                           time.hour(), time.minute(), time.second() + time.msec() / 1000.0};
        check(worksheet_write_datetime(m_target, r, c, &value, m_formats.get(int(c) + 1, format)));
    }

    void writeLinkedCell(int row, int column, const CellValue& value, const CellFormat& format, const QString& address)
    {
        const lxw_row_t r = static_cast<lxw_row_t>(row - 1);
        const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
        const QString text = core::PrintableText::cleaned(displayText(value));
        if (m_ownLinks && m_links < LXW_MAX_NUMBER_URLS) {
            m_ownLinks->add(row, column, address);
            ++m_links;
            writeValue(row, column, value, format);
            return;
        }
        if (!m_ownLinks && m_links < LXW_MAX_NUMBER_URLS) {
            const lxw_error result =
                worksheet_write_url_opt(m_target, r, c, linkTarget(address).constData(), m_formats.get(column, format),
                                        cellText(text).constData(), nullptr);
            if (result == LXW_NO_ERROR) {
                ++m_links;
                if (!std::holds_alternative<QString>(value))
                    writeValue(row, column, value, format);
                return;
            }
            if (result == LXW_ERROR_MEMORY_MALLOC_FAILED)
                throw std::bad_alloc();
        }
        // Past the sheet's link limit (or refused as a link): a HYPERLINK formula still opens the
        // address; texts too long for a formula leave the plain value.
        if (const QString target = core::LinkAddress::encoded(address);
            target.size() <= kMaxFormulaTextLength && text.size() <= kMaxFormulaTextLength) {
            const QString formula =
                u"=HYPERLINK("_s + quotedFormulaText(target) + u',' + quotedFormulaText(text) + u')';
            check(worksheet_write_formula_str(m_target, r, c, formula.toUtf8().constData(),
                                              m_formats.get(column, format), cellText(text).constData()));
            return;
        }
        writeValue(row, column, value, format);
    }

    const Worksheet& m_sheet;
    lxw_worksheet* m_target;
    ColumnFormats m_formats;
    SheetLinks* m_ownLinks = nullptr;
    std::vector<int> m_formattedColumns;
    std::vector<int> m_columns;
    int m_links = 0;
};

struct WorkbookCloser
{
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};

// libxlsxwriter prints numbers with printf, which takes the decimal mark from the C locale: under
// Russian settings a cell would read "3,25". While a workbook is rendered, this thread formats
// numbers the C way; every other category of the locale stays.
class CNumbersOnThisThread final
{
public:
    CNumbersOnThisThread()
    {
        if (const locale_t current = duplocale(LC_GLOBAL_LOCALE)) {
            m_locale = newlocale(LC_NUMERIC_MASK, "C", current);
            if (!m_locale)
                freelocale(current);
        }
        if (m_locale)
            m_previous = uselocale(m_locale);
    }
    ~CNumbersOnThisThread()
    {
        if (!m_locale)
            return;
        uselocale(m_previous);
        freelocale(m_locale);
    }
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
    locale_t m_locale = nullptr;
    locale_t m_previous = nullptr;
};

} // namespace

XlsxRenderer::XlsxRenderer(Workbook& workbook, int ownLinksFrom)
    : m_workbook(workbook)
    , m_ownLinksFrom(ownLinksFrom)
{
}

void XlsxRenderer::save(const QString& fileName) const
{
    const ScratchSpace scratch(m_workbook.Application().options().tempPath);
    scratch.removeLeftovers();
    errno = 0;
    QTemporaryDir folder(scratch.nameTemplate(u"xlsx"));
    if (!folder.isValid())
        raiseWriteFailure(scratch.folder(), errno, folder.errorString());
    const QString rendered = folder.filePath(u"workbook.xlsx"_s);
    render(rendered, folder.path());
    copyFile(rendered, fileName);
}

void XlsxRenderer::render(const QString& path, const QString& tempFolder) const
{
    const CNumbersOnThisThread numbers;
    QByteArray tempFolderName = QFile::encodeName(tempFolder);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tempFolderName.data();
    errno = 0;
    std::unique_ptr<lxw_workbook, WorkbookCloser> target(
        workbook_new_opt(QFile::encodeName(path).constData(), &options));
    if (!target)
        raiseWriteFailure(path, errno, {});

    FormatCache formats(target.get());
    std::vector<std::unique_ptr<SheetLinks>> keptLinks;
    std::vector<const SheetLinks*> ownLinks;
    Sheets& sheets = m_workbook.Sheets();
    for (int index = 1; index <= sheets.Count(); ++index) {
        const Worksheet& sheet = sheets.Item(index);
        lxw_worksheet* written = workbook_add_worksheet(target.get(), sheet.Name().toUtf8().constData());
        if (!written)
            error::raise(error::kApplicationDefined, QString::fromUtf16(error::kInvalidSheetNameText));
        if (sheet.frozenRows() > 0 || sheet.frozenColumns() > 0) {
            worksheet_freeze_panes(written, static_cast<lxw_row_t>(sheet.frozenRows()),
                                   static_cast<lxw_col_t>(sheet.frozenColumns()));
        }
        if (const auto [row, column] = sheet.selection(); row != 1 || column != 1) {
            const lxw_row_t r = static_cast<lxw_row_t>(row - 1);
            const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
            worksheet_set_selection(written, r, c, r, c);
        }
        if (m_workbook.activeSheet() == &sheet)
            worksheet_activate(written);
        std::unique_ptr<SheetLinks> links;
        if (sheet.hyperlinkCount() >= m_ownLinksFrom && sheet.unusualHyperlinkCount() == 0) {
            links = std::make_unique<SheetLinks>(tempFolder, index);
            ownLinks.push_back(links.get());
        }
        SheetWriter(sheet, written, formats, links.get()).write();
        if (links) {
            links->finish();
            keptLinks.push_back(std::move(links));
        }
    }

    errno = 0;
    const lxw_error result = workbook_close(target.release());
    if (result == LXW_ERROR_MEMORY_MALLOC_FAILED)
        throw std::bad_alloc();
    if (result != LXW_NO_ERROR)
        raiseWriteFailure(path, errno, QString::fromUtf8(lxw_strerror(result)));
    if (!ownLinks.empty())
        XlsxPackageLinks::insert(path, tempFolder, ownLinks);
}

void XlsxRenderer::copyFile(const QString& source, const QString& destination)
{
    const QFileInfo target(destination);
    if (QFileInfo(source).absoluteFilePath() == target.absoluteFilePath())
        return;
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        raiseWriteFailure(source, 0, input.errorString());

    // A regular file is replaced only once the copy is complete; a device such as /dev/null is
    // written in place.
    std::unique_ptr<QFileDevice> output;
    if (target.exists() && !target.isFile() && !target.isDir())
        output = std::make_unique<QFile>(destination);
    else
        output = std::make_unique<QSaveFile>(destination);
    errno = 0;
    if (!output->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        raiseWriteFailure(destination, errno, output->errorString());

    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 read = input.read(chunk.data(), chunk.size());
        if (read < 0)
            raiseWriteFailure(source, 0, input.errorString());
        if (read == 0)
            break;
        errno = 0;
        if (output->write(chunk.constData(), read) != read)
            raiseWriteFailure(destination, errno, output->errorString());
    }
    errno = 0;
    // A saved file is committed, any other device flushed: the branches only look alike.
    if (auto* saveFile = dynamic_cast<QSaveFile*>(output.get())) { // NOLINT(bugprone-branch-clone)
        if (!saveFile->commit())
            raiseWriteFailure(destination, errno, saveFile->errorString());
    } else if (!output->flush() || output->error() != QFileDevice::NoError) {
        raiseWriteFailure(destination, errno, output->errorString());
    }
}

} // namespace platform::excel
