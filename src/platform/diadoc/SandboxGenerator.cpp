#include "SandboxGenerator.h"

#include <algorithm>
#include <random>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

namespace {

// A document status and how often it comes, against the others of its direction.
struct Status
{
    QString name;
    int weight = 1;
};

// The statuses that the service gives a type, by direction: only names that the status texts
// know for the type's group, so that every protocol shows a text. A type without internal
// statuses (invoices, universal transfer documents) is never internal.
struct Statuses
{
    QList<Status> inbound;
    QList<Status> outbound;
    QList<Status> internal;

    const QList<Status>& of(const QString& direction) const
    {
        if (direction == u"Outbound")
            return outbound;
        return direction == u"Internal" ? internal : inbound;
    }
};

struct Type
{
    QString name;
    QString title;
    Statuses statuses;
    QStringList content;
};

struct Party
{
    QString inn;
    QString kpp;
    QString name;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw core::Error(75, u"Cannot write \""_s + path + u"\": "_s + file.errorString());
}

// A random source whose numbers do not depend on the standard library's distributions.
class Dice final
{
public:
    explicit Dice(quint32 seed)
        : m_engine(seed)
    {
    }
    int below(int n) { return static_cast<int>(m_engine() % static_cast<quint32>(n)); }
    QString hex(int digits)
    {
        QString text;
        while (text.size() < digits)
            text += QString::number(m_engine() % 16, 16);
        return text;
    }
    QString guid() { return hex(8) + u'-' + hex(4) + u"-4"_s + hex(3) + u"-8"_s + hex(3) + u'-' + hex(12); }
    QString pick(const QList<Status>& statuses)
    {
        int total = 0;
        for (const Status& status : statuses)
            total += status.weight;
        int left = below(total);
        for (const Status& status : statuses) {
            if (left < status.weight)
                return status.name;
            left -= status.weight;
        }
        return statuses.constLast().name;
    }

private:
    std::mt19937 m_engine;
};

QByteArray powerOfAttorneyXml(const QString& fileId, const QString& number, const QString& person)
{
    return (u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            u"<Доверенность xmlns=\"urn:emchd\" ИдФайл=\""_s
            + fileId + u"\" ВерсФорм=\"EMCHD_1\">\n  <Документ>\n    <Довер>\n      <СвДов НомДовер=\""_s + number
            + u"\" ДатаВыдДовер=\"2024-01-10\"/>\n      <СвПолн>Подписание первичных документов</СвПолн>\n"
              u"      <СвУпПред ФИО=\""_s
            + person + u"\"/>\n    </Довер>\n  </Документ>\n</Доверенность>\n"_s)
        .toUtf8();
}

QString withNul(const QString& before, const QString& after)
{
    return before + QChar(u'\0') + after;
}

// What other organisations may put into a document to break the files the program writes: its
// content under the names of the program's own files, and texts that a spreadsheet would run as
// formulas or that carry characters a protocol cannot hold. Applied over an ordinary document
// without rolling any dice, so that the rest of the sandbox stays as the seed makes it.
void makeHostile(QJsonObject& doc, int n, const QString& folder)
{
    const QStringList titles{
        u"=1+1"_s,
        u"=HYPERLINK(\"http://example.com/\";\"Счёт\")"_s,
        withNul(u"Счёт"_s, u" с нулём"_s),
        u"+7(495)1234567"_s,
        u"-2+3"_s,
        u"@SUM(1;2)"_s,
        u"\t=1+1"_s,
        u"\r=1+1"_s,
        u"  =1+1"_s,
        u"Акт\x01\x02\x1F\x7F\u0085 с управляющими"_s,
        u"Акт\rс возвратом каретки\r\nи переводом строки"_s,
        u"Обычный акт"_s,
    };
    const QStringList numbers{u"=3+3"_s, u"-15"_s, u"+7"_s, u"@1"_s, withNul(u"12"_s, u"34"_s), u"\x1B[31m"_s};
    const QStringList parties{withNul(u"=1+2"_s, u" ООО «Формула»"_s), u"@Контрагент\x07"_s, u"-ООО «Минус»"_s,
                              u"ООО «Строка\rвторая»"_s};

    // Content named like the metadata file (in two spellings) and like the document's shortcut.
    QJsonArray content = doc.value(u"content"_s).toArray();
    if (n % 3 != 1)
        content.append(n % 2 == 0 ? u"hostile/DCInfo.n7l"_s : u"hostile/dcinfo.N7L"_s);
    if (n % 3 != 0) {
        const QString link = u"hostile/"_s + QString::number(n) + u"/diadoc.documentID="_s
                             + doc.value(u"id"_s).toString().right(36) + u".url"_s;
        writeFile(QDir(folder).filePath(link), QByteArrayLiteral("[InternetShortcut]\r\nURL=https://example.com/\r\n"));
        content.append(link);
    }
    doc[u"content"_s] = content;

    doc[u"title"_s] = titles.at(n % titles.size());
    doc[u"number"_s] = numbers.at(n % numbers.size());
    if (doc.value(u"counteragent"_s).isObject()) {
        QJsonObject party = doc.value(u"counteragent"_s).toObject();
        party[u"name"_s] = parties.at(n % parties.size());
        doc[u"counteragent"_s] = party;
    }
    // An address with letters beyond ASCII and a line break that would add a line to a shortcut.
    doc[u"pathUrl"_s] =
        QString(doc.value(u"pathUrl"_s).toString() + u"&комментарий=Счёт №5\r\nIconFile=C:\\evil.ico"_s);
    doc[u"metadata"_s] =
        QJsonArray{QJsonObject{{u"key"_s, u"Комментарий"_s}, {u"value"_s, u"=1+1\r\nвторая строка"_s}}};
}

QList<Type> documentTypes()
{
    // Most documents reach the state the protocols mark as normal (signed by the other side, or
    // finished); the others are spread over the remaining statuses of the type.
    const Statuses bilateral{
        {{u"InboundWithRecipientSignature"_s, 10}, {u"InboundWaitingForRecipientSignature"_s, 1}},
        {{u"OutboundWithRecipientSignature"_s, 10},
         {u"OutboundWaitingForRecipientSignature"_s, 1},
         {u"OutboundWaitingForSenderSignature"_s, 1}},
        {{u"InternalWithRecipientSignature"_s, 10},
         {u"InternalWaitingForRecipientSignature"_s, 1},
         {u"InternalWaitingForSenderSignature"_s, 1}},
    };
    return {
        {u"Nonformalized"_s,
         u"Неформализованный документ"_s,
         {{{u"InboundWithRecipientSignature"_s, 10},
           {u"InboundNoRecipientSignatureRequest"_s, 1},
           {u"InboundWaitingForRecipientSignature"_s, 1}},
          {{u"OutboundWithRecipientSignature"_s, 10},
           {u"OutboundNoRecipientSignatureRequest"_s, 1},
           {u"OutboundWaitingForRecipientSignature"_s, 1}},
          {{u"InternalWithRecipientSignature"_s, 10},
           {u"InternalNoRecipientSignatureRequest"_s, 1},
           {u"InternalWaitingForRecipientSignature"_s, 1}}},
         {u"content/Письмо.pdf"_s}},
        {u"UniversalTransferDocument"_s,
         u"УПД"_s,
         {{{u"InboundFinished"_s, 8},
           {u"InboundWithRecipientSignature"_s, 3},
           {u"InboundNotFinished"_s, 1},
           {u"InboundWaitingForRecipientSignature"_s, 1}},
          {{u"OutboundFinished"_s, 8},
           {u"OutboundWithRecipientSignature"_s, 3},
           {u"OutboundNotFinished"_s, 1},
           {u"OutboundWaitingForInvoiceReceipt"_s, 1},
           {u"OutboundWaitingForRecipientSignature"_s, 1},
           {u"OutboundWaitingForSenderSignature"_s, 1}},
          {}},
         {u"content/УПД.xml"_s, u"content/УПД.xml.sgn"_s}},
        {u"Invoice"_s,
         u"Счет-фактура"_s,
         {{{u"InboundFinished"_s, 10}, {u"InboundNotFinished"_s, 1}},
          {{u"OutboundFinished"_s, 10},
           {u"OutboundNotFinished"_s, 1},
           {u"OutboundWaitingForInvoiceReceipt"_s, 1},
           {u"OutboundWaitingForSenderSignature"_s, 1}},
          {}},
         {u"content/Счёт-фактура.xml"_s}},
        {u"XmlAcceptanceCertificate"_s,
         u"Акт выполненных работ"_s,
         bilateral,
         {u"content/Акт.xml"_s, u"content/Акт.xml.sgn"_s}},
        {u"Contract"_s, u"Договор"_s, bilateral, {u"content/Договор.pdf"_s}},
    };
}

// The content files that documents of a type share, and the transfer protocol all share.
void writeSharedContent(const QString& folder, const QList<Type>& types, bool hostileContent)
{
    for (const Type& type : types) {
        for (const QString& file : type.content)
            writeFile(QDir(folder).filePath(file),
                      (u"Содержимое файла «"_s + QFileInfo(file).fileName() + u"» (пример)\n"_s).toUtf8());
    }
    writeFile(QDir(folder).filePath(u"content/Протокол передачи.pdf"_s), u"Протокол передачи документа\n"_s.toUtf8());
    if (hostileContent) {
        writeFile(QDir(folder).filePath(u"hostile/DCInfo.n7l"_s),
                  QByteArrayLiteral("content named like the metadata file\n"));
        writeFile(QDir(folder).filePath(u"hostile/dcinfo.N7L"_s),
                  QByteArrayLiteral("the same name in other letters\n"));
    }
}

QList<Party> counterpartiesOf(const SandboxGenerator::Settings& settings)
{
    QList<Party> counterparties = {
        {u"7707083893"_s, u"773601001"_s, u"ПАО «Сбыт-Энерго»"_s},
        {u"7728168971"_s, u"770801001"_s, u"АО \"Альфа Поставка\""_s},
        {u"500100732259"_s, QString(), u"ИП Смирнова Ольга Петровна"_s},
        {u"7810012345"_s, u"781001001"_s, u"ООО «Невские <перевозки> & Ко»"_s},
        {u"6658012345"_s, u"665801001"_s, u"ООО «Уральский склад»"_s},
    };
    for (int i = 1; i <= settings.extraCounterparties; ++i)
        counterparties.append(
            {QString::number(7700000000LL + i * 7), QString::number(770000000 + i), u"ООО «Контрагент № %1»"_s.arg(i)});
    return counterparties;
}

// The organisations, each with a guid from the dice; paidBoxes gets those that documents go to.
QJsonArray organizationsOf(const SandboxGenerator::Settings& settings, const QList<Type>& types, Dice& dice,
                           QStringList& paidBoxes)
{
    QJsonArray docTypes;
    for (const Type& t : types)
        docTypes.append(QJsonObject{{u"name"_s, t.name}, {u"title"_s, t.title}});
    const QJsonArray departments{
        QJsonObject{{u"id"_s, u"dep-sever"_s}, {u"name"_s, u"Филиал «Север»"_s}, {u"kpp"_s, u"290101001"_s}},
        QJsonObject{
            {u"id"_s, u"dep-sever-sklad"_s}, {u"name"_s, u"Склад г. Архангельск"_s}, {u"parent"_s, u"dep-sever"_s}},
        QJsonObject{{u"id"_s, u"dep-yug"_s}, {u"name"_s, u"Филиал «Юг»"_s}, {u"kpp"_s, u"230101001"_s}},
    };
    QJsonArray organizations{
        QJsonObject{{u"id"_s, u"box-romashka"_s},
                    {u"guid"_s, dice.guid()},
                    {u"inn"_s, u"7701234567"_s},
                    {u"kpp"_s, u"770101001"_s},
                    {u"name"_s, u"ООО «Ромашка»"_s},
                    {u"documentTypes"_s, docTypes},
                    {u"departments"_s, departments}},
        QJsonObject{{u"id"_s, u"box-vasilek"_s},
                    {u"guid"_s, dice.guid()},
                    {u"inn"_s, u"5003012345"_s},
                    {u"kpp"_s, u"500301001"_s},
                    {u"name"_s, u"АО «Василёк»"_s},
                    {u"documentTypes"_s, docTypes}},
        QJsonObject{{u"id"_s, u"box-lyutik"_s},
                    {u"guid"_s, dice.guid()},
                    {u"inn"_s, u"7802000003"_s},
                    {u"kpp"_s, u"780201001"_s},
                    {u"name"_s, u"ООО «Лютик»"_s},
                    {u"tariff"_s, u"unpaid"_s}},
    };
    paidBoxes = QStringList{u"box-romashka"_s, u"box-vasilek"_s};
    for (int i = 1; i <= settings.extraOrganizations; ++i) {
        const QString id = u"box-extra-%1"_s.arg(i);
        organizations.append(QJsonObject{{u"id"_s, id},
                                         {u"guid"_s, dice.guid()},
                                         {u"inn"_s, QString::number(5400000000LL + i * 13)},
                                         {u"kpp"_s, QString::number(540000000 + i)},
                                         {u"name"_s, u"ООО «Организация %1»"_s.arg(i)},
                                         {u"documentTypes"_s, docTypes}});
        paidBoxes.append(id);
    }
    return organizations;
}

// Makes the documents one by one. Every value comes from the dice in the same order as ever: one
// seed gives one sandbox, and the bundled sample stays what it is.
class DocumentMaker final
{
public:
    DocumentMaker(const QString& folder, const SandboxGenerator::Settings& settings, const QList<Type>& types,
                  const QList<Party>& counterparties, const QStringList& paidBoxes, Dice& dice, Dice& statusDice)
        : m_folder(folder)
        , m_settings(settings)
        , m_types(types)
        , m_counterparties(counterparties)
        , m_paidBoxes(paidBoxes)
        , m_dice(dice)
        , m_statusDice(statusDice)
    {
    }

