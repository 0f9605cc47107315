#include "SandboxLoader.h"

#include <cerrno>
#include <cmath>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "JsonOffsets.h"
#include "base/Error.h"
#include "base/SystemErrorText.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

namespace {

constexpr int kBadFileNumber = 1001;
constexpr char16_t kTopLevelPrefix[] = u"top level.";

// The whole numbers a sandbox may give, each within a range that its arithmetic survives.
struct Range
{
    qint64 least;
    qint64 most;
};
// Polls are counted in an int; a policy's and a rule's added stay within it.
constexpr Range kPolls{0, 1'000'000'000};
// A delay is added to the service's clock, a policy's and a rule's together: about 31 years each.
constexpr Range kDelayMs{0, 1'000'000'000'000};
constexpr Range kAttempts{0, std::numeric_limits<int>::max()};
constexpr Range kErrorNumber{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};

// Reading helpers that know where in the file they are, so that a fault names its place. With the
// file's text at hand, a fault in a value also names its byte offset.
class Reader final
{
public:
    Reader(QString file, QString folder, QByteArray json = {})
        : m_file(std::move(file))
        , m_folder(std::move(folder))
        , m_json(std::move(json))
    {
    }

    [[noreturn]] void fail(const QString& where, const QString& fault) const
    {
        throw core::Error(kBadFileNumber, u"Sandbox file \""_s + m_file + u"\": "_s + where + u": "_s + fault);
    }

    // A fault in the value at the path, named with its offset in the file when the text is known.
    [[noreturn]] void failValue(const QString& path, const QString& fault) const
    {
        // The members of the top level are named alone in the file's paths.
        const QString inFile =
            path.startsWith(QStringView(kTopLevelPrefix)) ? path.mid(QStringView(kTopLevelPrefix).size()) : path;
        const qint64 offset = m_json.isEmpty() ? -1 : JsonOffsets::of(m_json, inFile);
        if (offset < 0)
            fail(path, fault);
        fail(u"offset "_s + QString::number(offset) + u", "_s + path, fault);
    }

    QString text(const QJsonObject& o, const QString& key, const QString& where, const QString& def = {}) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return def;
        if (!v.isString())
            failValue(where + u'.' + key, u"a text is expected"_s);
        return v.toString();
    }

    QString required(const QJsonObject& o, const QString& key, const QString& where) const
    {
        if (!o.contains(key))
            fail(where, u"the field \""_s + key + u"\" is missing"_s);
        return text(o, key, where);
    }

    bool flag(const QJsonObject& o, const QString& key, const QString& where, bool def = false) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return def;
        if (!v.isBool())
            failValue(where + u'.' + key, u"true or false is expected"_s);
        return v.toBool();
    }

