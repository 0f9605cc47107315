// Feeds arbitrary bytes as an archive to the unzip engine and checks after every run that nothing
// was written outside the target folder, no link was made and every name is within its limit.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "platform/zip/LibzipUnzip.h"

using namespace Qt::StringLiterals;

namespace {

const QString& base()
{
    static const QString folder = [] {
        QByteArray pattern = QDir::tempPath().toUtf8() + "/n7unzip-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return QString::fromUtf8(pattern);
    }();
    return folder;
}

[[noreturn]] void fault(const QString& what)
{
    std::fprintf(stderr, "unzip fuzz: %s\n", what.toUtf8().constData());
    std::abort();
}

void check()
{
    QStringList beside = QDir(base()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    beside.sort();
    if (beside != QStringList{u"archive.zip"_s, u"sentinel"_s, u"target"_s})
        fault(u"outside the target: "_s + beside.join(u", "_s));
    QFile sentinel(base() + u"/sentinel"_s);
    if (!sentinel.open(QIODevice::ReadOnly) || sentinel.readAll() != "untouched")
        fault(u"sentinel changed"_s);
    QDirIterator it(base() + u"/target"_s, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            fault(u"link made: "_s + info.filePath());
        if (info.fileName().toUtf8().size() > 255)
            fault(u"name too long: "_s + info.fileName());
        if (info.fileName().endsWith(u".tmp"_s) && info.fileName().startsWith(u".n7unzip-"_s))
            fault(u"temporary file left: "_s + info.fileName());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString archive = base() + u"/archive.zip"_s;
    const QString target = base() + u"/target"_s;
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    {
        QFile sentinel(base() + u"/sentinel"_s);
        if (!sentinel.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        sentinel.write("untouched");
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    platform::zip::DCL options;
    options.noflag = 1;
    options.ndflag = static_cast<int>(size % 2); // both the flat and the folder-keeping layout
    const QByteArray zipName = QFile::encodeName(archive);
    const QByteArray dir = QFile::encodeName(target);
    options.lpszZipFN = zipName.constData();
    options.lpszExtractDir = dir.constData();
    platform::zip::USERFUNCTIONS callbacks;
    callbacks.password = [](char* buffer, int bufferSize, const char*, const char*) {
        qstrncpy(buffer, "pw", static_cast<std::size_t>(bufferSize));
        return 0;
    };
    QByteArray all("*.*");
    char* includes[] = {all.data()};
    platform::zip::LibzipUnzip engine;
    engine.Wiz_SingleEntryUnzip(1, includes, 0, nullptr, &options, &callbacks);
    check();
    return 0;
}
