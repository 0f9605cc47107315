#include "SandboxClient.h"

#include <utility>

#include "SandboxClientFactory.h"
#include "SandboxList.h"
#include "SandboxOrganization.h"
#include "SandboxService.h"
#include "SandboxValues.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

namespace {

constexpr int kFailure = -2147467259;

FaultQuery call(const QString& operation)
{
    FaultQuery q;
    q.operation = operation;
    return q;
}

const CertificateData* findCertificate(const SandboxData& data, const QString& thumbprint)
{
    for (const CertificateData& cert : data.certificates) {
        if (cert.thumbprint.compare(thumbprint, Qt::CaseInsensitive) == 0)
            return &cert;
    }
    return nullptr;
}

} // namespace

SandboxClient::SandboxClient(std::shared_ptr<SandboxHub> hub, QString libraryVersion)
    : m_hub(std::move(hub))
    , m_libraryVersion(std::move(libraryVersion))
{
}

void SandboxClient::checkApiClientId(const SandboxService& service) const
{
    const QStringList& accepted = service.data().apiClientIds;
    if (!accepted.isEmpty() && !accepted.contains(m_apiClientId))
        SandboxService::raise(QString::fromUtf16(sandboxtext::kInvalidApiClientId), kFailure);
}

QString SandboxClient::GetFullVersion()
{
    const auto service = m_hub->tryResolve(m_serverUrl);
    if (!service)
        return m_libraryVersion;
    service->checkFault(call(u"GetFullVersion"_s));
    return service->data().version;
}

std::shared_ptr<DiadocList> SandboxClient::GetPersonalCertificates()
{
    // The certificate store belongs to the workstation; without a sandbox it is empty.
    const auto service = m_hub->tryResolve(m_serverUrl);
    if (!service)
        return std::make_shared<SandboxList>();
    const auto rule = service->checkFault(call(u"GetPersonalCertificates"_s));
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    if (rule && rule->effect == FaultEffect::Empty)
        return std::make_shared<SandboxList>();
    QList<std::shared_ptr<SandboxCertificate>> certificates;
    for (const CertificateData& cert : service->data().certificates)
        certificates.append(std::make_shared<SandboxCertificate>(cert));
    return SandboxList::of(certificates);
}

std::shared_ptr<DiadocCertificate> SandboxClient::GetPersonalCertificate(const QString& thumbprint)
{
    const auto service = m_hub->tryResolve(m_serverUrl);
    const CertificateData* cert = service ? findCertificate(service->data(), thumbprint) : nullptr;
    if (service) {
        const auto rule = service->checkFault(call(u"GetPersonalCertificate"_s));
        if (rule && rule->effect == FaultEffect::Nothing)
            return nullptr;
    }
    if (!cert)
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCertificateNotFound) + thumbprint, kFailure);
    return std::make_shared<SandboxCertificate>(*cert);
}

std::shared_ptr<DiadocConnection> SandboxClient::CreateConnectionByLogin(const QString& login, const QString& password)
{
    const auto service = m_hub->resolve(m_serverUrl);
    const auto rule = service->checkFault(call(u"CreateConnectionByLogin"_s));
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    checkApiClientId(*service);
    for (const AccountData& account : service->data().accounts) {
        if (!account.login.isEmpty() && account.login.compare(login, Qt::CaseInsensitive) == 0
            && account.password == password)
            return std::make_shared<SandboxConnection>(service, account, nullptr);
    }
    SandboxService::raise(QString::fromUtf16(sandboxtext::kWrongPassword) + login, kFailure);
}

std::shared_ptr<DiadocConnection> SandboxClient::CreateConnectionByCertificate(const QString& thumbprint,
                                                                               const QString& pin)
{
    Q_UNUSED(pin);
    const auto service = m_hub->resolve(m_serverUrl);
    const auto rule = service->checkFault(call(u"CreateConnectionByCertificate"_s));
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    checkApiClientId(*service);
    const CertificateData* cert = findCertificate(service->data(), thumbprint);
    if (!cert)
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCertificateNotFound) + thumbprint, kFailure);
    for (const AccountData& account : service->data().accounts) {
        for (const QString& known : account.thumbprints) {
            if (known.compare(thumbprint, Qt::CaseInsensitive) == 0)
                return std::make_shared<SandboxConnection>(service, account,
                                                           std::make_shared<SandboxCertificate>(*cert));
        }
    }
    SandboxService::raise(
        u"##100[Ошибка сервера Диадок]code:401, HTTP error: Certificate is not registered: "_s + thumbprint, kFailure);
}

std::shared_ptr<DiadocTestConnectionResult> SandboxClient::TestConnection2()
{
    std::shared_ptr<SandboxService> service;
    try {
        service = m_hub->resolve(m_serverUrl);
    } catch (const core::Error& e) {
        return std::make_shared<SandboxTestConnectionResult>(Variant(false), e.description());
    }
    const auto rule = service->checkFault(call(u"TestConnection2"_s));
    if (rule) {
        switch (rule->effect) {
        case FaultEffect::Nothing:
            return nullptr;
        case FaultEffect::Value:
            return std::make_shared<SandboxTestConnectionResult>(rule->value, rule->text);
        case FaultEffect::False:
            return std::make_shared<SandboxTestConnectionResult>(Variant(false), rule->text);
        default:
            break;
        }
    }
    try {
        checkApiClientId(*service);
    } catch (const core::Error& e) {
        return std::make_shared<SandboxTestConnectionResult>(Variant(false), e.description());
    }
    return std::make_shared<SandboxTestConnectionResult>(Variant(true), QString());
}

SandboxConnection::SandboxConnection(std::shared_ptr<SandboxService> service, AccountData account,
                                     std::shared_ptr<DiadocCertificate> certificate)
    : m_service(std::move(service))
    , m_account(std::move(account))
    , m_certificate(std::move(certificate))
{
}

std::shared_ptr<DiadocList> SandboxConnection::GetOrganizationList()
{
    const auto rule = m_service->checkFault(call(u"GetOrganizationList"_s));
    if (rule && rule->effect == FaultEffect::Nothing)
        return nullptr;
    if (rule && rule->effect == FaultEffect::Empty)
        return std::make_shared<SandboxList>();
    QList<std::shared_ptr<SandboxOrganization>> organizations;
    for (const OrganizationData& org : m_service->data().organizations) {
        if (m_account.organizations.isEmpty() || m_account.organizations.contains(org.id))
            organizations.append(std::make_shared<SandboxOrganization>(m_service, &org));
    }
    return SandboxList::of(organizations);
}

} // namespace platform::diadoc
