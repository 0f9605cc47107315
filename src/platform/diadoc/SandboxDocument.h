#pragma once

#include <memory>

#include "DiadocDocument.h"
#include "SandboxData.h"

namespace platform::diadoc {

class SandboxService;
struct FaultQuery;

// A document of the emulated service: its fields come from the sandbox, and its content is saved
// from the sandbox's files into a folder or one ZIP archive when the save completes.
class SandboxDocument final : public DiadocDocument
{
public:
    SandboxDocument(std::shared_ptr<SandboxService> service, const DocumentData* data);

    QString TypeNamedId() const override { return m_data->typeNamedId; }
    QString Type() const override { return m_data->type; }
    QString OrganizationId() const override { return m_data->organizationId; }
    QString DocumentId() const override { return m_data->documentId; }
    QString Direction() const override { return m_data->direction; }
    Variant Department() const override;
    Variant Department2() const override;
    Variant DocumentDate() const override { return m_data->documentDate; }
    Variant Timestamp() const override { return Variant(m_data->timestamp); }
    QString DocumentNumber() const override { return m_data->number; }
    QString Title() const override { return m_data->title; }
    QString FileName() const override { return m_data->fileName; }
    QString PathURL() const override { return m_data->pathUrl; }
    QString PackageId() const override { return m_data->packageId; }
    QString Status() const override { return m_data->status; }
    QString RevocationStatus() const override { return m_data->revocationStatus; }
    QString SenderSignatureStatus() const override { return m_data->senderSignatureStatus; }
    QString RecipientResponseStatus() const override { return m_data->recipientResponseStatus; }
    QString RoamingNotificationStatus() const override { return m_data->roamingNotificationStatus; }
    QString RoamingNotificationStatusDescription() const override
    {
        return m_data->roamingNotificationStatusDescription;
    }
    std::shared_ptr<DiadocDocflowStatus> DocflowStatus() const override;
    bool IsDeleted() const override { return m_data->deleted; }
    Variant Counteragent() const override;
    Variant Organization() const override;
    Variant FromDepartment() const override;
    Variant ToDepartment() const override;
    std::shared_ptr<DiadocList> Metadata() const override;

    std::shared_ptr<DiadocDocumentPackage> GetDocumentPackage() override;
    std::shared_ptr<DiadocAsyncResult> SaveAllContentAsync(const QString& folder, bool withProtocol) override;
    std::shared_ptr<DiadocAsyncResult> SaveAllContentZipAsync(const QString& zipPath) override;
    std::shared_ptr<DiadocList> GetPowersOfAttorney() override;

    const DocumentData& data() const { return *m_data; }

private:
    FaultQuery query(const QString& operation) const;
    std::shared_ptr<DiadocAsyncResult> startSave(const QString& operation, const QString& target, bool zip,
                                                 bool withProtocol);

    std::shared_ptr<SandboxService> m_service;
    const DocumentData* m_data;
};

} // namespace platform::diadoc
