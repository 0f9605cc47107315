#include "Protocols.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/Error.h"
#include "core/Clock.h"
#include "core/MsgBox.h"
#include "core/mFetchlingOptions.h"
#include "core/mOther.h"
#include "engine/Fetchling.h"
#include "engine/ProtocolTexts.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/zip/EntryName.h"
#include "run/Services.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {

const QString kCrLf = u"\r\n"_s;

// Saves the workbook as file, replacing a file of that name; false when it could not.
bool saveAs(platform::excel::Workbook& book, const QString& file)
{
    try {
        QFile::remove(file);
        book.SaveAs(file);
        return true;
    } catch (const core::Error&) {
        return false;
    }
}

// Every extension a protocol of the run may take: the three protocols of one run share one name.
const QStringList kExtensions = {QString::fromUtf16(engine::ProtocolTexts::kHtmlExtension), u".xlsx"_s, u".xls"_s,
                                 QString::fromUtf16(engine::ProtocolTexts::kCsvExtension)};

} // namespace

Protocols::Names::Names(const QString& folder, const QString& stem)
    : m_folder(folder)
    , m_stem(stem)
{
    // An earlier run of the same second left its protocols under the name: this run's take the
    // first free number, as a second content file of one name does.
    const auto taken = [this](int copy) {
        return std::any_of(kExtensions.cbegin(), kExtensions.cend(), [&](const QString& extension) {
            return QFileInfo::exists(m_folder + platform::zip::EntryName::numbered(m_stem + extension, copy));
        });
    };
    while (taken(m_copy))
        ++m_copy;
}

QString Protocols::Names::file(const QString& extension) const
{
    return m_folder + platform::zip::EntryName::numbered(m_stem + extension, m_copy);
}

Protocols::Protocols(const Services& services)
    : m_services(services)
{
}

Protocols::Written Protocols::write(engine::Fetchling& engine, const QString& fallbackFolder,
                                    const std::function<bool()>& excelWanted, const RowsOf& rows)
{
    const auto& options = m_services.options;
    Written written;
    written.folder = engine.Path().isEmpty() ? fallbackFolder : engine.Path();
    const Names names(written.folder, engine::ProtocolTexts::protocolBaseName(m_services.clock.currentDateTime()));
    // Each protocol shows every document's folder: the disk is asked about each folder once.
    engine::ProtocolFolders folders;
    if (options.Get_HtmlProtocol() != 0) {
        const QString file = names.file(QString::fromUtf16(engine::ProtocolTexts::kHtmlExtension));
        if (engine.WriteProtocolHtml(file, rows(u"html"_s), &folders))
            written.files.append(file);
        else
            written.failed.append(file);
    }
    if (excelWanted() && options.Get_ExcelProtocol() != 0)
        writeExcel(engine, names, rows, folders, written);
    if (options.Get_CsvProtocol() != 0) {
        const QString file = names.file(QString::fromUtf16(engine::ProtocolTexts::kCsvExtension));
        if (engine.WriteProtocolCsv(file, &folders))
            written.files.append(file);
        else
            written.failed.append(file);
    }
    return written;
}

bool Protocols::writeExcel(engine::Fetchling& engine, const Names& names, const RowsOf& rows,
                           engine::ProtocolFolders& folders, Written& written)
{
    auto& ui = m_services.ui;
    platform::excel::Application excel;
    const int major = excel.Version().section(u'.', 0, 0).toInt();
    const QString file = names.file(major < 12 ? u".xls"_s : u".xlsx"_s);
    auto& book = excel.Workbooks().Add();
    while (book.Sheets().Count() < 3)
        book.Sheets().Add();
    book.Sheets().Item(1).setName(u"Итоги"_s);
    book.Sheets().Item(2).setName(u"Выгружены"_s);
    book.Sheets().Item(3).setName(u"Не выгружены"_s);
    const QString error = engine.WriteProtocolExcel(book, rows(u"xls"_s), &folders);
    book.Sheets().Item(1).Activate();
    written.excelFilled = error.isEmpty();
    if (!written.excelFilled) {
        written.failed.append(file);
        core::mOther::iMsgBox(ui, error, core::msgbox::vbOKOnly | core::msgbox::vbCritical);
        return false;
    }
    written.excelSaved = saveAs(book, file);
    if (!written.excelSaved) {
        written.failed.append(file);
        core::mOther::iMsgBox(
            ui, u"При сохранении Excel-файла протокола выгрузки со списком выгруженных документов, произошла ошибка."_s,
            core::msgbox::vbOKOnly | core::msgbox::vbExclamation);
        // The filled workbook lives only in this run: it is kept where a file can be written.
        const QString name = QFileInfo(file).fileName();
        for (const QString& folder : fallbackFolders()) {
            const QString kept = QDir(folder).absoluteFilePath(name);
            if (saveAs(book, kept)) {
                written.excelKeptFile = kept;
                break;
            }
        }
    }
    try {
        book.Close(false);
        excel.Quit();
    } catch (const core::Error&) {
        // Closing an application that is done with changes nothing of what was written.
    }
    if (!written.excelSaved)
        return false;
    written.files.append(file);
    written.excelFile = file;
    return true;
}

QStringList Protocols::fallbackFolders()
{
    QStringList folders;
    // A temporary folder that does not exist reads as none.
    for (const QString& folder : {QDir::tempPath(), QDir::homePath()}) {
        if (!folder.isEmpty())
            folders.append(folder);
    }
    return folders;
}

QString Protocols::unsavedWorkbookText(const Written& written)
{
    if (!written.excelKeptFile.isEmpty())
        return u"Протокол выгрузки в формате MS Excel не удалось сохранить в папке выгрузки; он сохранён в файл:"_s
               + kCrLf + written.excelKeptFile;
    return u"Протокол выгрузки в формате MS Excel создан, но не сохранён на диск."_s + kCrLf
           + u"Сохранить его не удалось ни в папке выгрузки, ни в папках "_s + fallbackFolders().join(u" и "_s)
           + u"."_s;
}

QString Protocols::endMessage(const QString& endText, const Written& written)
{
    QString message = endText;
    if (!written.files.isEmpty()) {
        message += kCrLf + u"В папке выгрузки ("_s + written.folder
                   + (written.files.size() == 1 ? u") создан файл протокола:"_s : u") созданы файлы протоколов:"_s);
        for (const QString& file : written.files)
            message += kCrLf + QFileInfo(file).fileName();
    }
    if (!written.failed.isEmpty()) {
        message += kCrLf
                   + (written.failed.size() == 1 ? u"Не удалось записать файл протокола:"_s
                                                 : u"Не удалось записать файлы протоколов:"_s);
        for (const QString& file : written.failed)
            message += kCrLf + QFileInfo(file).fileName();
    }
    return message;
}

} // namespace run
