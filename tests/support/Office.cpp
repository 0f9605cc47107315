#include "Office.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace testsupport {

OfficeRun convertWithOffice(const QString& office, const QStringList& arguments, const QString& profileFolder,
                            const QProcessEnvironment& environment)
{
    OfficeRun run;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        const QString profile = profileFolder + u"/try-"_s + QString::number(attempt);
        process.start(office, QStringList{u"-env:UserInstallation=file://"_s + profile, u"--headless"_s} + arguments);
        run.finished = process.waitForFinished(kOfficeDeadlineMs);
        if (!run.finished) {
            process.kill();
            process.waitForFinished();
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.output += QString::fromLocal8Bit(process.readAll());
        if (!run.finished || run.exitCode == 0)
            break;
    }
    return run;
}

} // namespace testsupport
