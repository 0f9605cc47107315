#include "RunRequest.h"

#include <algorithm>

#include <QDir>

#include "core/MsgBox.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "core/mIO.h"
#include "core/mOther.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {
const QString kCrLf = u"\r\n"_s;
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
    if (folders.IsFolderBanned(path)) {
        result.refusal = u"В системные папки выгрузка запрещена."_s + kCrLf + u"Укажите другую папку для выгрузки."_s;
        result.style = vbOKOnly | vbExclamation;
        return result;
    }
    if (folders.IsFolderNotRecommended(path)) {
        const QString question = u"Выгрузка в указанную папку \""_s + path + u"\" крайне не рекомендуется."_s + kCrLf
                                 + u"Желательно выбрать папки вне специальных папок Windows."_s + kCrLf
                                 + u"Если всё же хотите выгрузить в указанную папку, нажмите \"ОК\"."_s;
        const int style = vbOKCancel | vbQuestion | vbDefaultButton2;
        if (core::mOther::iMsgBox(ui, question, style) != vbOK) {
            result.refusal = question;
            result.style = style;
            result.asked = true;
            return result;
        }
    }
    // A relative folder would be made below the working folder of the moment: it is refused
    // before anything is made.
    if (QDir::isAbsolutePath(path))
        core::mOther::CreateFolderTree(path + u'*');
    // The folder must stand and take a file: a read-only folder would give a run of nothing.
    if (!core::mIO::IsFolderExistsEx(ui, path)) {
        result.refusal = u"Не удалось создать папку \""_s + path + u"\" для сохранения файлов Диадок."_s;
        // The drive letter typed as the Cyrillic "С".
        if (path.left(2).toUpper() == u"С:"_s)
            result.refusal += kCrLf + kCrLf + u"Имя диска C: задано кириллической (русской) буквой."_s;
        result.style = vbOKOnly | vbExclamation;
    }
    return result;
}

} // namespace run