    QJsonObject make(int n)
    {
        QJsonObject doc = ordinary(n);
        joinPackage(doc);
        if (m_settings.hostileContent && n < SandboxGenerator::kHostileDocuments)
            makeHostile(doc, n, m_folder);
        // A few documents come with machine-readable powers of attorney and their files.
        if (n % 60 == 7)
            attachPowerOfAttorney(doc);
        return doc;
    }

private:
    QJsonObject ordinary(int n)
    {
        Dice& dice = m_dice;
        const QString box = m_paidBoxes.at(dice.below(m_paidBoxes.size()));
        const Type& type = m_types.at(dice.below(m_types.size()));
        QString direction = kDirections.at(dice.below(kDirections.size()));
        // A type that is never internal goes in or out instead; what it needs beyond that comes from
        // the status dice, so that the main dice keep their sequence.
        const bool madeExternal = type.statuses.of(direction).isEmpty();
        if (madeExternal)
            direction = m_statusDice.below(2) == 0 ? u"Inbound"_s : u"Outbound"_s;
        const QString messageId = dice.guid();
        const QString entityId = dice.guid();
        // Counted on a clock without summer time, then written as that clock reads, so that the same
        // seed gives the same sandbox in every zone.
        const QDateTime counted =
            QDateTime(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC)
                .addSecs(qint64(dice.below(365 * std::max(1, m_settings.years))) * 86400 + dice.below(36000));
        const QDateTime timestamp(counted.date(), counted.time());
        const QDate documentDate = timestamp.date().addDays(-dice.below(5));
        QJsonObject doc{
            {u"id"_s, QString(messageId + entityId)},
            {u"organization"_s, box},
            {u"type"_s, type.name},
            {u"direction"_s, direction},
            {u"timestamp"_s, timestamp.toString(Qt::ISODate)},
            {u"number"_s, QString::number(1000 + n)},
            {u"title"_s, QString(type.title + u" № "_s + QString::number(1000 + n) + u" от "_s
                                 + documentDate.toString(u"dd.MM.yyyy"_s))},
            {u"fileName"_s, QFileInfo(type.content.first()).fileName()},
            {u"pathUrl"_s,
             QString(u"/"_s + box + u"/Document/Show?letterId="_s + messageId + u"&documentId="_s + entityId)},
            {u"status"_s, m_statusDice.pick(type.statuses.of(direction))},
            {u"docflow"_s,
             dice.below(6) == 0
                 ? QJsonObject{{u"severity"_s, u"Info"_s}, {u"text"_s, u"Ожидается подпись получателя"_s}}
                 : QJsonObject{{u"severity"_s, u"Success"_s}, {u"text"_s, u"Документооборот завершен"_s}}},
            {u"content"_s, QJsonArray::fromStringList(type.content)},
            {u"protocol"_s, u"content/Протокол передачи.pdf"_s},
        };
        if (m_settings.hostileTitles && n % 50 == 13)
            doc[u"title"_s] = kHostileTitles.at((n / 50) % kHostileTitles.size());
        // Unformalised documents often carry no date of their own.
        if (type.name != u"Nonformalized"_s || dice.below(2) == 0)
            doc[u"documentDate"_s] = documentDate.toString(Qt::ISODate);
        if (box == u"box-romashka"_s) {
            const QString dep = kDepartmentIds.at(dice.below(kDepartmentIds.size()));
            if (!dep.isEmpty())
                doc[u"department"_s] = dep;
        }
        addParties(doc, box, direction, madeExternal);
        addMarks(doc, type, direction);
        return doc;
    }