    // A whole number within the range; a fraction, or a number beyond the range (one of 62 digits
    // among them), is refused before it is converted.
    qint64 number(const QJsonObject& o, const QString& key, const QString& where, Range range, qint64 def = 0) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return def;
        const QString path = where + u'.' + key;
        if (!v.isDouble())
            failValue(path, u"a number is expected"_s);
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::trunc(d) != d || d < static_cast<double>(range.least)
            || d > static_cast<double>(range.most))
            failValue(path, u"a whole number from "_s + QString::number(range.least) + u" to "_s
                                + QString::number(range.most) + u" is expected"_s);
        return static_cast<qint64>(d);
    }

    QJsonArray array(const QJsonObject& o, const QString& key, const QString& where) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return {};
        if (!v.isArray())
            failValue(where + u'.' + key, u"a list is expected"_s);
        return v.toArray();
    }

    QJsonObject object(const QJsonValue& v, const QString& where) const
    {
        if (!v.isObject())
            fail(where, u"an object is expected"_s);
        return v.toObject();
    }

    QStringList texts(const QJsonObject& o, const QString& key, const QString& where) const
    {
        QStringList result;
        const QJsonArray a = array(o, key, where);
        for (int i = 0; i < a.size(); ++i) {
            if (!a.at(i).isString())
                failValue(where + u'.' + key + u'[' + QString::number(i) + u']', u"a text is expected"_s);
            result.append(a.at(i).toString());
        }
        return result;
    }

    QDateTime date(const QJsonObject& o, const QString& key, const QString& where) const
    {
        const QString t = text(o, key, where);
        if (t.isEmpty())
            return {};
        const QDateTime value = parseDateText(t);
        if (!value.isValid())
            failValue(where + u'.' + key, u"\""_s + t + u"\" is not a date"_s);
        return value;
    }

    // A content file: relative to the folder, inside it, and existing. Documents share a few content
    // files, so each one is resolved once: canonicalising asks the file system about every folder
    // above it, and the documents then share one copy of its path.
    QString contentPath(const QString& relative, const QString& where) const
    {
        if (const auto known = m_resolved.constFind(relative); known != m_resolved.cend())
            return known.value();
        if (relative.isEmpty() || QDir::isAbsolutePath(relative) || relative.startsWith(u'\\')
            || relative.contains(u':'))
            fail(where, u"\""_s + relative + u"\" is not a path inside the sandbox folder"_s);
        const QStringList parts = QString(relative).replace(u'\\', u'/').split(u'/');
        if (parts.contains(u".."_s))
            fail(where, u"\""_s + relative + u"\" names a path outside the sandbox folder"_s);
        const QFileInfo info(QDir(m_folder).filePath(parts.join(u'/')));
        if (!info.exists() || !info.isFile())
            fail(where, u"the content file \""_s + relative + u"\" does not exist"_s);
        if (m_root.isEmpty())
            m_root = QDir(m_folder).canonicalPath() + u'/';
        const QString canonical = info.canonicalFilePath();
        if (!canonical.startsWith(m_root))
            fail(where, u"\""_s + relative + u"\" leads outside the sandbox folder"_s);
        m_resolved.insert(relative, canonical);
        return canonical;
    }

private:
    QString m_file;
    QString m_folder;
    QByteArray m_json;
    mutable QString m_root;
    mutable QHash<QString, QString> m_resolved;
};

FaultEffect effectOf(const QString& name, const Reader& r, const QString& where)
{
    static const QList<std::pair<QString, FaultEffect>> table = {
        {u"error"_s, FaultEffect::Error},     {u"nothing"_s, FaultEffect::Nothing},
        {u"empty"_s, FaultEffect::Empty},     {u"never"_s, FaultEffect::Never},
        {u"late"_s, FaultEffect::Late},       {u"false"_s, FaultEffect::False},
        {u"value"_s, FaultEffect::Value},     {u"nofiles"_s, FaultEffect::NoFiles},
        {u"corrupt"_s, FaultEffect::Corrupt}, {u"truncated"_s, FaultEffect::Truncated},
        {u"hostile"_s, FaultEffect::Hostile},
    };
    for (const auto& [key, effect] : table) {
        if (key == name)
            return effect;
    }
    r.fail(where + u".effect"_s, u"unknown effect \""_s + name + u'"');
}

Variant valueOf(const QJsonValue& v)
{
    if (v.isUndefined())
        return Variant();
    if (v.isNull())
        return Variant::null();
    if (v.isBool())
        return Variant(v.toBool());
    if (v.isDouble())
        return Variant(v.toDouble());
    return Variant(v.toString());
}

FaultRule readFault(const QJsonObject& o, const QString& where, const Reader& r)
{
    FaultRule rule;
    rule.operation = r.required(o, u"operation"_s, where);
    rule.organization = r.text(o, u"organization"_s, where);
    rule.document = r.text(o, u"document"_s, where);
    rule.type = r.text(o, u"type"_s, where);
    rule.documentClass = r.text(o, u"class"_s, where);
    rule.from = r.date(o, u"from"_s, where);
    rule.to = r.date(o, u"to"_s, where);
    rule.attempt = static_cast<int>(r.number(o, u"attempt"_s, where, kAttempts));
    rule.firstAttempts = static_cast<int>(r.number(o, u"firstAttempts"_s, where, kAttempts));
    rule.effect = effectOf(r.text(o, u"effect"_s, where, u"error"_s), r, where);
    rule.text = r.text(o, u"text"_s, where);
    rule.number = static_cast<int>(r.number(o, u"number"_s, where, kErrorNumber, rule.number));
    rule.extraPolls = static_cast<int>(r.number(o, u"extraPolls"_s, where, kPolls));
    rule.extraDelayMs = r.number(o, u"extraDelayMs"_s, where, kDelayMs);
    rule.value = valueOf(o.value(u"value"_s));
    return rule;
}

