#include "MetadataFile.h"

#include <algorithm>
#include <utility>

#include <QUrl>

#include "NameCleaning.h"
#include "WebAddresses.h"
#include "base/LinkAddress.h"
#include "core/VbText.h"
#include "core/mErrorHandling.h"
#include "core/mIO.h"
#include "core/mLogFile.h"
#include "core/mOther.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/VbDate.h"
#include "diadoc/mDiadocDocuments.h"
#include "diadoc/mDiadocStatusTexts.h"
#include "platform/diadoc/DiadocAttachedPowerOfAttorney.h"
#include "platform/diadoc/DiadocConfidant.h"
#include "platform/diadoc/DiadocCounteragent.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocDocflowStatus.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/diadoc/DiadocMetadataItem.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/DiadocPowerOfAttorney.h"
#include "platform/diadoc/DiadocPowerOfAttorneyId.h"
#include "platform/diadoc/DiadocStatus.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadocDocuments;
using diadoc::mDiadocStatusTexts;
using platform::diadoc::Variant;

namespace engine {

namespace {

const QString kCrLf = u"\r\n"_s;

// Characters that XML 1.0 cannot carry at all are dropped: a value from the service must not make
// the file unreadable for the programs that read it.
QString withoutForbiddenCharacters(QString text)
{
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF;
    });
    return text;
}

// A reader turns a carriage return of the text into a line feed: it is kept as a reference.
QString elementText(QString value)
{
    // Most values need neither: they are kept as they are, without a copy.
    const bool plain = std::none_of(value.cbegin(), value.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || u == u'&' || u == u'<' || u == u'>' || u == u'\'' || u == u'"' || u >= 0xFFFE;
    });
    if (plain)
        return value;
    value = withoutForbiddenCharacters(std::move(value));
    return MetadataFile::ekran(value).replace(u'\r', u"&#13;"_s);
}

// In an attribute a reader would fold line ends and tabs into blanks: they are kept as references.
QString attributeText(QString value)
{
    QString text = elementText(std::move(value));
    text.replace(u'\n', u"&#10;"_s).replace(u'\t', u"&#9;"_s);
    return text;
}

QString element(const QString& name, const QString& value)
{
    return u'<' + name + u'>' + elementText(value) + u"</"_s + name + u'>';
}

QString dateTimeText(const Variant& value)
{
    return diadoc::VbDate::fromVariant(value).toString(u"dd.MM.yyyy HH:mm:ss"_s);
}

bool holdsObject(const Variant& value)
{
    return value.isObject() && !value.isNothing();
}

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

QString shortcut(const QString& url)
{
    return u"[InternetShortcut]"_s + kCrLf + u"URL="_s + MetadataFile::shortcutAddress(url);
}

// A value put into the query of an address: it cannot add a parameter or end the address.
QString queryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

MetadataFile::MetadataFile(const PersonsCollection& persons, QString versionText, core::mLogFile* log,
                           std::function<QDateTime()> localNow)
    : m_persons(persons)
    , m_versionText(std::move(versionText))
    , m_log(log)
    , m_localNow(std::move(localNow))
{
}

QString& MetadataFile::ekran(QString& text)
{
    text.replace(u'&', u"&amp;"_s);
    text.replace(u'<', u"&lt;"_s);
    text.replace(u'>', u"&gt;"_s);
    text.replace(u'\'', u"&apos;"_s);
    text.replace(u'"', u"&quot;"_s);
    return text;
}

QString MetadataFile::shortcutAddress(const QString& url)
{
    return core::LinkAddress::encoded(url);
}

QString MetadataFile::documentLinkName(const QString& documentId)
{
    return diadoc::OwnFileNames::documentLinkName(documentId);
}

QString MetadataFile::powerOfAttorneyLinkName(const QString& registrationNumber)
{
    return NameCleaning::cutToByteBudget(u"Доверенность_"_s + NameCleaning::cleanElement(registrationNumber),
                                         NameCleaning::kMaxNameBytes - 4)
           + u".url"_s;
}

void MetadataFile::log(const QString& text)
{
    if (m_log != nullptr)
        m_log->WriteLogFile(text);
}