    void addParties(QJsonObject& doc, const QString& box, const QString& direction, bool madeExternal)
    {
        if (direction == u"Internal"_s) {
            doc[u"counteragent"_s] = QJsonValue::Null;
            if (box == u"box-romashka"_s) {
                doc[u"fromDepartment"_s] = u"dep-sever"_s;
                doc[u"toDepartment"_s] = u"dep-yug"_s;
            }
        } else {
            Dice& partyDice = madeExternal ? m_statusDice : m_dice;
            const Party& p = m_counterparties.at(partyDice.below(m_counterparties.size()));
            doc[u"counteragent"_s] = QJsonObject{{u"inn"_s, p.inn}, {u"kpp"_s, p.kpp}, {u"name"_s, p.name}};
        }
    }

    // Deleted, revoked and refused documents, and the metadata some carry.
    void addMarks(QJsonObject& doc, const Type& type, const QString& direction)
    {
        Dice& dice = m_dice;
        if (dice.below(25) == 0)
            doc[u"deleted"_s] = true;
        if (dice.below(30) == 0)
            doc[u"revocationStatus"_s] = u"RevocationAccepted"_s;
        // Now and then the other side refuses to sign; invoices know no such status.
        if (dice.below(40) == 0 && type.name != u"Invoice"_s)
            doc[u"status"_s] = QString(direction + u"RecipientSignatureRequestRejected"_s);
        if (dice.below(3) == 0)
            doc[u"metadata"_s] =
                QJsonArray{QJsonObject{{u"key"_s, u"ИтоговаяСумма"_s},
                                       {u"value"_s, QString(QString::number(dice.below(900000) + 100) + u",00"_s)}},
                           QJsonObject{{u"key"_s, u"Комментарий"_s}, {u"value"_s, u"Оплата по счёту \"№ 5\""_s}}};
    }

