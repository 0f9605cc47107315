#pragma once

#include <memory>

#include "DiadocAttachedPowerOfAttorney.h"
#include "DiadocCertificate.h"
#include "DiadocCounteragent.h"
#include "DiadocDocflowStatus.h"
#include "DiadocDocumentPackage.h"
#include "DiadocDocumentType.h"
#include "DiadocMetadataItem.h"
#include "DiadocTestConnectionResult.h"
#include "SandboxData.h"

// The small value objects of the emulated client: each wraps a piece of sandbox data and answers
// its members from it. They live together because none has behaviour beyond reading its data.
namespace platform::diadoc {

class SandboxCertificate final : public DiadocCertificate
{
public:
    explicit SandboxCertificate(CertificateData data);
    QString Name() const override { return m_data.name; }
    QString OrganizationName() const override { return m_data.organizationName; }
    QString Inn() const override { return m_data.inn; }
    QString Kpp() const override { return m_data.kpp; }
    QDateTime BeginDate() const override { return m_data.beginDate; }
    QDateTime EndDate() const override { return m_data.endDate; }
    QString Thumbprint() const override { return m_data.thumbprint; }
    Variant IsQualifiedElectronicSignature() const override;

private:
    CertificateData m_data;
};

class SandboxTestConnectionResult final : public DiadocTestConnectionResult
{
public:
    SandboxTestConnectionResult(Variant success, QString errorText);
    Variant ConnectionSuccess() const override { return m_success; }
    QString ErrorText() const override { return m_errorText; }

private:
    Variant m_success;
    QString m_errorText;
};

class SandboxDocumentType final : public DiadocDocumentType
{
public:
    explicit SandboxDocumentType(DocumentTypeData data);
    QString Name() const override { return m_data.name; }
    QString Title() const override { return m_data.title; }

private:
    DocumentTypeData m_data;
};

class SandboxCounteragent final : public DiadocCounteragent
{
public:
    explicit SandboxCounteragent(PartyData data);
    QString Inn() const override { return m_data.inn; }
    QString Kpp() const override { return m_data.kpp; }
    QString Name() const override { return m_data.name; }

private:
    PartyData m_data;
};

class SandboxStatus final : public DiadocStatus
{
public:
    explicit SandboxStatus(StatusData data);
    QString Severity() const override { return m_data.severity; }
    QString id() const override { return m_data.id; }
    QString Text() const override { return m_data.text; }

private:
    StatusData m_data;
};

class SandboxDocflowStatus final : public DiadocDocflowStatus
{
public:
    explicit SandboxDocflowStatus(StatusData primary);
    std::shared_ptr<DiadocStatus> PrimaryStatus() const override { return m_primary; }

private:
    std::shared_ptr<DiadocStatus> m_primary;
};

class SandboxMetadataItem final : public DiadocMetadataItem
{
public:
    explicit SandboxMetadataItem(MetadataData data);
    QString Key() const override { return m_data.key; }
    QString Value() const override { return m_data.value; }

private:
    MetadataData m_data;
};

class SandboxPowerOfAttorneyId final : public DiadocPowerOfAttorneyId
{
public:
    SandboxPowerOfAttorneyId(QString registrationNumber, QString issuerInn);
    QString RegistrationNumber() const override { return m_registrationNumber; }
    QString IssuerINN() const override { return m_issuerInn; }

private:
    QString m_registrationNumber;
    QString m_issuerInn;
};

class SandboxConfidant final : public DiadocConfidant
{
public:
    explicit SandboxConfidant(PartyData data);
    QString Inn() const override { return m_data.inn; }
    QString Name() const override { return m_data.name; }

private:
    PartyData m_data;
};

class SandboxPowerOfAttorney final : public DiadocPowerOfAttorney
{
public:
    explicit SandboxPowerOfAttorney(const PowerOfAttorneyData& data);
    std::shared_ptr<DiadocPowerOfAttorneyId> id() const override { return m_id; }
    std::shared_ptr<DiadocConfidant> Confidant() const override { return m_confidant; }

private:
    std::shared_ptr<DiadocPowerOfAttorneyId> m_id;
    std::shared_ptr<DiadocConfidant> m_confidant;
};

class SandboxAttachedPowerOfAttorney final : public DiadocAttachedPowerOfAttorney
{
public:
    explicit SandboxAttachedPowerOfAttorney(const PowerOfAttorneyData& data);
    std::shared_ptr<DiadocPowerOfAttorney> PowerOfAttorney() const override { return m_powerOfAttorney; }
    Variant Status() const override { return m_status; }

private:
    std::shared_ptr<DiadocPowerOfAttorney> m_powerOfAttorney;
    Variant m_status;
};

class SandboxDocumentPackage final : public DiadocDocumentPackage
{
public:
    explicit SandboxDocumentPackage(std::shared_ptr<DiadocList> documents);
    std::shared_ptr<DiadocList> Documents() const override { return m_documents; }

private:
    std::shared_ptr<DiadocList> m_documents;
};

} // namespace platform::diadoc