AsyncPolicy readPolicy(const QJsonObject& root, const QString& key, const Reader& r)
{
    AsyncPolicy policy;
    const QJsonValue v = root.value(key);
    if (v.isUndefined())
        return policy;
    const QJsonObject o = r.object(v, key);
    policy.polls = static_cast<int>(r.number(o, u"polls"_s, key, kPolls, policy.polls));
    policy.delayMs = r.number(o, u"delayMs"_s, key, kDelayMs, policy.delayMs);
    return policy;
}

PartyData readParty(const QJsonObject& o, const QString& where, const Reader& r)
{
    return {r.text(o, u"inn"_s, where), r.text(o, u"kpp"_s, where), r.text(o, u"name"_s, where)};
}

StatusData readStatus(const QJsonObject& o, const QString& where, const Reader& r)
{
    return {r.text(o, u"severity"_s, where), r.text(o, u"id"_s, where), r.text(o, u"text"_s, where)};
}

OrganizationData readOrganization(const QJsonObject& o, const QString& where, const Reader& r)
{
    OrganizationData org;
    org.id = r.required(o, u"id"_s, where);
    org.guid = r.text(o, u"guid"_s, where, org.id);
    org.inn = r.text(o, u"inn"_s, where);
    org.kpp = r.text(o, u"kpp"_s, where);
    org.name = r.text(o, u"name"_s, where);
    const QJsonArray deps = r.array(o, u"departments"_s, where);
    for (int i = 0; i < deps.size(); ++i) {
        const QString w = where + u".departments["_s + QString::number(i) + u']';
        const QJsonObject d = r.object(deps.at(i), w);
        org.departments.append(
            {r.required(d, u"id"_s, w), r.text(d, u"name"_s, w), r.text(d, u"kpp"_s, w), r.text(d, u"parent"_s, w)});
    }
    for (const DepartmentData& d : org.departments) {
        const bool known = std::any_of(org.departments.cbegin(), org.departments.cend(),
                                       [&](const DepartmentData& p) { return p.id == d.parentId; });
        if (!d.parentId.isEmpty() && !known)
            r.fail(where, u"the department \""_s + d.id + u"\" names an unknown parent \""_s + d.parentId + u'"');
    }
    const QJsonArray types = r.array(o, u"documentTypes"_s, where);
    for (int i = 0; i < types.size(); ++i) {
        const QString w = where + u".documentTypes["_s + QString::number(i) + u']';
        const QJsonObject t = r.object(types.at(i), w);
        org.documentTypes.append({r.required(t, u"name"_s, w), r.text(t, u"title"_s, w)});
    }
    const QString tariff = r.text(o, u"tariff"_s, where, u"paid"_s);
    if (tariff == u"paid"_s) {
        org.tariff = Tariff::Paid;
    } else if (tariff == u"unpaid"_s) {
        org.tariff = Tariff::Unpaid;
    } else if (tariff == u"error"_s) {
        org.tariff = Tariff::Error;
        org.tariffError = r.text(o, u"tariffError"_s, where);
    } else {
        r.fail(where + u".tariff"_s, u"\"paid\", \"unpaid\" or \"error\" is expected"_s);
    }
    return org;
}

