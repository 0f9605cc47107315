#pragma once

#include <memory>

#include "DiadocDepartment.h"
#include "DiadocOrganization.h"
#include "SandboxData.h"

namespace platform::diadoc {

class SandboxService;

// An organisation of the emulated service: its departments, its document types (refused as the
// sandbox's tariff state says) and its document-list tasks.
class SandboxOrganization final : public DiadocOrganization
{
public:
    SandboxOrganization(std::shared_ptr<SandboxService> service, const OrganizationData* data);

    QString Inn() const override;
    QString Kpp() const override;
    QString Name() const override;
    QString Guid() const override;
    std::shared_ptr<DiadocList> Departments() const override;
    std::shared_ptr<DiadocList> GetDocumentTypes() override;
    std::shared_ptr<DiadocDocumentsTask> GetDocumentsTask() override;

    const OrganizationData* data() const { return m_data; }

private:
    std::shared_ptr<SandboxService> m_service;
    const OrganizationData* m_data;
};

// A department of an emulated organisation.
class SandboxDepartment final : public DiadocDepartment
{
public:
    SandboxDepartment(const OrganizationData* organization, const DepartmentData* data);

    QString id() const override;
    QString Name() const override;
    QString Kpp() const override;
    std::shared_ptr<DiadocList> Subdepartments() const override;

    // The departments of the organisation directly below parentId (empty: the top level).
    static std::shared_ptr<DiadocList> childrenOf(const OrganizationData* organization, const QString& parentId);
    static Variant find(const OrganizationData* organization, const QString& id);

private:
    const OrganizationData* m_organization;
    const DepartmentData* m_data;
};

} // namespace platform::diadoc
