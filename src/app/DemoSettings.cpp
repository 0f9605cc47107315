#include "DemoSettings.h"

#include <QDir>

#include "core/mFetchlingOptions.h"

namespace app {

void DemoSettings::write(core::mFetchlingOptions& options, const QString& sandboxFolder, const QString& unloadFolder,
                         const QString& from, const QString& to)
{
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
