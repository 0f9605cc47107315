#pragma once

#include <memory>

#include "DiadocClient.h"
#include "DiadocConnection.h"
#include "SandboxData.h"

namespace platform::diadoc {

class SandboxHub;
class SandboxService;

// The client object of the emulated library. The server address picks the sandbox; signing in
// checks the API client id, then the login and password or the certificate against its accounts.
class SandboxClient final : public DiadocClient
{
public:
    SandboxClient(std::shared_ptr<SandboxHub> hub, QString libraryVersion);

    void setApiClientId(const QString& value) override { m_apiClientId = value; }
    QString ApiClientId() const override { return m_apiClientId; }
    void setServerUrl(const QString& value) override { m_serverUrl = value; }
    QString ServerUrl() const override { return m_serverUrl; }

    QString GetFullVersion() override;
    std::shared_ptr<DiadocList> GetPersonalCertificates() override;
    std::shared_ptr<DiadocCertificate> GetPersonalCertificate(const QString& thumbprint) override;
    std::shared_ptr<DiadocConnection> CreateConnectionByLogin(const QString& login, const QString& password) override;
    std::shared_ptr<DiadocConnection> CreateConnectionByCertificate(const QString& thumbprint,
                                                                    const QString& pin) override;
    std::shared_ptr<DiadocTestConnectionResult> TestConnection2() override;

private:
    void checkApiClientId(const SandboxService& service) const;

    std::shared_ptr<SandboxHub> m_hub;
    QString m_libraryVersion;
    QString m_apiClientId;
    QString m_serverUrl;
};

// A signed-in session of the emulated service.
class SandboxConnection final : public DiadocConnection
{
public:
    SandboxConnection(std::shared_ptr<SandboxService> service, AccountData account,
                      std::shared_ptr<DiadocCertificate> certificate);

    std::shared_ptr<DiadocList> GetOrganizationList() override;
    std::shared_ptr<DiadocCertificate> Certificate() const override { return m_certificate; }

private:
    std::shared_ptr<SandboxService> m_service;
    AccountData m_account;
    std::shared_ptr<DiadocCertificate> m_certificate;
};

} // namespace platform::diadoc
