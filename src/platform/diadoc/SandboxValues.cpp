#include "SandboxValues.h"

#include <utility>

namespace platform::diadoc {

SandboxCertificate::SandboxCertificate(CertificateData data)
    : m_data(std::move(data))
{
}

Variant SandboxCertificate::IsQualifiedElectronicSignature() const
{
    return m_data.qualified ? Variant(*m_data.qualified) : Variant();
}

SandboxTestConnectionResult::SandboxTestConnectionResult(Variant success, QString errorText)
    : m_success(std::move(success))
    , m_errorText(std::move(errorText))
{
}

SandboxDocumentType::SandboxDocumentType(DocumentTypeData data)
    : m_data(std::move(data))
{
}

SandboxCounteragent::SandboxCounteragent(PartyData data)
    : m_data(std::move(data))
{
}

SandboxStatus::SandboxStatus(StatusData data)
    : m_data(std::move(data))
{
}

SandboxDocflowStatus::SandboxDocflowStatus(StatusData primary)
    : m_primary(std::make_shared<SandboxStatus>(std::move(primary)))
{
}

SandboxMetadataItem::SandboxMetadataItem(MetadataData data)
    : m_data(std::move(data))
{
}

SandboxPowerOfAttorneyId::SandboxPowerOfAttorneyId(QString registrationNumber, QString issuerInn)
    : m_registrationNumber(std::move(registrationNumber))
    , m_issuerInn(std::move(issuerInn))
{
}

SandboxConfidant::SandboxConfidant(PartyData data)
    : m_data(std::move(data))
{
}

SandboxPowerOfAttorney::SandboxPowerOfAttorney(const PowerOfAttorneyData& data)
    : m_id(std::make_shared<SandboxPowerOfAttorneyId>(data.registrationNumber, data.issuerInn))
{
    if (data.confidant)
        m_confidant = std::make_shared<SandboxConfidant>(*data.confidant);
}

SandboxAttachedPowerOfAttorney::SandboxAttachedPowerOfAttorney(const PowerOfAttorneyData& data)
    : m_powerOfAttorney(std::make_shared<SandboxPowerOfAttorney>(data))
    , m_status(data.status ? Variant(std::make_shared<SandboxStatus>(*data.status)) : Variant::nothing())
{
}

SandboxDocumentPackage::SandboxDocumentPackage(std::shared_ptr<DiadocList> documents)
    : m_documents(std::move(documents))
{
}

} // namespace platform::diadoc
