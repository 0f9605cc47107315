#include "SandboxFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace testsupport {

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QJsonObject doc(int n, const QString& org, const QString& type, const QString& direction, const QString& timestamp,
                const QString& documentDate, const QString& department = {})
{
    return QJsonObject{
        {u"id"_s, SandboxFixture::documentId(n)},
        {u"organization"_s, org},
        {u"type"_s, type},
        {u"direction"_s, direction},
        {u"timestamp"_s, timestamp},
        {u"documentDate"_s, documentDate},
        {u"department"_s, department},
        {u"title"_s, QString(u"Документ № "_s + QString::number(n))},
        {u"status"_s, QString(direction + u"WithRecipientSignature"_s)},
        {u"docflow"_s, QJsonObject{{u"severity"_s, u"Success"_s}, {u"text"_s, u"Документооборот завершен"_s}}},
        {u"counteragent"_s,
         QJsonObject{{u"inn"_s, u"7707083893"_s}, {u"kpp"_s, u"773601001"_s}, {u"name"_s, u"ПАО «Контрагент»"_s}}},
        {u"content"_s, QJsonArray{u"content/Счёт.pdf"_s, u"content/Акт.xml"_s}},
        {u"protocol"_s, u"content/Протокол.pdf"_s},
    };
}

} // namespace

SandboxFixture::SandboxFixture()
    : factory([this] { return nowMs; })
{
    writeFile(m_dir.filePath(u"content/Счёт.pdf"_s), QByteArrayLiteral("%PDF invoice"));
    writeFile(m_dir.filePath(u"content/Акт.xml"_s), QByteArrayLiteral("<act/>"));
    writeFile(m_dir.filePath(u"content/Протокол.pdf"_s), QByteArrayLiteral("%PDF protocol"));

    const QJsonArray docTypes{QJsonObject{{u"name"_s, u"Nonformalized"_s}, {u"title"_s, u"Неформализованный"_s}},
                              QJsonObject{{u"name"_s, u"Invoice"_s}, {u"title"_s, u"Счет-фактура"_s}}};
    json = QJsonObject{
        {u"version"_s, u"2.14.6.210"_s},
        {u"apiClientIds"_s, QJsonArray{u"tallowGrange-3f9a1c7e52d04b8a9e6f21c4d8b07a5e"_s, u"my-key"_s}},
        {u"certificates"_s, QJsonArray{QJsonObject{{u"thumbprint"_s, u"AA11"_s},
                                                   {u"name"_s, u"Иванов Иван Иванович"_s},
                                                   {u"organizationName"_s, u"ООО «Ромашка»"_s},
                                                   {u"inn"_s, u"7701234567"_s},
                                                   {u"kpp"_s, u"770101001"_s},
                                                   {u"beginDate"_s, u"2024-01-15"_s},
                                                   {u"endDate"_s, u"2025-04-15T23:59:59"_s},
                                                   {u"qualified"_s, true}},
                                       QJsonObject{{u"thumbprint"_s, u"BB22"_s}, {u"name"_s, u"Петров П. П."_s}}}},
        {u"accounts"_s, QJsonArray{QJsonObject{{u"login"_s, u"buh@romashka.ru"_s},
                                               {u"password"_s, u"секрет"_s},
                                               {u"certificates"_s, QJsonArray{u"AA11"_s}}}}},
        {u"organizations"_s,
         QJsonArray{QJsonObject{
                        {u"id"_s, u"box-1"_s},
                        {u"guid"_s, u"6d1c3f0e-0000-4000-8000-000000000001"_s},
                        {u"inn"_s, u"7701234567"_s},
                        {u"kpp"_s, u"770101001"_s},
                        {u"name"_s, u"ООО «Ромашка»"_s},
                        {u"documentTypes"_s, docTypes},
                        {u"departments"_s,
                         QJsonArray{QJsonObject{{u"id"_s, u"dep-1"_s}, {u"name"_s, u"Филиал Север"_s}},
                                    QJsonObject{
                                        {u"id"_s, u"dep-1-1"_s}, {u"name"_s, u"Склад"_s}, {u"parent"_s, u"dep-1"_s}}}}},
                    QJsonObject{{u"id"_s, u"box-2"_s},
                                {u"inn"_s, u"5001000002"_s},
                                {u"name"_s, u"АО «Лютик»"_s},
                                {u"tariff"_s, u"unpaid"_s}}}},
        {u"documents"_s,
         QJsonArray{doc(1, u"box-1"_s, u"Nonformalized"_s, u"Inbound"_s, u"2024-03-05T10:00:00"_s, u"2024-03-01"_s),
                    doc(2, u"box-1"_s, u"Invoice"_s, u"Inbound"_s, u"2024-03-02T09:00:00"_s, u"2024-02-28"_s),
                    doc(3, u"box-1"_s, u"Nonformalized"_s, u"Outbound"_s, u"2024-03-03T12:00:00"_s, u""_s),
                    doc(4, u"box-1"_s, u"Nonformalized"_s, u"Inbound"_s, u"2024-03-04T12:00:00"_s, u"2024-03-04"_s,
                        u"dep-1"_s),
                    doc(5, u"box-1"_s, u"Nonformalized"_s, u"Inbound"_s, u"2024-03-06T12:00:00"_s, u"2024-03-06"_s,
                        u"dep-1-1"_s),
                    doc(6, u"box-2"_s, u"Nonformalized"_s, u"Inbound"_s, u"2024-03-06T12:00:00"_s, u"2024-03-06"_s)}},
    };
    write();
}

void SandboxFixture::write()
{
    writeFile(m_dir.filePath(u"sandbox.json"_s), QJsonDocument(json).toJson());
}

QString SandboxFixture::url() const
{
    return QUrl::fromLocalFile(m_dir.path()).toString();
}

QString SandboxFixture::documentId(int n)
{
    // 72 characters: two 36-character identifiers, as the service gives them.
    const QString part = u"00000000-0000-4000-8000-%1"_s.arg(n, 12, 10, QChar(u'0'));
    return part + part;
}

} // namespace testsupport
