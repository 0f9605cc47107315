#include "Error.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "FailureTexts.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

Error fromSystemError(const std::error_code& code, const char* what)
{
    if (code == std::errc::no_space_on_device)
        return Error(failure::kDiskFullNumber, QString::fromUtf16(failure::kDiskFull));
    if (code == std::errc::permission_denied)
        return Error(failure::kPermissionDeniedNumber, u"Permission denied"_s);
    if (code == std::errc::no_such_file_or_directory)
        return Error(failure::kFileNotFoundNumber, u"File not found"_s);
    return Error(failure::kPathFileAccessNumber, QString::fromLocal8Bit(what));
}

} // namespace

Error::Error(int number, QString description, QString source)
    : m_number(number)
    , m_description(std::move(description))
    , m_source(std::move(source))
    , m_what(m_description.toUtf8())
{
}

void Error::addPlace(QStringView module, QStringView procedure, int line)
{
    m_description = describeAt(module, procedure, line, m_source, m_description);
    m_source.clear();
    m_what = m_description.toUtf8();
}

const char* Error::what() const noexcept
{
    return m_what.constData();
}

QString describeAt(QStringView module, QStringView procedure, int line, const QString& source,
                   const QString& description)
{
    QString text = u"["_s + QStringView(kApplicationName) + u"::"_s;
    text += module.isEmpty() ? u"?"_s : module.toString();
    if (!procedure.isEmpty())
        text += u'.' + procedure.toString();
    if (line != 0)
        text += u" ("_s + QString::number(line) + u')';
    text += u']';
    if (!source.isEmpty())
        text += u"\r\n["_s + source + u']';
    const bool startsWithBreak = description.startsWith(u'\r') || description.startsWith(u'\n');
    if (!startsWithBreak)
        text += u"\r\n"_s;
    return text + description;
}

Error objectNotSet()
{
    return Error(failure::kObjectNotSetNumber, QString::fromUtf16(failure::kObjectNotSet));
}

Error currentError()
{
    try {
        throw;
    } catch (const Error& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return Error(failure::kOutOfMemoryNumber, QString::fromUtf16(failure::kBadAllocation));
    } catch (const std::filesystem::filesystem_error& e) {
        return fromSystemError(e.code(), e.what());
    } catch (const std::system_error& e) {
        return fromSystemError(e.code(), e.what());
    } catch (const std::exception& e) {
        return Error(failure::kUnspecifiedNumber, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return Error(failure::kUnspecifiedNumber, u"Unknown failure"_s);
    }
}

} // namespace core