QString MetadataFile::SaveN7L(const QString& folder, platform::diadoc::DiadocDocument& doc,
                              const QString& organisationKey)
{
    try {
        const QString link = shortcut(QString::fromUtf16(kDiadocWebAddress) + doc.PathURL());
        if (QString message =
                core::mOther::SaveStringToFile(joinPath(folder, documentLinkName(doc.DocumentId())), link, true);
            !message.isEmpty())
            return message;

        log(u"Перед формированием DCInfo.n7l (+доверенности, +метаданные) для "_s + folder);
        const QString xml = buildText(folder, doc, organisationKey);
        log(u"После формированием DCInfo.n7l (+доверенности, +метаданные) для "_s + folder);

        return core::mOther::SaveStringToFile(joinPath(folder, QString::fromUtf16(kMetadataFileName)), xml, true);
    } catch (...) {
        core::PropagateError(u"Fetchling", u"SaveN7L");
    }
}

QString MetadataFile::buildText(const QString& folder, platform::diadoc::DiadocDocument& doc,
                                const QString& organisationKey)
{
    QString xml = u"<?xml version=\"1.0\" encoding=\"windows-1251\" ?>"_s + kCrLf;
    xml += u"<Document DocSource=\"Диадок\" GeneratedBy=\"N7_Fetchling\" GeneratedByAdd=\""_s
           + attributeText(m_versionText) + u"\" UploadedDateTime=\""_s
           + attributeText(m_localNow().toString(u"yyyy.MM.dd HH:mm:ss"_s)) + u"\">"_s;

    const QString type = doc.Type();
    const QString typeNamedId = doc.TypeNamedId();
    const QString status = doc.Status();
    xml += element(u"Title"_s, core::mIO::FixBadChars(doc.Title()));
    xml += element(u"Type"_s, type);
    xml += element(u"TypeNamedId"_s, typeNamedId);
    xml += element(u"DocTypeName"_s, m_persons.Item(organisationKey)->GetDocTypeName(typeNamedId));
    xml += element(u"Status"_s, status);
    xml += element(u"StatusRus"_s, mDiadocStatusTexts::StatusRus(type, status, false));

    const auto docflow = doc.DocflowStatus();
    const auto primary = docflow ? docflow->PrimaryStatus() : nullptr;
    xml += u"<DocflowStatus><PrimaryStatus>"_s + element(u"Severity"_s, primary ? primary->Severity() : QString())
           + element(u"Text"_s, primary ? primary->Text() : QString()) + u"</PrimaryStatus></DocflowStatus>"_s;

    const QString revocation = doc.RevocationStatus();
    const QString roaming = doc.RoamingNotificationStatus();
    xml += element(u"RevocationStatus"_s, revocation);
    xml += element(u"RevocationStatusRus"_s, mDiadocStatusTexts::RevocationStatusRus(revocation));
    xml += element(u"RoamingNotificationStatus"_s, roaming);
    xml += element(u"RoamingNotificationStatusRus"_s, mDiadocStatusTexts::RoamingNotificationStatusRus(roaming, true));
    xml += element(u"RecipientResponseStatus"_s, doc.RecipientResponseStatus());
    xml += element(u"SenderSignatureStatus"_s, doc.SenderSignatureStatus());
    xml += element(u"Direction"_s, doc.Direction());
    xml += element(u"Filename"_s, doc.FileName());
    xml += element(u"PathURL"_s, QString::fromUtf16(kDiadocWebAddress) + doc.PathURL());
    xml += element(u"DocumentId"_s, doc.DocumentId());
    xml += element(u"PackageId"_s, doc.PackageId());

    const Variant forwarding = mDiadocDocuments::ForwardingDate(doc);
    if (!mDiadocDocuments::IsDateEmpty(forwarding))
        xml += element(u"Timestamp"_s, dateTimeText(forwarding));
    const QString number = doc.DocumentNumber();
    if (!core::Trim(number).isEmpty())
        xml += element(u"DocumentNumber"_s, number);
    const Variant documentDate = doc.DocumentDate();
    if (!mDiadocDocuments::IsDateEmpty(documentDate))
        xml += element(u"DocumentDate"_s, dateTimeText(documentDate));

    if (const Variant counteragent = doc.Counteragent(); holdsObject(counteragent)) {
        const auto party = counteragent.as<platform::diadoc::DiadocCounteragent>();
        xml += u"<Counteragent>"_s + element(u"INN"_s, party->Inn()) + element(u"KPP"_s, party->Kpp())
               + element(u"Name"_s, party->Name()) + u"</Counteragent>"_s;
    }
    if (const Variant organization = doc.Organization(); holdsObject(organization)) {
        const auto box = organization.as<platform::diadoc::DiadocOrganization>();
        xml += u"<Organization>"_s + element(u"IdGuid"_s, box->Guid()) + element(u"INN"_s, box->Inn())
               + element(u"KPP"_s, box->Kpp()) + element(u"Name"_s, box->Name()) + u"</Organization>"_s;
    }
    if (const Variant department = doc.Department2(); holdsObject(department)) {
        const auto unit = department.as<platform::diadoc::DiadocDepartment>();
        xml += u"<Department>"_s + element(u"DepartmentId"_s, unit->id()) + element(u"DepartmentName"_s, unit->Name())
               + u"</Department>"_s;
    }
    appendPowersOfAttorney(xml, folder, doc);
    appendMetadata(xml, doc);
    xml += u"</Document>"_s;
    return xml;
}

