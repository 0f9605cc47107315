#include "DialogsFixture.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace dialogstest {

QDateTime now()
{
    return QDateTime(QDate(2025, 1, 10), QTime(12, 0, 0));
}

DialogsFixture::DialogsFixture()
{
    ui.errorDialogInstalled = true;
}

void DialogsFixture::writeCertificateSandbox(const QJsonArray& certificates)
{
    const QJsonObject json{{u"apiClientIds"_s, QJsonArray{}},
                           {u"certificates"_s, certificates},
                           {u"accounts"_s, QJsonArray{}},
                           {u"organizations"_s, QJsonArray{}}};
    QFile file(QDir(m_sandbox.path()).filePath(u"sandbox.json"_s));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(json).toJson());
    options.Set_DiadocServerURL(m_sandbox.path());
}

void whenShown(std::function<void()> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        step();
        // A failed expectation must not leave the test waiting in the modal loop.
        if (::testing::Test::HasFailure()) {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->done(QDialog::Rejected);
        }
    });
}

} // namespace dialogstest
