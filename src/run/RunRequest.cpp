#include "RunRequest.h"

#include <algorithm>

#include <QFileInfo>
#include <QTemporaryFile>

#include "core/MsgBox.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "core/mOther.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {
const QString kCrLf = u"\r\n"_s;
const QString kDateFormat = u"dd.MM.yyyy"_s;
} // namespace

RunFlags RunFlags::fromOptions(const core::mFetchlingOptions& options)
{
    const auto on = [](int value) { return value == 1; };
    RunFlags flags;
    flags.withProtocol = on(options.GetDefault_Protocol());
    flags.withNoSended = on(options.Get_NoSended());
    flags.withRevoked = on(options.GetDefault_Revoked());
    flags.withInternal = on(options.Get_Internal());
    flags.withSignatureRejected = on(options.GetDefault_SignatureRejected());
    flags.onlyFinished = on(options.Get_Finished());
    return flags;
}

QDate RunRequest::fromDate() const
{
    return QDate::fromString(from, kDateFormat);
}

QDate RunRequest::toDate() const
{
    return QDate::fromString(to, kDateFormat);
}

int RunRequest::tickedCount() const
{
    return static_cast<int>(std::count_if(nodes.cbegin(), nodes.cend(), [](const OrgNode& n) { return n.ticked; }));
}

UnloadFolder::Check UnloadFolder::check(const QString& text, const core::mAPI& folders, core::UiServices& ui)
{
    using namespace core::msgbox;
    Check result;
    if (text.isEmpty()) {
        result.refusal = u"Выберите папку для сохранения файлов Диадок."_s;
        result.style = vbOKOnly | vbInformation;
        return result;
    }
    QString path = text;
    // Paths use "/" here; a "\" typed by a person is a separator too.
    path.replace(u'\\', u'/');
    if (path.endsWith(u"//"_s))
        path.chop(1);
    if (!path.endsWith(u'/'))
        path += u'/';
    result.folder = path;
    core::mOther::CreateFolderTree(path + u'*');
    if (!QFileInfo(path).isDir()) {
        result.refusal = u"Не удалось создать папку \""_s + path + u"\" для сохранения файлов Диадок."_s;
        result.style = vbOKOnly | vbExclamation;
    }
    static_cast<void>(folders);
    static_cast<void>(ui);
    return result;
}

} // namespace run
