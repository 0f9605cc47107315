#include "SandboxService.h"

#include <algorithm>
#include <limits>
#include <utility>

#include <QFile>

#include "DiadocClient.h"
#include "base/Error.h"

namespace platform::diadoc {

namespace {

constexpr int kCannotOpenNumber = -2147467259; // the client's general failure

} // namespace

SandboxService::SandboxService(SandboxData data, std::function<qint64()> clockMs)
    : m_data(std::move(data))
    , m_clockMs(std::move(clockMs))
    , m_faults(m_data.faults)
    , m_attempts(m_data.faults.size(), 0)
{
    index();
}

void SandboxService::index()
{
    QHash<QString, std::vector<ListedDocument>> listOrder; // of each organisation
    for (const DocumentData& doc : std::as_const(m_data.documents)) {
        m_documentsOf[doc.organizationId].append(&doc);
        if (!doc.packageId.isEmpty())
            m_packagesOf[doc.organizationId][doc.packageId].append(&doc);
        if (!m_documentById.contains(doc.documentId))
            m_documentById.insert(doc.documentId, &doc);
        QDate day;
        try {
            const QDateTime date =
                doc.documentDate.isDate() ? doc.documentDate.toDate() : parseDateText(doc.documentDate.toText());
            if (date.isValid())
                day = date.date();
        } catch (const core::Error&) {
            // A date that cannot be read matches no period of document dates.
        }
        listOrder[doc.organizationId].push_back({wallClockMs(doc.timestamp), day, &doc});
    }
    for (auto organization = listOrder.begin(); organization != listOrder.end(); ++organization) {
        std::vector<ListedDocument>& listed = organization.value();
        std::stable_sort(listed.begin(), listed.end(),
                         [](const ListedDocument& a, const ListedDocument& b) { return a.sentMs < b.sentMs; });
        for (const ListedDocument& entry : listed) {
            const DocumentData& doc = *entry.data;
            // A document without a type or a status is listed once under "any".
            const QStringList types = doc.type.isEmpty() ? QStringList{QString()} : QStringList{QString(), doc.type};
            const QStringList statuses =
                doc.status.isEmpty() ? QStringList{QString()} : QStringList{QString(), doc.status};
            for (const QString& type : types) {
                for (const QString& status : statuses)
                    m_listOrderOfKind[kindKey(organization.key(), doc.direction, type, status)].listed.push_back(entry);
            }
        }
    }
    for (ListOrder& order : m_listOrderOfKind) {
        for (std::size_t place = 0; place < order.listed.size(); ++place) {
            if (order.listed[place].documentDay.isValid())
                order.byDay.push_back(static_cast<quint32>(place));
        }
        std::stable_sort(order.byDay.begin(), order.byDay.end(), [&order](quint32 a, quint32 b) {
            return order.listed[a].documentDay < order.listed[b].documentDay;
        });
    }
}

QString SandboxService::kindKey(const QString& organizationId, const QString& direction, const QString& type,
                                const QString& status)
{
    return organizationId + u'\n' + direction + u'\n' + type + u'\n' + status;
}

qint64 SandboxService::wallClockMs(const QDateTime& value)
{
    // A time that cannot be read comes before every other.
    if (!value.date().isValid())
        return std::numeric_limits<qint64>::min();
    return value.date().toJulianDay() * 86400000 + value.time().msecsSinceStartOfDay();
}

void SandboxService::addFault(FaultRule rule)
{
    const std::lock_guard lock(m_mutex);
    m_faults.append(std::move(rule));
    m_attempts.append(0);
}

void SandboxService::clearFaults()
{
    const std::lock_guard lock(m_mutex);
    m_faults.clear();
    m_attempts.clear();
}

bool SandboxService::matches(const FaultRule& rule, const FaultQuery& query)
{
    if (rule.operation != query.operation)
        return false;
    if (!rule.organization.isEmpty()) {
        const OrganizationData* org = query.organization;
        if (!org || (rule.organization != org->id && rule.organization != org->inn && rule.organization != org->guid))
            return false;
    }
    if (!rule.document.isEmpty() && rule.document != query.documentId)
        return false;
    if (!rule.type.isEmpty() && rule.type != query.type)
        return false;
    if (!rule.documentClass.isEmpty() && rule.documentClass != query.documentClass)
        return false;
    // A period rule hits a request whose period overlaps it; a request without dates is hit too.
    if (rule.from.isValid() && query.to.isValid() && query.to < rule.from)
        return false;
    if (rule.to.isValid() && query.from.isValid() && query.from > rule.to)
        return false;
    return true;
}

std::optional<FaultRule> SandboxService::findFault(const FaultQuery& query)
{
    const std::lock_guard lock(m_mutex);
    std::optional<FaultRule> hit;
    for (int i = 0; i < m_faults.size(); ++i) {
        const FaultRule& rule = m_faults.at(i);
        if (!matches(rule, query))
            continue;
        const int attempt = ++m_attempts[i];
        if (rule.attempt > 0 && attempt != rule.attempt)
            continue;
        if (rule.firstAttempts > 0 && attempt > rule.firstAttempts)
            continue;
        if (!hit)
            hit = rule;
    }
    return hit;
}

std::optional<FaultRule> SandboxService::checkFault(const FaultQuery& query)
{
    std::optional<FaultRule> rule = findFault(query);
    if (rule && rule->effect == FaultEffect::Error)
        raise(*rule);
    return rule;
}

void SandboxService::raise(const FaultRule& rule)
{
    raise(rule.text, rule.number);
}

void SandboxService::raise(const QString& text, int number)
{
    throw core::Error(number, text, QString::fromUtf16(kProgId));
}

const OrganizationData* SandboxService::organization(const QString& id) const
{
    for (const OrganizationData& org : m_data.organizations) {
        if (org.id == id)
            return &org;
    }
    return nullptr;
}

const QList<const DocumentData*>& SandboxService::documentsOf(const QString& organizationId) const
{
    static const QList<const DocumentData*> none;
    const auto found = m_documentsOf.constFind(organizationId);
    return found != m_documentsOf.cend() ? found.value() : none;
}

const ListOrder& SandboxService::listOrderOf(const QString& organizationId, const QString& direction,
                                             const QString& type, const QString& status) const
{
    static const ListOrder none;
    const auto found = m_listOrderOfKind.constFind(kindKey(organizationId, direction, type, status));
    return found != m_listOrderOfKind.cend() ? found.value() : none;
}

const QList<const DocumentData*>& SandboxService::packageOf(const QString& organizationId,
                                                            const QString& packageId) const
{
    static const QList<const DocumentData*> none;
    const auto organization = m_packagesOf.constFind(organizationId);
    if (organization == m_packagesOf.cend())
        return none;
    const auto found = organization->constFind(packageId);
    return found != organization->cend() ? found.value() : none;
}

const DocumentData* SandboxService::document(const QString& documentId) const
{
    return m_documentById.value(documentId, nullptr);
}

AsyncTiming SandboxService::timing(const AsyncPolicy& policy, const std::optional<FaultRule>& startRule,
                                   const std::optional<FaultRule>& resultRule)
{
    AsyncTiming timing{policy.polls, policy.delayMs, false};
    for (const auto* rule : {&startRule, &resultRule}) {
        if (!*rule)
            continue;
        timing.never = timing.never || (*rule)->effect == FaultEffect::Never;
        if ((*rule)->effect == FaultEffect::Late) {
            timing.polls += (*rule)->extraPolls;
            timing.delayMs += (*rule)->extraDelayMs;
        }
    }
    return timing;
}

QByteArray SandboxService::contentBytes(const QString& path)
{
    // Enough for any sandbox made for tests and benchmarks; a larger one is read file by file.
    constexpr qsizetype kMostKept = 64 * 1024 * 1024;
    {
        const std::lock_guard lock(m_contentMutex);
        if (const auto kept = m_contentBytes.constFind(path); kept != m_contentBytes.cend())
            return kept.value();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kCannotOpenNumber);
    QByteArray bytes = file.readAll();
    const std::lock_guard lock(m_contentMutex);
    if (m_contentKept + bytes.size() <= kMostKept) {
        m_contentKept += bytes.size();
        m_contentBytes.insert(path, bytes);
    }
    return bytes;
}

QByteArray SandboxService::archiveOf(const QStringList& contentPaths, qint64 second,
                                     const std::function<QByteArray()>& build)
{
    // The archives of one second only: a few files' worth.
    constexpr qsizetype kMostKept = 64;
    {
        const std::lock_guard lock(m_contentMutex);
        if (second == m_archivesSecond) {
            if (const auto kept = m_archives.constFind(contentPaths); kept != m_archives.cend())
                return kept.value();
        }
    }
    QByteArray bytes = build();
    const std::lock_guard lock(m_contentMutex);
    if (second != m_archivesSecond) {
        m_archives.clear();
        m_archivesSecond = second;
    }
    if (m_archives.size() < kMostKept)
        m_archives.insert(contentPaths, bytes);
    return bytes;
}

} // namespace platform::diadoc
