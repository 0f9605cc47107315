#include "SandboxDocumentsTask.h"

#include <algorithm>
#include <utility>

#include <QSet>

#include "SandboxAsyncResult.h"
#include "SandboxDocument.h"
#include "SandboxList.h"
#include "SandboxService.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

namespace {

constexpr int kTop = 100;

// 30 December 1899, the zero of VB dates, stands for no bound as well as an unset date.
bool isBound(const QDateTime& value)
{
    return value.isValid() && value.date() != QDate(1899, 12, 30);
}

struct ParsedCategory
{
    QString type;
    QString documentClass;
    QString status;
};

ParsedCategory parseCategory(const QString& text)
{
    ParsedCategory category;
    QString head = text;
    if (const qsizetype blank = text.indexOf(u' '); blank >= 0) {
        head = text.left(blank);
        category.status = text.mid(blank + 1);
    }
    const qsizetype dot = head.indexOf(u'.');
    if (dot < 0)
        return {head, {}, {}};
    category.type = head.left(dot);
    category.documentClass = head.mid(dot + 1);
    return category;
}

QSet<QString> departmentTree(const OrganizationData& org, const QString& rootId)
{
    QSet<QString> ids{rootId};
    bool grew = true;
    while (grew) {
        grew = false;
        for (const DepartmentData& d : org.departments) {
            if (ids.contains(d.parentId) && !ids.contains(d.id)) {
                ids.insert(d.id);
                grew = true;
            }
        }
    }
    return ids;
}

} // namespace

SandboxDocumentsTask::SandboxDocumentsTask(std::shared_ptr<SandboxService> service,
                                           const OrganizationData* organization)
    : m_service(std::move(service))
    , m_organization(organization)
{
}

FaultQuery SandboxDocumentsTask::query(const QString& operation) const
{
    const ParsedCategory category = parseCategory(m_category);
    FaultQuery q;
    q.operation = operation;
    q.organization = m_organization;
    q.type = category.type;
    q.documentClass = category.documentClass;
    q.from =
        isBound(m_fromDocumentDate) ? m_fromDocumentDate : (isBound(m_fromSendDate) ? m_fromSendDate : QDateTime());
    q.to = isBound(m_toDocumentDate) ? m_toDocumentDate : (isBound(m_toSendDate) ? m_toSendDate : QDateTime());
    return q;
}

