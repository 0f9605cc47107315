#include "SandboxOrganization.h"

#include <utility>

#include "SandboxDocumentsTask.h"
#include "SandboxList.h"
#include "SandboxService.h"
#include "SandboxValues.h"

namespace platform::diadoc {

SandboxOrganization::SandboxOrganization(std::shared_ptr<SandboxService> service, const OrganizationData* data)
    : m_service(std::move(service))
    , m_data(data)
{
}

QString SandboxOrganization::Inn() const
{
    return m_data->inn;
}

QString SandboxOrganization::Kpp() const
{
    return m_data->kpp;
}

QString SandboxOrganization::Name() const
{
    return m_data->name;
}

QString SandboxOrganization::Guid() const
{
    return m_data->guid;
}

std::shared_ptr<DiadocList> SandboxOrganization::Departments() const
{
    return SandboxDepartment::childrenOf(m_data, QString());
}

std::shared_ptr<DiadocList> SandboxOrganization::GetDocumentTypes()
{
    FaultQuery query;
    query.operation = QStringLiteral("GetDocumentTypes");
    query.organization = m_data;
    const auto rule = m_service->checkFault(query);
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    if (rule && rule->effect == FaultEffect::Empty)
        return std::make_shared<SandboxList>();
    if (m_data->tariff == Tariff::Unpaid)
        SandboxService::raise(QString::fromUtf16(sandboxtext::kUnpaidTariff), -2147467259);
    if (m_data->tariff == Tariff::Error)
        SandboxService::raise(m_data->tariffError, -2147467259);
    QList<std::shared_ptr<SandboxDocumentType>> types;
    for (const DocumentTypeData& type : m_data->documentTypes)
        types.append(std::make_shared<SandboxDocumentType>(type));
    return SandboxList::of(types);
}

std::shared_ptr<DiadocDocumentsTask> SandboxOrganization::GetDocumentsTask()
{
    FaultQuery query;
    query.operation = QStringLiteral("GetDocumentsTask");
    query.organization = m_data;
    const auto rule = m_service->checkFault(query);
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    return std::make_shared<SandboxDocumentsTask>(m_service, m_data);
}

SandboxDepartment::SandboxDepartment(const OrganizationData* organization, const DepartmentData* data)
    : m_organization(organization)
    , m_data(data)
{
}

QString SandboxDepartment::id() const
{
    return m_data->id;
}

QString SandboxDepartment::Name() const
{
    return m_data->name;
}

QString SandboxDepartment::Kpp() const
{
    return m_data->kpp;
}

std::shared_ptr<DiadocList> SandboxDepartment::Subdepartments() const
{
    return childrenOf(m_organization, m_data->id);
}

std::shared_ptr<DiadocList> SandboxDepartment::childrenOf(const OrganizationData* organization, const QString& parentId)
{
    QList<std::shared_ptr<SandboxDepartment>> children;
    for (const DepartmentData& department : organization->departments) {
        if (department.parentId == parentId)
            children.append(std::make_shared<SandboxDepartment>(organization, &department));
    }
    return SandboxList::of(children);
}

Variant SandboxDepartment::find(const OrganizationData* organization, const QString& id)
{
    if (id.isEmpty())
        return Variant::nothing();
    for (const DepartmentData& department : organization->departments) {
        if (department.id == id)
            return Variant(std::make_shared<SandboxDepartment>(organization, &department));
    }
    return Variant::nothing();
}

} // namespace platform::diadoc
