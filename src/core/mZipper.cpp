#include "mZipper.h"

#include <cstring>
#include <utility>

#include <QDate>
#include <QDateTime>

#include "MsgBox.h"
#include "N7Zipper.h"
#include "UiServices.h"
#include "ZipPrintStub.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/TextCodec.h"
#include "mErrorHandling.h"
#include "mN7CommonCalc.h"
#include "platform/zip/Libraries.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr int kOverflowNumber = 6;
// The highest level whose character code still fits in the level byte ('0' + 207 = 255).
constexpr int kMaxLevel = 207;

// The system's 8-bit code page, in which texts cross into the library: UTF-8 on this platform.
QByteArray ansi(const QString& text)
{
    return text.toUtf8();
}

int flag(bool value)
{
    return value ? 1 : 0;
}

} // namespace

mZipper::mZipper(platform::zip::Libraries& libraries, UiServices& ui, QString applicationTitle)
    : m_libraries(libraries)
    , m_ui(ui)
    , m_applicationTitle(std::move(applicationTitle))
{
}

platform::zip::ZipLibrary& mZipper::library()
{
    if (!m_library) {
        const QString name = QString::fromUtf16(platform::zip::kZipLibraryName);
        m_library = m_libraries.loadZip(name);
        if (!m_library)
            throw Error(failure::kFileNotFoundNumber, u"File not found: "_s + name);
    }
    return *m_library;
}

int mZipper::RunZip(N7Zipper& job)
{
    platform::zip::ZipLibrary& zip = library();

    m_callbacks = platform::zip::ZIPUSERFUNCTIONS{};
    m_callbacks.print = zipPrintStub;
    m_callbacks.comment = [this](char* buffer, int size) { return askComment(buffer, size); };
    m_callbacks.password = [this](char* buffer, int size, const char*, const char*) {
        return askPassword(buffer, size);
    };
    m_callbacks.service = [](const char* name, unsigned long size) { return zipPrintStub(name, size); };
    if (zip.ZpInit(&m_callbacks) == 0) {
        mN7CommonCalc::WarningMsgBox(m_ui, u"Отсутствует Zip32.dll."_s, u"Ошибка"_s);
        return 0;
    }

    fillOptions(job);
    CreateFileNamesArgvList(job.FileNames(), m_nameList);
    zip.ZpSetOptions(&m_options);
    m_zipFileName = ansi(job.ZipFileName);
    return zip.ZpArchive(m_nameList.count, m_zipFileName.constData(), m_nameList.pointers.data());
}

void mZipper::fillOptions(const N7Zipper& job)
{
    if (job.Level > kMaxLevel)
        throw Error(kOverflowNumber, u"Overflow"_s);
    m_date = ansi(formatZipDate(job.ZipDate));
    m_rootDir = ansi(job.RootDir);
    m_tempDir = ansi(job.TempDir);

    m_options = platform::zip::ZPOPT{};
    m_options.Date = m_date.constData();
    m_options.szRootDir = m_rootDir.constData();
    m_options.szTempDir = m_tempDir.constData();
    m_options.fTemp = 0;
    m_options.fSuffix = job.Suffix;
    m_options.fEncrypt = flag(job.Encrypt);
    m_options.fSystem = flag(job.System);
    m_options.fVolume = flag(job.Volume);
    m_options.fExtra = flag(job.Extra);
    m_options.fNoDirEntries = flag(job.NoDirEntries);
    m_options.fExcludeDate = flag(job.ExcludeDate);
    m_options.fIncludeDate = flag(job.IncludeDate);
    m_options.fVerbose = flag(job.Verbose);
    m_options.fQuiet = flag(job.Quiet);
    m_options.fCRLF_LF = flag(job.CRLF_LF);
    m_options.fLF_CRLF = flag(job.LF_CRLF);
    m_options.fJunkDir = flag(job.JunkDir);
    m_options.fGrow = flag(job.Grow);
    m_options.fForce = flag(job.Force);
    m_options.fMove = flag(job.Move);
    m_options.fDeleteEntries = flag(job.DeleteEntries);
    m_options.fUpdate = flag(job.Update);
    m_options.fFreshen = flag(job.Freshen);
    m_options.fJunkSFX = flag(job.JunkSFX);
    m_options.fLatestTime = flag(job.LatestTime);
    m_options.fComment = 0;
    m_options.fOffsets = flag(job.Offsets);
    m_options.fPrivilege = flag(job.Privilege);
    m_options.fEncryption = job.Encryption;
    m_options.fRecurse = job.Recurse;
    m_options.fRepair = job.Repair;
    m_options.fLevel = job.Level >= 0 ? static_cast<char>(static_cast<unsigned char>('0' + job.Level)) : '\0';
}

