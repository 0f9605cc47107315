#include "SandboxDocument.h"

#include <utility>

#include "SandboxAsyncResult.h"
#include "SandboxContentWriter.h"
#include "SandboxList.h"
#include "SandboxOrganization.h"
#include "SandboxService.h"
#include "SandboxValues.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

SandboxDocument::SandboxDocument(std::shared_ptr<SandboxService> service, const DocumentData* data)
    : m_service(std::move(service))
    , m_data(data)
{
}

FaultQuery SandboxDocument::query(const QString& operation) const
{
    FaultQuery q;
    q.operation = operation;
    q.organization = m_service->organization(m_data->organizationId);
    q.documentId = m_data->documentId;
    q.type = m_data->type;
    q.documentClass = m_data->direction;
    q.from = m_data->timestamp;
    q.to = m_data->timestamp;
    return q;
}

Variant SandboxDocument::Department() const
{
    return SandboxDepartment::find(m_service->organization(m_data->organizationId), m_data->departmentId);
}

Variant SandboxDocument::Department2() const
{
    return Department();
}

std::shared_ptr<DiadocDocflowStatus> SandboxDocument::DocflowStatus() const
{
    return std::make_shared<SandboxDocflowStatus>(m_data->docflow);
}

Variant SandboxDocument::Counteragent() const
{
    switch (m_data->counteragentPresence) {
    case Presence::Nothing:
        return Variant::nothing();
    case Presence::Null:
        return Variant::null();
    case Presence::Present:
        break;
    }
    return Variant(std::make_shared<SandboxCounteragent>(m_data->counteragent));
}

Variant SandboxDocument::Organization() const
{
    return Variant(std::make_shared<SandboxOrganization>(m_service, m_service->organization(m_data->organizationId)));
}

Variant SandboxDocument::FromDepartment() const
{
    return SandboxDepartment::find(m_service->organization(m_data->organizationId), m_data->fromDepartmentId);
}

Variant SandboxDocument::ToDepartment() const
{
    return SandboxDepartment::find(m_service->organization(m_data->organizationId), m_data->toDepartmentId);
}

std::shared_ptr<DiadocList> SandboxDocument::Metadata() const
{
    // Not metered: reading the clock costs more than the few objects made here, which count as
    // the program's own time.
    const auto rule = m_service->checkFault(query(u"Metadata"_s));
    if ((rule && rule->effect == FaultEffect::Nothing) || !m_data->metadata)
        return nullptr;
    QList<std::shared_ptr<SandboxMetadataItem>> items;
    for (const MetadataData& item : *m_data->metadata)
        items.append(std::make_shared<SandboxMetadataItem>(item));
    return SandboxList::of(items);
}

std::shared_ptr<DiadocDocumentPackage> SandboxDocument::GetDocumentPackage()
{
    const SandboxMeter::Call call(m_service->meter());
    const auto rule = m_service->checkFault(query(u"GetDocumentPackage"_s));
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    if (m_data->packageId.isEmpty())
        return std::make_shared<SandboxDocumentPackage>(nullptr);
    QList<std::shared_ptr<SandboxDocument>> members;
    for (const DocumentData* doc : m_service->packageOf(m_data->organizationId, m_data->packageId))
        members.append(std::make_shared<SandboxDocument>(m_service, doc));
    return std::make_shared<SandboxDocumentPackage>(SandboxList::of(members));
}

std::shared_ptr<DiadocList> SandboxDocument::GetPowersOfAttorney()
{
    // Not metered: reading the clock costs more than the few objects made here, which count as
    // the program's own time.
    const auto rule = m_service->checkFault(query(u"GetPowersOfAttorney"_s));
    if ((rule && rule->effect == FaultEffect::Nothing) || !m_data->powersOfAttorney)
        return nullptr;
    QList<std::shared_ptr<SandboxAttachedPowerOfAttorney>> items;
    for (const PowerOfAttorneyData& item : *m_data->powersOfAttorney)
        items.append(std::make_shared<SandboxAttachedPowerOfAttorney>(item));
    return SandboxList::of(items);
}

std::shared_ptr<DiadocAsyncResult> SandboxDocument::SaveAllContentAsync(const QString& folder, bool withProtocol)
{
    return startSave(u"SaveAllContentAsync"_s, folder, false, withProtocol);
}

std::shared_ptr<DiadocAsyncResult> SandboxDocument::SaveAllContentZipAsync(const QString& zipPath)
{
    return startSave(u"SaveAllContentZipAsync"_s, zipPath, true, false);
}

std::shared_ptr<DiadocAsyncResult> SandboxDocument::startSave(const QString& operation, const QString& target, bool zip,
                                                              bool withProtocol)
{
    const SandboxMeter::Call call(m_service->meter());
    const auto startRule = m_service->checkFault(query(operation));
    if (startRule && startRule->effect == FaultEffect::Nothing)
        return nullptr;
    const auto resultRule = m_service->findFault(query(u"SaveContentResult"_s));
    const AsyncTiming timing = SandboxService::timing(m_service->data().contentPolicy, startRule, resultRule);
    const DocumentData* data = m_data;
    // The operation holds the service for as long as it runs.
    SandboxService* service = m_service.get();
    auto work = [data, service, target, zip, withProtocol, resultRule]() -> Variant {
        FaultEffect damage = FaultEffect::Late;
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
            case FaultEffect::NoFiles:
                return Variant(true);
            case FaultEffect::Corrupt:
            case FaultEffect::Truncated:
            case FaultEffect::Hostile:
                damage = resultRule->effect;
                break;
            case FaultEffect::Empty:
            case FaultEffect::Never:
            case FaultEffect::Late:
                break;
            }
        }
        if (zip)
            SandboxContentWriter::writeZip(*data, target, damage, *service);
        else
            SandboxContentWriter::writeFolder(*data, target, withProtocol, *service);
        return Variant(true);
    };
    return std::make_shared<SandboxAsyncResult>(m_service, SandboxMeter::Operation::Content, timing.polls,
                                                timing.delayMs, timing.never, std::move(work));
}

} // namespace platform::diadoc
