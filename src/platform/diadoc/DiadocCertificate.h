#pragma once

#include <QDateTime>
#include <QString>

#include "Variant.h"

namespace platform::diadoc {

// A personal certificate of the user, as the certificate store of the workstation gives it.
class DiadocCertificate : public Object
{
public:
    virtual QString Name() const = 0;
    virtual QString OrganizationName() const = 0;
    virtual QString Inn() const = 0;
    virtual QString Kpp() const = 0;
    virtual QDateTime BeginDate() const = 0;
    virtual QDateTime EndDate() const = 0;
    virtual QString Thumbprint() const = 0;
    // A Boolean, or Empty when the store does not say (callers count Empty as False).
    virtual Variant IsQualifiedElectronicSignature() const = 0;
};

} // namespace platform::diadoc
