#pragma once

#include <memory>

#include <QString>

#include "DiadocCertificate.h"
#include "DiadocConnection.h"
#include "DiadocList.h"
#include "DiadocTestConnectionResult.h"
#include "Variant.h"

namespace platform::diadoc {

// The root object of the Diadoc client: API client key and server address are set first, then
// connections are opened by login or by certificate. Every failing member raises core::Error
// whose description carries the client's or the service's message.
class DiadocClient : public Object
{
public:
    virtual void setApiClientId(const QString& value) = 0;
    virtual QString ApiClientId() const = 0;
    virtual void setServerUrl(const QString& value) = 0;
    virtual QString ServerUrl() const = 0;

    virtual QString GetFullVersion() = 0;
    // The list of DiadocCertificate of the user.
    virtual std::shared_ptr<DiadocList> GetPersonalCertificates() = 0;
    virtual std::shared_ptr<DiadocCertificate> GetPersonalCertificate(const QString& thumbprint) = 0;
    virtual std::shared_ptr<DiadocConnection> CreateConnectionByLogin(const QString& login,
                                                                      const QString& password) = 0;
    virtual std::shared_ptr<DiadocConnection> CreateConnectionByCertificate(const QString& thumbprint,
                                                                            const QString& pin = QString()) = 0;
    virtual std::shared_ptr<DiadocTestConnectionResult> TestConnection2() = 0;
};

inline constexpr int kCannotCreateObjectNumber = 429;
inline constexpr char16_t kCannotCreateObjectText[] = u"ActiveX component can't create object";
inline constexpr char16_t kProgId[] = u"Diadoc.DiadocClient";

} // namespace platform::diadoc