    // Runs of two or three documents form a package.
    void joinPackage(QJsonObject& doc)
    {
        if (m_packageLeft == 0 && m_dice.below(10) == 0) {
            m_packageId = m_dice.guid();
            m_packageLeft = 2 + m_dice.below(2);
        }
        if (m_packageLeft > 0) {
            doc[u"packageId"_s] = m_packageId;
            --m_packageLeft;
        }
    }

    void attachPowerOfAttorney(QJsonObject& doc)
    {
        ++m_poaNumber;
        const QString number = u"1b2c3d4e-0000-4000-8000-%1"_s.arg(m_poaNumber, 12, 10, QChar(u'0'));
        const QString fileId = u"ON_EMCHD_20240110_"_s + number;
        const bool odd = m_poaNumber % 2 == 1;
        const QString xmlName =
            odd ? QString(fileId + u".xml"_s) : QString(u"Иванов_"_s + QString::number(m_poaNumber) + u" МЧД.xml"_s);
        const QString signature = odd ? QString(fileId + u".sig"_s) : QString(xmlName + u".sgn"_s);
        writeFile(QDir(m_folder).filePath(u"poa/"_s + xmlName),
                  powerOfAttorneyXml(fileId, number, u"Иванов Иван Иванович"_s));
        writeFile(QDir(m_folder).filePath(u"poa/"_s + signature), QByteArrayLiteral("signature"));
        QJsonArray content = doc.value(u"content"_s).toArray();
        content.append(QString(u"poa/"_s + xmlName));
        content.append(QString(u"poa/"_s + signature));
        doc[u"content"_s] = content;
        QJsonObject poa{{u"registrationNumber"_s, number}, {u"issuerInn"_s, u"7701234567"_s}};
        if (odd)
            poa[u"confidant"_s] = QJsonObject{{u"inn"_s, u"770112345678"_s}, {u"name"_s, u"Иванов Иван Иванович"_s}};
        poa[u"status"_s] =
            QJsonObject{{u"severity"_s, u"Success"_s}, {u"id"_s, u"IsValid"_s}, {u"text"_s, u"Действительна"_s}};
        doc[u"powersOfAttorney"_s] = QJsonArray{poa};
    }

