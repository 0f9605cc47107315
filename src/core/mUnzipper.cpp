#include "mUnzipper.h"

#include <cstring>
#include <utility>

#include "N7UnZipper.h"
#include "UiServices.h"
#include "ZipPrintStub.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
#include "platform/zip/Libraries.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

// The system's 8-bit code page, in which texts cross into the library: UTF-8 on this platform.
QByteArray ansi(const QString& text)
{
    return text.toUtf8();
}

QString reportedName(const char* fileName)
{
    const QByteArray bytes(fileName, static_cast<qsizetype>(::strnlen(fileName, mUnzipper::kMaxReportedName)));
    return QString::fromUtf8(bytes).replace(u'/', u'\\');
}

int flag(bool value)
{
    return value ? 1 : 0;
}

} // namespace

mUnzipper::mUnzipper(platform::zip::Libraries& libraries, UiServices& ui, QString applicationTitle)
    : m_libraries(libraries)
    , m_ui(ui)
    , m_applicationTitle(std::move(applicationTitle))
{
}

platform::zip::UnzipLibrary& mUnzipper::library()
{
    if (!m_library) {
        const QString name = QString::fromUtf16(platform::zip::kUnzipLibraryName);
        m_library = m_libraries.loadUnzip(name);
        if (!m_library)
            throw Error(failure::kFileNotFoundNumber, u"File not found: "_s + name);
    }
    return *m_library;
}

int mUnzipper::RunUnzip(N7UnZipper& job)
{
    platform::zip::UnzipLibrary& unzip = library();

    m_zipFileName = ansi(job.ZipFileName);
    m_extractDir = ansi(job.ExtractDir);
    m_options = platform::zip::DCL{};
    m_options.ExtractOnlyNewer = flag(job.ExtractOnlyNewer);
    m_options.SpaceToUnderscore = flag(job.SpaceUnderScore);
    m_options.PromptToOverwrite = flag(job.PromptOverWrite);
    m_options.fQuiet = job.Quiet;
    m_options.ncflag = flag(job.WriteStdOut);
    m_options.ntflag = flag(job.TestZip);
    m_options.nvflag = job.ExtractOrList;
    m_options.nfflag = flag(job.FreshenExisting);
    m_options.nzflag = flag(job.DisplayComment);
    m_options.ndflag = flag(job.HonorDirectories);
    m_options.noflag = flag(job.OverWriteFiles);
    m_options.naflag = flag(job.ConvertCR_CRLF);
    m_options.nZIflag = flag(job.Verbose);
    m_options.C_flag = flag(job.CaseSensitivity);
    m_options.fPrivilege = job.Privilege;
    m_options.lpszZipFN = m_zipFileName.constData();
    m_options.lpszExtractDir = m_extractDir.constData();
    m_reservedTexts.clear();
    m_reservedTable.clear();
    for (const QString& name : std::as_const(job.ReservedNames))
        m_reservedTexts.append(ansi(name));
    for (const QByteArray& text : std::as_const(m_reservedTexts))
        m_reservedTable.append(text.constData());
    m_reservedTable.append(nullptr);
    m_options.lpszReservedNames = m_reservedTable.constData();

    const int includeCount = fillTable(job.ZipNames, m_includeTexts, m_includeTable, true);
    const int excludeCount = fillTable(job.ExcludeFiles, m_excludeTexts, m_excludeTable, false);

    m_listing = job.ExtractOrList == 1;
    m_names = newTextCollection();
    fillCallbacks();

    const int code = unzip.Wiz_SingleEntryUnzip(includeCount, m_includeTable.data(), excludeCount,
                                                m_excludeTable.data(), &m_options, &m_callbacks);
    job.UnzippedFileNames = std::exchange(m_names, nullptr);
    return code;
}

int mUnzipper::fillTable(const TextCollection& names, std::array<QByteArray, kMaxNames + 1>& texts,
                         std::array<char*, kMaxNames + 1>& table, bool forwardSlashes)
{
    texts.fill(QByteArray());
    table.fill(nullptr);
    int count = 0;
    if (!names)
        return 0;
    for (const QString& name : std::as_const(*names)) {
        if (count == kMaxNames)
            break;
        texts[count] = ansi(forwardSlashes ? QString(name).replace(u'\\', u'/') : name);
        table[count] = texts[count].data();
        ++count;
    }
    return count;
}

void mUnzipper::fillCallbacks()
{
    m_callbacks = platform::zip::USERFUNCTIONS{};
    m_callbacks.print = zipPrintStub;
    m_callbacks.replace = [](const char*) { return platform::zip::replaceanswer::IDM_REPLACE_ALL; };
    m_callbacks.password = [this](char* buffer, int size, const char*, const char*) {
        return askPassword(buffer, size);
    };
    m_callbacks.message = [this](unsigned long, unsigned long, unsigned, unsigned, unsigned, unsigned, unsigned,
                                 unsigned, char, const char* fileName, const char*, unsigned long,
                                 char) { collectListed(fileName); };
    m_callbacks.service = [this](const char* fileName, unsigned long) { return collectExtracted(fileName); };
}

// Every callback skips a step that fails and goes on, so that nothing raised reaches the library.
int mUnzipper::askPassword(char* buffer, int size)
{
    if (m_passwordRefused)
        return 1;
    QString answer;
    try {
        answer = m_ui.inputBox(u"Please Enter The Password!"_s, m_applicationTitle, QString());
    } catch (...) {
        answer.clear();
    }
    if (answer.isEmpty()) {
        m_passwordRefused = true;
        return 1;
    }
    const QByteArray bytes = ansi(answer);
    // A password that leaves no room for its closing zero is refused rather than cut.
    if (!buffer || size <= 0 || bytes.size() >= size)
        return 1;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    buffer[bytes.size()] = '\0';
    return 0;
}

void mUnzipper::collectListed(const char* fileName)
{
    try {
        if (!m_listing || !m_names || !fileName)
            return;
        const QString name = reportedName(fileName);
        if (!name.isEmpty())
            m_names->append(name);
    } catch (...) {
        // A name that cannot be kept is left out; the library goes on.
    }
}

int mUnzipper::collectExtracted(const char* fileName)
{
    try {
        if (m_names && fileName)
            m_names->append(reportedName(fileName));
    } catch (...) {
        // A name that cannot be kept is left out; the library goes on.
    }
    return 0;
}

} // namespace core
