#pragma once

#include <memory>

#include "DiadocDocumentsTask.h"
#include "SandboxData.h"

namespace platform::diadoc {

class SandboxService;
struct FaultQuery;

// A document-list request of the emulated service. It selects the organisation's documents by
// category, department and dates, sorts them by sending time and keeps the first 100 with Top100.
class SandboxDocumentsTask final : public DiadocDocumentsTask
{
public:
    SandboxDocumentsTask(std::shared_ptr<SandboxService> service, const OrganizationData* organization);

    void setFromSendDate(const QDateTime& value) override { m_fromSendDate = value; }
    QDateTime FromSendDate() const override { return m_fromSendDate; }
    void setToSendDate(const QDateTime& value) override { m_toSendDate = value; }
    QDateTime ToSendDate() const override { return m_toSendDate; }
    void setFromDocumentDate(const QDateTime& value) override { m_fromDocumentDate = value; }
    QDateTime FromDocumentDate() const override { return m_fromDocumentDate; }
    void setToDocumentDate(const QDateTime& value) override { m_toDocumentDate = value; }
    QDateTime ToDocumentDate() const override { return m_toDocumentDate; }
    void setCategory(const QString& value) override { m_category = value; }
    QString Category() const override { return m_category; }
    void setDepartmentId(const QString& value) override { m_departmentId = value; }
    QString DepartmentId() const override { return m_departmentId; }
    void setExcludeSubdepartments(bool value) override { m_excludeSubdepartments = value; }
    bool ExcludeSubdepartments() const override { return m_excludeSubdepartments; }
    void setTop100(bool value) override { m_top100 = value; }
    bool Top100() const override { return m_top100; }

    std::shared_ptr<DiadocAsyncResult> GetDocumentsAsync() override;
    std::shared_ptr<DiadocList> GetDocuments() override;

private:
    FaultQuery query(const QString& operation) const;
    // The documents the filters select; raises the service's refusal of a bad category.
    std::shared_ptr<DiadocList> select() const;

    std::shared_ptr<SandboxService> m_service;
    const OrganizationData* m_organization;
    QDateTime m_fromSendDate;
    QDateTime m_toSendDate;
    QDateTime m_fromDocumentDate;
    QDateTime m_toDocumentDate;
    QString m_category;
    QString m_departmentId;
    bool m_excludeSubdepartments = false;
    bool m_top100 = false;
};

} // namespace platform::diadoc
