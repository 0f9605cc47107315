#pragma once

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "core/ApplicationTitle.h"
#include "core/mAPI.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "platform/zip/LibzipLibraries.h"
#include "run/Services.h"

namespace mainwindow::test {

using namespace Qt::StringLiterals;

inline const QString kLogin = u"buh@alfa.example"_s;
inline const QString kPassword = u" Пароль 1"_s;
inline const QString kThumbprint = u"AB12CD34EF56"_s;

// Keys of the sample account's nodes, in the order the tree adds them.
inline const QString kAlpha = u"org7701000001/770101001"_s;
inline const QString kNorth = kAlpha + u"|depd-north"_s;
inline const QString kStore = kNorth + u"|depd-store"_s;
inline const QString kSouth = kAlpha + u"|depd-south"_s;
// The same INN without a KPP: its key is the start of the key above.
inline const QString kAlphaNoKpp = u"org7701000001/"_s;
inline const QString kShop = kAlphaNoKpp + u"|depd-shop"_s;
inline const QString kBetaUnpaid = u"org7802000003/780201001"_s;
inline const QString kGammaFailing = u"org5003000005/500301001"_s;
inline const QStringList kAllNodes{kAlpha, kNorth, kStore, kSouth, kAlphaNoKpp, kShop, kBetaUnpaid, kGammaFailing};

// A window with the run's services over a small emulated service: one account (by login or by
// its certificate) that sees four organisations, one of them without a KPP, one with its API
// tariff unpaid and one whose document types cannot be read.
class SignInFixture : public MainWindowFixture
{
protected:
    SignInFixture()
    {
        runServices = &m_run;
        writeSandbox();
        options.Set_TypeDiadocAccount(1);
        options.Set_Login(kLogin);
        options.Set_Password(kPassword);
        options.Set_Certificate(kThumbprint);
        options.Set_AutomaticAutorization(1);
    }

    static QJsonObject organisation(const QString& id, const QString& inn, const QString& kpp, const QString& name,
                                    const QJsonArray& departments = {})
    {
        return {{u"id"_s, id},
                {u"inn"_s, inn},
                {u"kpp"_s, kpp},
                {u"name"_s, name},
                {u"departments"_s, departments},
                {u"documentTypes"_s, QJsonArray{QJsonObject{{u"name"_s, u"Nonformalized"_s}}}}};
    }

    static QJsonArray sampleOrganisations()
    {
        QJsonObject beta = organisation(u"box-beta"_s, u"7802000003"_s, u"780201001"_s, u"ООО «Бета»"_s,
                                        {QJsonObject{{u"id"_s, u"d-beta"_s}, {u"name"_s, u"Отдел"_s}}});
        beta.insert(u"tariff"_s, u"unpaid"_s);
        QJsonObject gamma = organisation(u"box-gamma"_s, u"5003000005"_s, u"500301001"_s, u"АО «Гамма»"_s);
        gamma.insert(u"tariff"_s, u"error"_s);
        gamma.insert(u"tariffError"_s, u"##100[Ошибка сервера Диадок]code:503, HTTP error: Сервис недоступен"_s);
        return {
            organisation(u"box-alpha"_s, u"7701000001"_s, u"770101001"_s, u"ООО «Альфа»"_s,
                         {QJsonObject{{u"id"_s, u"d-north"_s}, {u"name"_s, u"Филиал «Север»"_s}},
                          QJsonObject{{u"id"_s, u"d-store"_s}, {u"name"_s, u"Склад"_s}, {u"parent"_s, u"d-north"_s}},
                          QJsonObject{{u"id"_s, u"d-south"_s}, {u"name"_s, u"Филиал «Юг»"_s}}}),
            organisation(u"box-alpha-opt"_s, u"7701000001"_s, QString(), u"ИП Альфа-Опт"_s,
                         {QJsonObject{{u"id"_s, u"d-shop"_s}, {u"name"_s, u"Магазин"_s}}}),
            beta, gamma};
    }

    // Writes the service's data and points the stored server address at it.
    void writeSandbox(const QJsonArray& organisations = sampleOrganisations(), const QJsonArray& faults = {})
    {
        const QJsonObject certificate{{u"thumbprint"_s, kThumbprint},
                                      {u"name"_s, u"Иванов Иван Иванович"_s},
                                      {u"organizationName"_s, u"ООО «Альфа»"_s},
                                      {u"inn"_s, u"7701000001"_s},
                                      {u"kpp"_s, u"770101001"_s},
                                      {u"beginDate"_s, u"2024-01-01T00:00:00"_s},
                                      {u"endDate"_s, u"2030-01-01T00:00:00"_s},
                                      {u"qualified"_s, true}};
        const QJsonObject account{
            {u"login"_s, kLogin}, {u"password"_s, kPassword}, {u"certificates"_s, QJsonArray{kThumbprint}}};
        const QJsonObject json{
            {u"apiClientIds"_s, QJsonArray{QString::fromUtf16(diadoc::mDiadoc::kDefaultApiClientId)}},
            {u"certificates"_s, QJsonArray{certificate}},
            {u"accounts"_s, QJsonArray{account}},
            {u"organizations"_s, organisations},
            {u"faults"_s, faults}};
        QFile file(QDir(m_sandbox.path()).filePath(u"sandbox.json"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(json).toJson());
        file.close();
        options.Set_DiadocServerURL(m_sandbox.path());
    }

    static QTreeWidgetItem* node(const TestWindow& window, const QString& key)
    {
        for (QTreeWidgetItemIterator it(window.controls().theTreeViewPersons); *it != nullptr; ++it) {
            if ((*it)->data(0, Qt::UserRole).toString() == key)
                return *it;
        }
        return nullptr;
    }

    // The keys of the tree in its order, and which of them are ticked.
    static QStringList keys(const TestWindow& window)
    {
        QStringList result;
        for (QTreeWidgetItemIterator it(window.controls().theTreeViewPersons); *it != nullptr; ++it)
            result.append((*it)->data(0, Qt::UserRole).toString());
        return result;
    }
    static QStringList tickedKeys(const TestWindow& window)
    {
        QStringList result;
        for (QTreeWidgetItemIterator it(window.controls().theTreeViewPersons); *it != nullptr; ++it) {
            if ((*it)->checkState(0) == Qt::Checked)
                result.append((*it)->data(0, Qt::UserRole).toString());
        }
        return result;
    }

    // Changes a node's tick as the user does, with the space key on the selected node.
    static void userToggle(const TestWindow& window, const QString& key)
    {
        QTreeWidget* tree = window.controls().theTreeViewPersons;
        QTreeWidgetItem* item = node(window, key);
        ASSERT_NE(item, nullptr) << key.toStdString();
        tree->setCurrentItem(item);
        QTest::keyClick(tree, Qt::Key_Space);
    }

    // Runs step inside the modal loop that the next dialog starts.
    static void whenShown(std::function<void()> step)
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

    QTemporaryDir m_sandbox;
    QTemporaryDir m_home;
    platform::zip::LibzipLibraries m_zipLibraries;
    core::mUnzipper m_unzipper{m_zipLibraries, ui, QString::fromUtf16(core::kApplicationTitle)};
    core::mLogFile m_log{ui, [this] { return clock.currentDateTime(); }};
    platform::shell::LinuxSpecialFolders m_folders{m_home.path(), m_home.filePath(u".config"_s)};
    core::mAPI m_api{m_folders};
    run::Services m_run{options, clock, ui, diadocAccess, m_unzipper, m_log, m_api};
};

} // namespace mainwindow::test
