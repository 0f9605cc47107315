#include "ProtocolFixture.h"

#include <algorithm>
#include <cerrno>

#include <QDir>
#include <QFile>

#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"
#include "platform/diadoc/SandboxOrganization.h"
#include "platform/diadoc/SandboxService.h"

using namespace Qt::StringLiterals;
namespace sandbox = platform::diadoc;

namespace protocoltest {

void RecordingProgress::StepChange(int StepCount, int NumberStep, bool& rCancel)
{
    events.append(u"step %1/%2"_s.arg(NumberStep).arg(StepCount));
    if (onStep)
        onStep(NumberStep);
    if (NumberStep == cancelAtStep)
        rCancel = true;
}

FullDevice::FullDevice(qint64 room)
    : m_room(room)
{
}

qint64 FullDevice::writeData(const char* data, qint64 size)
{
    const qint64 taken = std::min(size, m_room - written.size());
    if (taken <= 0) {
        setErrorString(qt_error_string(ENOSPC));
        return -1;
    }
    written.append(data, taken);
    return taken;
}

namespace {

sandbox::SandboxData sandboxData()
{
    const QList<sandbox::DocumentTypeData> types = {
        {u"Nonformalized"_s, u"Неформализованный документ"_s},
        {u"UniversalTransferDocument"_s, u"УПД"_s},
        {u"Invoice"_s, u"Счет-фактура"_s},
        {u"Contract"_s, u"Договор"_s},
    };
    sandbox::OrganizationData romashka;
    romashka.id = u"box-romashka"_s;
    romashka.name = u"ООО «Ромашка» "_s;
    romashka.departments = {{u"dep-sever"_s, u"Филиал «Север»"_s, u"290101001"_s, {}}};
    romashka.documentTypes = types;
    sandbox::OrganizationData vector;
    vector.id = u"box-vector"_s;
    vector.name = u"АО \"Вектор\" <Юг>"_s;
    vector.documentTypes = types;
    sandbox::SandboxData data;
    data.organizations = {romashka, vector};
    return data;
}

} // namespace

ProtocolFixture::ProtocolFixture()
    : dir(QDir::tempPath() + u"/protocol-XXXXXX"_s)
    , base(dir.path() + u'/')
    , service(std::make_shared<sandbox::SandboxService>(sandboxData(), [] { return qint64{0}; }))
{
    const auto& organisations = service->data().organizations;
    romashka = std::make_shared<diadoc::PersonRecord>(ui);
    romashka->Name = organisations[0].name;
    romashka->IsChildren = true;
    romashka->DiadocOrganization = std::make_shared<sandbox::SandboxOrganization>(service, &organisations[0]);
    vector = std::make_shared<diadoc::PersonRecord>(ui);
    vector->Name = organisations[1].name;
    vector->DiadocOrganization = std::make_shared<sandbox::SandboxOrganization>(service, &organisations[1]);
    persons.Add(romashka, u"ORG_romashka"_s);
    persons.Add(vector, u"ORG_vector"_s);
    source.path = base;
    source.persons = &persons;
}

ProtocolFixture::~ProtocolFixture()
{
    EXPECT_TRUE(ui.allScriptedAnswersUsed());
}

std::shared_ptr<diadoc::AsyncDocRecord> ProtocolFixture::document(const QString& organisationKey, const QString& name)
{
    auto doc = std::make_shared<diadoc::AsyncDocRecord>();
    doc->KeyОрганизацииВКоллекции = organisationKey;
    doc->DocumentName = name;
    return doc;
}

QString ProtocolFixture::folder(const QString& relative) const
{
    const QString path = base + relative + u'/';
    QDir().mkpath(path);
    return path;
}

void ProtocolFixture::fillSampleRun()
{
    summary = {
        {u"Протокол выгрузки документов из Диадок от"_s, u"2024.09.10 12.00.00"_s},
        {u"Папка выгрузки:"_s, base},
        {u"Организации:"_s, u"ООО «Ромашка» & АО \"Вектор\" <Юг>"_s},
        {u"Ошибок:"_s, {}},
    };

    auto invoice = document(u"ORG_romashka"_s, u"Счет-фактура № 1000 от 04.09.2024"_s);
    invoice->TypeNamedId = u"Invoice"_s;
    invoice->Direction = u"Inbound"_s;
    invoice->DepartmentName = u"Филиал «Север»"_s;
    invoice->Timestamp = u"06.09.2024 10:32:23"_s;
    invoice->DocumentDate = u"04.09.2024"_s;
    invoice->DocumentNumber = u"1000"_s;
    invoice->Counteragent = u" 500100732259 | ИП Смирнова Ольга Петровна "_s;
    invoice->Status = u"InboundFinished"_s;
    invoice->RoamingNotificationStatus = u"RoamingNotificationStatusError"_s;
    invoice->SenderSignatureStatus = u"SenderSignatureCheckedAndValid"_s;
    invoice->Path = folder(u"Ромашка/Филиал «Север»/2024-09/Счет-фактура № 1000"_s);
    invoice->PathForDownload = invoice->Path;

    // A package of two documents in one package folder; the second carries a power of attorney
    // and a title written to break the page.
    auto upd = document(u"ORG_vector"_s, u"УПД № 17 от 05.09.2024"_s);
    upd->TypeNamedId = u"UniversalTransferDocument"_s;
    upd->Direction = u"Outbound"_s;
    upd->PackageId = u"65ee466a-e903-44e5-8c11-7097404a7f89"_s;
    upd->Timestamp = u"05.09.2024 09:00:00"_s;
    upd->DocumentDate = u"05.09.2024"_s;
    upd->DocumentNumber = u"17"_s;
    upd->Counteragent = u"7701234567-770101001 | ООО «Ромашка»"_s;
    upd->Status = u"OutboundWithRecipientSignature"_s;
    upd->Path = folder(u"Вектор/Пакет 65ee466a/УПД № 17"_s);
    upd->PathForDownload = upd->Path;

    auto contract = document(u"ORG_vector"_s, u"Договор \"Поставка\" <script>alert('x')</script> & Co — №5 ✓"_s);
    contract->TypeNamedId = u"Contract"_s;
    contract->Direction = u"Inbound"_s;
    contract->PackageId = upd->PackageId;
    contract->Timestamp = u"05.09.2024 09:00:01"_s;
    contract->DocumentDate = u"01.09.2024"_s;
    contract->DocumentNumber = u"5; доп. 1"_s;
    contract->Counteragent = u"7701234567-770101001 | ООО «Ромашка»"_s;
    contract->Status = u"InboundWaitingForRecipientSignature"_s;
    contract->RevocationStatus = u"RevocationIsRequestedByMe"_s;
    contract->Path = folder(u"Вектор/Пакет 65ee466a/Договор 'Поставка' & Co #5"_s);
    contract->PathForDownload = contract->Path;
    QFile(contract->Path + u"Доверенность 77-1.xml"_s).open(QIODevice::WriteOnly);

    source.unloadedList = {invoice, upd, contract};

    auto ignored = document(u"ORG_romashka"_s, u"Акт сверки"_s);
    ignored->TypeNamedId = u"Any"_s;
    ignored->Direction = u"Internal"_s;
    ignored->Status = u"InternalWithRecipientSignature"_s;
    ignored->ErrorDescription = u"Документ удалён <в Диадок>"_s;
    source.ignoredList = {ignored};

    auto waiting = document(u"ORG_vector"_s, u"Письмо"_s);
    waiting->TypeNamedId = u"Nonformalized"_s;
    waiting->Direction = u"Inbound"_s;
    waiting->Timestamp = u"30.11.1999 00:00:00"_s;
    waiting->Status = u"Inbound"_s;
    waiting->Counteragent = u"  "_s;
    waiting->Path = base + u"Вектор/Письмо/"_s;
    source.docsMainQueue = {waiting};

    auto retry = document(u"ORG_romashka"_s, u"Счет № 3"_s);
    retry->TypeNamedId = u"Invoice"_s;
    retry->Direction = u"Outbound"_s;
    retry->Timestamp = u"07.09.2024 18:15:00"_s;
    retry->Status = u"OutboundNotFinished"_s;
    retry->ErrorDescription = u"  Превышено время ожидания  "_s;
    retry->Path = base + u"Ромашка/Счет № 3/"_s;
    source.docsSecondaryQueue = {retry};

    auto unloading = document(u"ORG_romashka"_s, u"Счет № 4"_s);
    unloading->TypeNamedId = u"Invoice"_s;
    unloading->Direction = u"Outbound"_s;
    unloading->DepartmentName = u"Филиал «Север»"_s;
    unloading->Timestamp = u"07.09.2024 18:16:00"_s;
    unloading->Status = u"OutboundFinished"_s;
    unloading->LastErrorDescription = u"  Нет связи с сервером  "_s;
    unloading->Path = base + u"Ромашка/Счет № 4/"_s;
    source.unloadingList = {unloading};
}

QByteArray ProtocolFixture::normalised(const QByteArray& bytes) const
{
    QByteArray result = bytes;
    return result.replace(base.toUtf8(), QByteArrayLiteral("{BASE}/"));
}

QByteArray ProtocolFixture::contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void ProtocolFixture::expectGolden(const QByteArray& actual, const QString& goldenName)
{
    const QString goldenPath = QStringLiteral(FETCHLING_GOLDEN_DIR) + u'/' + goldenName;
    if (qEnvironmentVariableIntValue("FETCHLING_UPDATE_GOLDEN") == 1) {
        QFile file(goldenPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(actual);
        return;
    }
    const QByteArray expected = contentOf(goldenPath);
    if (actual == expected)
        return;
    // Leave the actual bytes beside the build for a diff, and point at the first difference.
    const QString actualPath = QDir::currentPath() + u'/' + goldenName + u".actual"_s;
    QFile out(actualPath);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(actual);
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual.at(at) == expected.at(at))
        ++at;
    const qsizetype line = expected.left(at).count('\n') + 1;
    const qsizetype from = std::max<qsizetype>(0, at - 40);
    ADD_FAILURE() << "golden file " << goldenPath.toStdString() << " differs at byte " << at << " (line " << line
                  << "; expected " << expected.size() << " bytes, got " << actual.size() << ")\n"
                  << "  expected: ..." << expected.mid(from, 100).toStdString() << "\n"
                  << "  actual:   ..." << actual.mid(from, 100).toStdString() << "\n"
                  << "  see: diff <(iconv -f cp1251 " << goldenPath.toStdString() << ") <(iconv -f cp1251 "
                  << actualPath.toStdString() << ")";
}

} // namespace protocoltest