    // Titles from other organisations that must not choose where a document lands.
    inline static const QStringList kHostileTitles{u"../../../etc/passwd"_s,
                                                   u"..\\..\\Windows\\System32"_s,
                                                   u"CON"_s,
                                                   u"Акт <script>alert(1)</script> & \"кавычки\""_s,
                                                   QString(300, u'Ж'),
                                                   u"  .  "_s,
                                                   u"/абсолютный/путь"_s,
                                                   u"a:b*c?d|e"_s};
    inline static const QStringList kDepartmentIds{QString(), QString(), u"dep-sever"_s, u"dep-sever-sklad"_s,
                                                   u"dep-yug"_s};
    inline static const QStringList kDirections{u"Inbound"_s, u"Inbound"_s, u"Outbound"_s, u"Internal"_s};

    const QString& m_folder;
    const SandboxGenerator::Settings& m_settings;
    const QList<Type>& m_types;
    const QList<Party>& m_counterparties;
    const QStringList& m_paidBoxes;
    Dice& m_dice;
    Dice& m_statusDice;
    int m_poaNumber = 0;
    QString m_packageId;
    int m_packageLeft = 0;
};

QJsonObject sandboxRoot(const SandboxGenerator::Settings& settings, const QJsonArray& organizations,
                        const QJsonArray& documents)
{
    // A service latency is written only when asked for: the bundled sample stays as it is.
    QJsonObject asyncPolicy{{u"polls"_s, settings.polls}};
    if (settings.delayMs > 0)
        asyncPolicy.insert(u"delayMs"_s, settings.delayMs);
    return {
        {u"version"_s, u"2.14.6.210"_s},
        {u"apiClientIds"_s, QJsonArray{u"tallowGrange-3f9a1c7e52d04b8a9e6f21c4d8b07a5e"_s}},
        {u"listAsync"_s, asyncPolicy},
        {u"contentAsync"_s, asyncPolicy},
        {u"certificates"_s, QJsonArray{QJsonObject{{u"thumbprint"_s, u"3F6A1C0B9E2D4F5A6B7C8D9E0F1A2B3C4D5E6F70"_s},
                                                   {u"name"_s, u"Иванов Иван Иванович"_s},
                                                   {u"organizationName"_s, u"ООО «Ромашка»"_s},
                                                   {u"inn"_s, u"7701234567"_s},
                                                   {u"kpp"_s, u"770101001"_s},
                                                   {u"beginDate"_s, u"2024-01-15T10:00:00"_s},
                                                   {u"endDate"_s, u"2025-04-15T10:00:00"_s},
                                                   {u"qualified"_s, true}},
                                       QJsonObject{{u"thumbprint"_s, u"9C8B7A6F5E4D3C2B1A0F9E8D7C6B5A4F3E2D1C0B"_s},
                                                   {u"name"_s, u"Петрова Анна Сергеевна"_s},
                                                   {u"beginDate"_s, u"2023-03-01"_s},
                                                   {u"endDate"_s, u"2024-03-01"_s},
                                                   {u"qualified"_s, false}}}},
        {u"accounts"_s,
         QJsonArray{QJsonObject{{u"login"_s, u"buh@romashka.ru"_s},
                                {u"password"_s, u"Ромашка2024"_s},
                                {u"certificates"_s, QJsonArray{u"3F6A1C0B9E2D4F5A6B7C8D9E0F1A2B3C4D5E6F70"_s}}}}},
        {u"organizations"_s, organizations},
        {u"documents"_s, documents},
    };
}

} // namespace

void SandboxGenerator::write(const QString& folder, const Settings& settings)
{
    Dice dice(settings.seed);
    // The statuses have dice of their own, so that the other values follow the seed as before.
    Dice statusDice(settings.seed ^ 0x5A7u);
    const QList<Type> types = documentTypes();
    writeSharedContent(folder, types, settings.hostileContent);
    const QList<Party> counterparties = counterpartiesOf(settings);
    QStringList paidBoxes;
    const QJsonArray organizations = organizationsOf(settings, types, dice, paidBoxes);

    DocumentMaker maker(folder, settings, types, counterparties, paidBoxes, dice, statusDice);
    QJsonArray documents;
    for (int n = 0; n < settings.documents; ++n)
        documents.append(maker.make(n));
    writeFile(QDir(folder).filePath(u"sandbox.json"_s),
              QJsonDocument(sandboxRoot(settings, organizations, documents)).toJson(QJsonDocument::Indented));
}

} // namespace platform::diadoc
