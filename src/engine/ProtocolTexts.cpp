#include "ProtocolTexts.h"

#include "core/VbText.h"
#include "core/mN7Files.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadocDocuments.h"
#include "diadoc/mDiadocStatusTexts.h"
#include "platform/diadoc/Variant.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadocStatusTexts;

namespace engine {

namespace {

int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The day of a text "dd.mm.yyyy" or "dd.mm.yyyy hh:mm:ss" with a valid date and time; an invalid
// date for any other text.
QDate recordDate(QStringView text)
{
    if (text.size() != 10 && text.size() != 19)
        return {};
    if (text[2] != u'.' || text[5] != u'.')
        return {};
    if (text.size() == 19) {
        if (text[10] != u' ' || text[13] != u':' || text[16] != u':')
            return {};
        if (!QTime::isValid(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)))
            return {};
    }
    const int day = digits(text, 0, 2);
    const int month = digits(text, 3, 2);
    const int year = digits(text, 6, 4);
    if (day < 0 || month < 0 || year < 0)
        return {};
    return QDate(year, month, day);
}

} // namespace

QString ProtocolTexts::protocolBaseName(const QDateTime& localTime)
{
    return u"Протокол выгрузки документов из Диадок от "_s + localTime.toString(u"yyyy.MM.dd HH.mm.ss"_s);
}

QString ProtocolTexts::statusesText(const diadoc::AsyncDocRecord& doc, QStringView separator, bool roamingDescription)
{
    return joinStatuses(statusParts(doc, roamingDescription), separator);
}

QStringList ProtocolTexts::statusParts(const diadoc::AsyncDocRecord& doc, bool roamingDescription)
{
    QString roaming = mDiadocStatusTexts::RoamingNotificationStatusRus(doc.RoamingNotificationStatus, false);
    if (roamingDescription && !roaming.isEmpty() && !doc.RoamingNotificationStatusDescription.isEmpty())
        roaming += u" ("_s + doc.RoamingNotificationStatusDescription + u')';
    return {
        roaming,
        mDiadocStatusTexts::RevocationStatusRus(doc.RevocationStatus),
        mDiadocStatusTexts::StatusRus(doc.TypeNamedId, doc.Status, true),
        mDiadocStatusTexts::RecipientResponseStatusRus(doc.RecipientResponseStatus, doc.Status),
        mDiadocStatusTexts::SenderSignatureStatusRus(doc.SenderSignatureStatus),
    };
}

QString ProtocolTexts::joinStatuses(const QStringList& parts, QStringView separator)
{
    QString text;
    for (const QString& part : parts) {
        if (!text.isEmpty() && !part.isEmpty())
            text += separator;
        text += part;
    }
    return text;
}

QString ProtocolTexts::organisationText(const diadoc::PersonRecord& person, const diadoc::AsyncDocRecord& doc)
{
    if (!doc.DepartmentName.isEmpty())
        return trimBlanks(person.Name) + u", "_s + doc.DepartmentName;
    if (person.IsChildren)
        return trimBlanks(person.Name) + u", Головное подразделение"_s;
    return person.Name;
}

QString ProtocolTexts::organisationTextHtml(const diadoc::PersonRecord& person, const diadoc::AsyncDocRecord& doc)
{
    if (!doc.DepartmentName.isEmpty())
        return trimTrailingBlanks(person.Name) + u", "_s + doc.DepartmentName;
    return person.Name;
}

std::shared_ptr<diadoc::PersonRecord> ProtocolTexts::personOf(const PersonsCollection& persons,
                                                              const diadoc::AsyncDocRecord& doc)
{
    return persons.Item(doc.KeyОрганизацииВКоллекции);
}

bool ProtocolFolders::exists(const QString& folder)
{
    const auto found = m_exists.constFind(folder);
    if (found != m_exists.constEnd())
        return found.value();
    const bool present = !core::mN7Files::GetLongPathName(folder).isEmpty();
    m_exists.insert(folder, present);
    return present;
}

QString ProtocolTexts::relativeFolder(const QString& pathForDownload, const QString& basePath, ProtocolFolders* folders)
{
    const QString folder = folders ? (folders->exists(pathForDownload) ? pathForDownload : QString())
                                   : core::mN7Files::GetLongPathName(pathForDownload);
    // Only a folder that really lies below the base folder loses the base folder's part; cutting
    // a fixed count of characters off any other folder would show a wrong one.
    if (basePath.isEmpty() || !folder.startsWith(basePath))
        return folder;
    const QStringView rest = QStringView(folder).mid(basePath.size());
    if (basePath.endsWith(u'/') || rest.isEmpty() || rest.startsWith(u'/'))
        return rest.toString();
    return folder;
}

QString ProtocolTexts::dateReceivedText(const QString& timestamp)
{
    // The form the document record writes is read by hand: the general date reading asks the
    // time zone for every value, which costs more than the rest of a protocol row.
    static const QString kMarker = diadoc::mDiadocDocuments::EmptyDateMarkerText();
    if (const QDate day = recordDate(timestamp); day.isValid())
        return timestamp == kMarker ? QString() : timestamp.left(10);
    const platform::diadoc::Variant value(timestamp);
    if (diadoc::mDiadocDocuments::IsDateEmpty(value))
        return {};
    return platform::diadoc::parseDateText(timestamp).toString(u"dd.MM.yyyy"_s);
}

bool ProtocolTexts::isDateEmpty(const QString& timestamp)
{
    return isDateEmpty(timestamp, platform::diadoc::parseDateText(timestamp));
}

bool ProtocolTexts::isDateEmpty(const QString& timestamp, const QDateTime& read)
{
    // The marker's text is made once: making it for every row cost more than reading the date.
    static const QString kMarker = diadoc::mDiadocDocuments::EmptyDateMarkerText();
    return timestamp == kMarker || !read.isValid();
}

QString ProtocolTexts::directionText(const diadoc::AsyncDocRecord& doc)
{
    return diadoc::mDiadocDocuments::GetDocClass(doc.Direction).Name;
}

QString ProtocolTexts::trimBlanks(const QString& text)
{
    return core::Trim(text);
}

QString ProtocolTexts::trimTrailingBlanks(const QString& text)
{
    return core::RTrim(text);
}

} // namespace engine