DocumentData readDocument(const QJsonObject& o, const QString& where, const Reader& r)
{
    DocumentData doc;
    doc.organizationId = r.required(o, u"organization"_s, where);
    doc.documentId = r.required(o, u"id"_s, where);
    doc.type = r.text(o, u"type"_s, where, u"Nonformalized"_s);
    doc.typeNamedId = r.text(o, u"typeNamedId"_s, where, doc.type);
    doc.direction = r.text(o, u"direction"_s, where, u"Inbound"_s);
    doc.departmentId = r.text(o, u"department"_s, where);
    doc.fromDepartmentId = r.text(o, u"fromDepartment"_s, where);
    doc.toDepartmentId = r.text(o, u"toDepartment"_s, where);
    const QString docDate = r.text(o, u"documentDate"_s, where);
    const QDate iso = QDate::fromString(docDate, Qt::ISODate);
    doc.documentDate = iso.isValid() ? Variant(QDateTime(iso, QTime(0, 0))) : Variant(docDate);
    doc.timestamp = r.date(o, u"timestamp"_s, where);
    if (!doc.timestamp.isValid())
        r.fail(where, u"the field \"timestamp\" is missing"_s);
    doc.number = r.text(o, u"number"_s, where);
    doc.title = r.text(o, u"title"_s, where);
    doc.fileName = r.text(o, u"fileName"_s, where);
    doc.pathUrl = r.text(o, u"pathUrl"_s, where);
    doc.packageId = r.text(o, u"packageId"_s, where);
    doc.status = r.text(o, u"status"_s, where);
    doc.revocationStatus = r.text(o, u"revocationStatus"_s, where, u"RevocationStatusNone"_s);
    doc.senderSignatureStatus = r.text(o, u"senderSignatureStatus"_s, where, u"UnknownSenderSignatureStatus"_s);
    doc.recipientResponseStatus = r.text(o, u"recipientResponseStatus"_s, where, u"RecipientResponseStatusUnknown"_s);
    doc.roamingNotificationStatus =
        r.text(o, u"roamingNotificationStatus"_s, where, u"RoamingNotificationStatusNone"_s);
    doc.roamingNotificationStatusDescription = r.text(o, u"roamingNotificationStatusDescription"_s, where);
    if (o.contains(u"docflow"_s))
        doc.docflow = readStatus(r.object(o.value(u"docflow"_s), where + u".docflow"_s), where + u".docflow"_s, r);
    doc.deleted = r.flag(o, u"deleted"_s, where);
    const QJsonValue party = o.value(u"counteragent"_s);
    if (party.isNull()) {
        doc.counteragentPresence = Presence::Null;
    } else if (!party.isUndefined()) {
        doc.counteragentPresence = Presence::Present;
        doc.counteragent = readParty(r.object(party, where + u".counteragent"_s), where + u".counteragent"_s, r);
    }
    if (o.contains(u"metadata"_s)) {
        QList<MetadataData> items;
        const QJsonArray a = r.array(o, u"metadata"_s, where);
        for (int i = 0; i < a.size(); ++i) {
            const QString w = where + u".metadata["_s + QString::number(i) + u']';
            const QJsonObject m = r.object(a.at(i), w);
            items.append({r.text(m, u"key"_s, w), r.text(m, u"value"_s, w)});
        }
        doc.metadata = items;
    }
    if (o.contains(u"powersOfAttorney"_s)) {
        QList<PowerOfAttorneyData> items;
        const QJsonArray a = r.array(o, u"powersOfAttorney"_s, where);
        for (int i = 0; i < a.size(); ++i) {
            const QString w = where + u".powersOfAttorney["_s + QString::number(i) + u']';
            const QJsonObject p = r.object(a.at(i), w);
            PowerOfAttorneyData poa;
            poa.registrationNumber = r.text(p, u"registrationNumber"_s, w);
            poa.issuerInn = r.text(p, u"issuerInn"_s, w);
            if (p.value(u"confidant"_s).isObject())
                poa.confidant = readParty(p.value(u"confidant"_s).toObject(), w + u".confidant"_s, r);
            if (p.value(u"status"_s).isObject())
                poa.status = readStatus(p.value(u"status"_s).toObject(), w + u".status"_s, r);
            items.append(poa);
        }
        doc.powersOfAttorney = items;
    }
    const QStringList content = r.texts(o, u"content"_s, where);
    for (int i = 0; i < content.size(); ++i)
        doc.content.append(r.contentPath(content.at(i), where + u".content["_s + QString::number(i) + u']'));
    const QString protocol = r.text(o, u"protocol"_s, where);
    if (!protocol.isEmpty())
        doc.protocolFile = r.contentPath(protocol, where + u".protocol"_s);
    return doc;
}

} // namespace

FaultRule SandboxLoader::faultFromJson(const QJsonObject& object, const QString& where)
{
    return readFault(object, where, Reader(u"(fault rule)"_s, QString()));
}