std::shared_ptr<DiadocList> SandboxDocumentsTask::select() const
{
    const ParsedCategory category = parseCategory(m_category);
    static const QStringList classes = {u"Inbound"_s, u"Outbound"_s, u"Internal"_s};
    if (!classes.contains(category.documentClass))
        SandboxService::raise(u"COM1C.HTTP_ERROR[0x00000190]code 400: Category \""_s + m_category + u"\" is invalid"_s,
                              -2147467259);
    if (category.type != u"Any"_s) {
        const bool known = std::any_of(m_organization->documentTypes.cbegin(), m_organization->documentTypes.cend(),
                                       [&](const DocumentTypeData& t) { return t.name == category.type; });
        if (!known)
            SandboxService::raise(QString::fromUtf16(sandboxtext::kInvalidDocumentTypes), -2147467259);
    }
    QSet<QString> departments{m_departmentId};
    if (!m_departmentId.isEmpty()) {
        const bool known = std::any_of(m_organization->departments.cbegin(), m_organization->departments.cend(),
                                       [&](const DepartmentData& d) { return d.id == m_departmentId; });
        if (!known)
            SandboxService::raise(u"##100[Ошибка сервера Диадок]code:404, HTTP error: Department "_s + m_departmentId
                                      + u" not found"_s,
                                  -2147467259);
    }
    const bool everyDepartment = m_departmentId.isEmpty() && !m_excludeSubdepartments;
    if (!m_excludeSubdepartments && !m_departmentId.isEmpty())
        departments = departmentTree(*m_organization, m_departmentId);

    // The documents come in the service's list order: the first sent after the lower bound is
    // found at once, and the list ends at the upper bound or at its hundredth document. A request
    // by document dates reads only the documents of its dates, taken back into list order.
    const bool anyType = category.type == u"Any"_s;
    const QString status = category.status.isEmpty() ? QString() : category.documentClass + category.status;
    const ListOrder& order =
        m_service->listOrderOf(m_organization->id, category.documentClass, anyType ? QString() : category.type, status);
    const std::vector<ListedDocument>& listed = order.listed;
    const bool byDocumentDate = isBound(m_fromDocumentDate) || isBound(m_toDocumentDate);
    std::vector<quint32> places;
    if (byDocumentDate) {
        const auto dayOf = [&listed](quint32 place) { return listed[place].documentDay; };
        auto first = order.byDay.begin();
        auto last = order.byDay.end();
        if (isBound(m_fromDocumentDate))
            first = std::partition_point(first, last, [&](quint32 p) { return dayOf(p) < m_fromDocumentDate.date(); });
        if (isBound(m_toDocumentDate))
            last = std::partition_point(first, last, [&](quint32 p) { return !(dayOf(p) > m_toDocumentDate.date()); });
        places.assign(first, last);
        std::sort(places.begin(), places.end());
    }
    const qint64 from = isBound(m_fromSendDate) ? SandboxService::wallClockMs(m_fromSendDate) : 0;
    const qint64 to = isBound(m_toSendDate) ? SandboxService::wallClockMs(m_toSendDate) : 0;
    std::size_t next = 0; // in list order, or in places
    if (!byDocumentDate && isBound(m_fromSendDate)) {
        next = static_cast<std::size_t>(
            std::lower_bound(listed.begin(), listed.end(), from,
                             [](const ListedDocument& entry, qint64 ms) { return entry.sentMs < ms; })
            - listed.begin());
    }
    const std::size_t count = byDocumentDate ? places.size() : listed.size();
    QList<const DocumentData*> chosen;
    for (; next < count && !(m_top100 && chosen.size() >= kTop); ++next) {
        const ListedDocument& entry = listed[byDocumentDate ? places[next] : next];
        const DocumentData* doc = entry.data;
        if (isBound(m_toSendDate) && entry.sentMs > to)
            break;
        if (isBound(m_fromSendDate) && entry.sentMs < from)
            continue;
        // The direction, type and status are those of the list read.
        if (!everyDepartment && !departments.contains(doc->departmentId))
            continue;
        chosen.append(doc);
    }
    if (m_top100 && chosen.size() > kTop)
        chosen.resize(kTop);
    QList<std::shared_ptr<SandboxDocument>> documents;
    documents.reserve(chosen.size());
    for (const DocumentData* doc : chosen)
        documents.append(std::make_shared<SandboxDocument>(m_service, doc));
    return SandboxList::of(documents);
}

std::shared_ptr<DiadocAsyncResult> SandboxDocumentsTask::GetDocumentsAsync()
{
    const SandboxMeter::Call call(m_service->meter());
    const auto startRule = m_service->checkFault(query(u"GetDocumentsAsync"_s));
    if (startRule && startRule->effect == FaultEffect::Nothing)
        return nullptr;
    const auto resultRule = m_service->findFault(query(u"GetDocumentsResult"_s));
    const AsyncTiming timing = SandboxService::timing(m_service->data().listPolicy, startRule, resultRule);
    // The list is taken when the request is made, as the service would.
    std::shared_ptr<DiadocList> list;
    std::optional<core::Error> refusal;
    try {
        list = select();
    } catch (const core::Error& e) {
        refusal = e;
    }
    auto work = [list, refusal, resultRule]() -> Variant {
        if (resultRule) {
            switch (resultRule->effect) {
            case FaultEffect::Error:
                SandboxService::raise(*resultRule);
            case FaultEffect::Nothing:
                return Variant::nothing();
            case FaultEffect::False:
                return Variant(false);
            case FaultEffect::Value:
                return resultRule->value;
            case FaultEffect::Empty:
                return Variant(std::make_shared<SandboxList>());
            default:
                break;
            }
        }
        if (refusal)
            throw *refusal;
        return Variant(list);
    };
    return std::make_shared<SandboxAsyncResult>(m_service, SandboxMeter::Operation::List, timing.polls, timing.delayMs,
                                                timing.never, std::move(work));
}

std::shared_ptr<DiadocList> SandboxDocumentsTask::GetDocuments()
{
    const SandboxMeter::Call call(m_service->meter());
    const auto rule = m_service->checkFault(query(u"GetDocuments"_s));
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    if (rule && rule->effect == FaultEffect::Empty)
        return std::make_shared<SandboxList>();
    return select();
}

} // namespace platform::diadoc