QString mZipper::formatZipDate(const QString& date)
{
    if (date.trimmed().isEmpty())
        return {};
    const QString text = date.trimmed();
    QDate parsed;
    for (const QString& format :
         {u"dd.MM.yyyy"_s, u"d.M.yyyy"_s, u"dd.MM.yy"_s, u"yyyy-MM-dd"_s, u"MM/dd/yyyy"_s, u"M/d/yyyy"_s}) {
        parsed = QDate::fromString(text, format);
        if (parsed.isValid())
            break;
    }
    if (!parsed.isValid())
        parsed = QDateTime::fromString(text, Qt::ISODate).date();
    if (!parsed.isValid())
        return date;
    if (parsed.year() < 1930)
        parsed = parsed.addYears(100);
    return parsed.toString(u"MM/dd/yy"_s);
}

void mZipper::CreateFileNamesArgvList(const TextCollection& files, NameList& list)
{
    try {
        list.count = 0;
        list.pointers.fill(nullptr);
        list.buffer.clear();
        if (!files || files->isEmpty())
            return;
        qsizetype total = 0;
        for (const QString& file : std::as_const(*files))
            total += file.size() + 2;
        list.buffer = QByteArray(2 * total + 1, '\0');

        std::array<qsizetype, kMaxNames> offsets{};
        qsizetype offset = 0;
        for (const QString& file : std::as_const(*files)) {
            if (list.count == kMaxNames)
                break;
            if (file.isEmpty())
                continue;
            const QByteArray bytes = core::TextCodec::toCp1251(file);
            if (bytes.isEmpty())
                continue;
            std::memcpy(list.buffer.data() + offset, bytes.constData(), static_cast<std::size_t>(bytes.size()));
            list.buffer[offset + bytes.size()] = '\0';
            offsets[static_cast<std::size_t>(list.count)] = offset;
            offset += bytes.size() + 1;
            ++list.count;
        }
        // The buffer no longer moves: the offsets become addresses.
        char* const base = list.buffer.data();
        for (int i = 0; i < list.count; ++i)
            list.pointers[static_cast<std::size_t>(i)] = base + offsets[static_cast<std::size_t>(i)];
    } catch (...) {
        PropagateError(u"mZipper", u"CreateFileNamesArgvList");
    }
}

// Every callback skips a step that fails and goes on, so that nothing raised reaches the library.
int mZipper::askPassword(char* buffer, int size)
{
    QString answer;
    try {
        answer = m_ui.inputBox(u"Please Enter The Password!"_s, m_applicationTitle, QString());
    } catch (...) {
        answer.clear();
    }
    if (answer.isEmpty())
        return 1;
    const QByteArray bytes = ansi(answer);
    // A password that leaves no room for its closing zero is refused rather than cut.
    if (!buffer || size <= 0 || bytes.size() >= size)
        return 1;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return 0;
}

int mZipper::askComment(char* buffer, int size)
{
    QString answer;
    try {
        answer = m_ui.inputBox(u"Enter the comment"_s, m_applicationTitle, QString());
    } catch (...) {
        answer.clear();
    }
    if (answer.isEmpty() || !buffer || size <= 0)
        return 1;
    const QByteArray bytes = ansi(answer).left(size - 1);
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    buffer[bytes.size()] = '\0';
    return 1;
}

} // namespace core