QByteArray SandboxLoader::readFile(const QString& path)
{
    const auto unreadable = [&path](const QString& why) {
        return core::Error(kBadFileNumber, u"Sandbox file \""_s + path + u"\" cannot be read: "_s + why);
    };
    // Opened without waiting, then checked: a pipe or a device in the file's place would otherwise
    // hold the sign-in for ever on the first read.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        throw unreadable(core::systemErrorText(errno));
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw unreadable(file.errorString());
    }
    struct stat info = {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        throw unreadable(u"это не обычный файл"_s);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw unreadable(file.errorString());
    return bytes;
}

SandboxData SandboxLoader::load(const QString& folder)
{
    const QString path = QDir(folder).filePath(QString::fromUtf16(kFileName));
    const QByteArray bytes = readFile(path);
    const Reader r(path, folder, bytes);
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        r.fail(u"offset "_s + QString::number(parseError.offset), parseError.errorString());
    if (!json.isObject())
        r.fail(u"top level"_s, u"an object is expected"_s);
    const QJsonObject root = json.object();

    SandboxData data;
    data.folder = folder;
    data.version = r.text(root, u"version"_s, u"top level"_s, u"2.14.6.210"_s);
    data.apiClientIds = r.texts(root, u"apiClientIds"_s, u"top level"_s);
    data.listPolicy = readPolicy(root, u"listAsync"_s, r);
    data.contentPolicy = readPolicy(root, u"contentAsync"_s, r);

    const QJsonArray certs = r.array(root, u"certificates"_s, u"top level"_s);
    for (int i = 0; i < certs.size(); ++i) {
        const QString w = u"certificates["_s + QString::number(i) + u']';
        const QJsonObject c = r.object(certs.at(i), w);
        CertificateData cert;
        cert.thumbprint = r.required(c, u"thumbprint"_s, w);
        cert.name = r.text(c, u"name"_s, w);
        cert.organizationName = r.text(c, u"organizationName"_s, w);
        cert.inn = r.text(c, u"inn"_s, w);
        cert.kpp = r.text(c, u"kpp"_s, w);
        cert.beginDate = r.date(c, u"beginDate"_s, w);
        cert.endDate = r.date(c, u"endDate"_s, w);
        if (c.contains(u"qualified"_s))
            cert.qualified = r.flag(c, u"qualified"_s, w);
        data.certificates.append(cert);
    }
    const QJsonArray accounts = r.array(root, u"accounts"_s, u"top level"_s);
    for (int i = 0; i < accounts.size(); ++i) {
        const QString w = u"accounts["_s + QString::number(i) + u']';
        const QJsonObject a = r.object(accounts.at(i), w);
        data.accounts.append({r.text(a, u"login"_s, w), r.text(a, u"password"_s, w), r.texts(a, u"certificates"_s, w),
                              r.texts(a, u"organizations"_s, w)});
    }
    const QJsonArray orgs = r.array(root, u"organizations"_s, u"top level"_s);
    for (int i = 0; i < orgs.size(); ++i) {
        const QString w = u"organizations["_s + QString::number(i) + u']';
        data.organizations.append(readOrganization(r.object(orgs.at(i), w), w, r));
    }
    const QJsonArray docs = r.array(root, u"documents"_s, u"top level"_s);
    data.documents.reserve(docs.size()); // a large record each: no spare room from growing the list
    for (int i = 0; i < docs.size(); ++i) {
        const QString w = u"documents["_s + QString::number(i) + u']';
        DocumentData doc = readDocument(r.object(docs.at(i), w), w, r);
        const bool known = std::any_of(data.organizations.cbegin(), data.organizations.cend(),
                                       [&](const OrganizationData& o) { return o.id == doc.organizationId; });
        if (!known)
            r.fail(w, u"the organisation \""_s + doc.organizationId + u"\" is unknown"_s);
        data.documents.append(std::move(doc));
    }
    const QJsonArray faults = r.array(root, u"faults"_s, u"top level"_s);
    for (int i = 0; i < faults.size(); ++i) {
        const QString w = u"faults["_s + QString::number(i) + u']';
        data.faults.append(readFault(r.object(faults.at(i), w), w, r));
    }
    return data;
}

} // namespace platform::diadoc