void MetadataFile::appendPowersOfAttorney(QString& xml, const QString& folder, platform::diadoc::DiadocDocument& doc)
{
    std::shared_ptr<platform::diadoc::DiadocList> list;
    try {
        list = doc.GetPowersOfAttorney();
    } catch (...) {
        // A list the service cannot give leaves the element out.
        return;
    }
    if (!list)
        return;
    xml += u"<PowersOfAttorney>"_s;
    for (int i = 0; i < list->Count(); ++i) {
        const auto attached = list->itemAs<platform::diadoc::DiadocAttachedPowerOfAttorney>(i);
        const auto power = attached ? attached->PowerOfAttorney() : nullptr;
        const auto identity = power ? power->id() : nullptr;
        const QString registrationNumber = identity ? identity->RegistrationNumber() : QString();
        const QString issuerInn = identity ? identity->IssuerINN() : QString();
        const auto confidant = power ? power->Confidant() : nullptr;

        xml += u"<AttachedPowerOfAttorney><PowerOfAttorney><Id>"_s
               + element(u"RegistrationNumber"_s, registrationNumber) + element(u"IssuerINN"_s, issuerInn) + u"</Id>"_s;
        if (confidant) {
            xml += u"<Confidant>"_s + element(u"INN"_s, confidant->Inn()) + element(u"Name"_s, confidant->Name())
                   + u"</Confidant>"_s;
        }
        xml += u"</PowerOfAttorney>"_s;
        if (attached) {
            if (const Variant state = attached->Status(); holdsObject(state)) {
                const auto status = state.as<platform::diadoc::DiadocStatus>();
                xml += u"<Status>"_s + element(u"Severity"_s, status->Severity()) + element(u"Id"_s, status->id())
                       + element(u"Text"_s, status->Text()) + u"</Status>"_s;
            }
        }
        xml += u"</AttachedPowerOfAttorney>"_s;

        if (!registrationNumber.isEmpty()) {
            QString url = QString::fromUtf16(kPowerOfAttorneyRegistry) + u"/EMCHD/get-info?guid="_s
                          + queryValue(registrationNumber) + u"&innP="_s + queryValue(issuerInn);
            if (confidant)
                url += u"&innR="_s + queryValue(confidant->Inn());
            // A shortcut that cannot be written is not reported: the metadata file still names it.
            core::mOther::SaveStringToFile(joinPath(folder, powerOfAttorneyLinkName(registrationNumber)), shortcut(url),
                                           true);
        }
    }
    xml += u"</PowersOfAttorney>"_s;
}

void MetadataFile::appendMetadata(QString& xml, const platform::diadoc::DiadocDocument& doc)
{
    std::shared_ptr<platform::diadoc::DiadocList> list;
    try {
        list = doc.Metadata();
    } catch (...) {
        return;
    }
    if (!list)
        return;
    xml += u"<DiadocDocumentMetadata>"_s;
    for (int i = 0; i < list->Count(); ++i) {
        if (const auto item = list->itemAs<platform::diadoc::DiadocMetadataItem>(i)) {
            xml += u"<DocumentMetadata Key=\""_s + attributeText(item->Key()) + u"\" Value=\""_s
                   + attributeText(item->Value()) + u"\"/>"_s;
        }
    }
    xml += u"</DiadocDocumentMetadata>"_s;
}

} // namespace engine
