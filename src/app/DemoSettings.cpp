#include "DemoSettings.h"

#include <QDir>
#include <QFileInfo>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "core/mFetchlingOptions.h"

using namespace Qt::StringLiterals;

namespace app {

namespace {

[[noreturn]] void refuse(int number, const QString& text)
{
    throw core::Error(number, text, u"DemoSettings"_s);
}

} // namespace

void DemoSettings::check(const QString& sandboxFolder, const QString& unloadFolder)
{
    const QString sandbox = QDir(sandboxFolder).absolutePath();
    if (!QFileInfo(sandbox).isDir())
        refuse(core::failure::kFileNotFoundNumber, u"Папка песочницы не найдена: "_s + sandbox);
    const QString description = QDir(sandbox).filePath(u"sandbox.json"_s);
    if (!QFileInfo(description).isFile())
        refuse(core::failure::kFileNotFoundNumber, u"В папке песочницы нет файла sandbox.json: "_s + sandbox);

    // The unload folder may still be missing (the run creates it), but whatever of its path exists
    // must be folders.
    const QString unload = QDir(unloadFolder).absolutePath();
    for (QString path = unload; !path.isEmpty(); path = QFileInfo(path).path()) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink()) {
            if (info.isDir())
                break;
            if (path == unload)
                refuse(core::failure::kPathFileAccessNumber, u"Папка выгрузки - это не папка: "_s + unload);
            refuse(core::failure::kPathFileAccessNumber,
                   u"Путь к папке выгрузки "_s + unload + u" проходит через файл "_s + path);
        }
        if (path == QFileInfo(path).path())
            break;
    }
}

void DemoSettings::write(core::mFetchlingOptions& options, const QString& sandboxFolder, const QString& unloadFolder,
                         const QString& from, const QString& to)
{
    check(sandboxFolder, unloadFolder);
    options.Set_DiadocServerURL(QDir(sandboxFolder).absolutePath());
    options.Set_TypeDiadocAccount(1);
    options.Set_Login(QString::fromUtf16(kLogin));
    options.Set_Password(QString::fromUtf16(kPassword));
    options.Set_Path(QDir(unloadFolder).absolutePath() + u'/');
    options.Set_FromDate(from);
    options.Set_ToDate(to);
    options.Set_HtmlProtocol(1);
    options.Set_ExcelProtocol(1);
    options.Set_CsvProtocol(1);
}

} // namespace app
