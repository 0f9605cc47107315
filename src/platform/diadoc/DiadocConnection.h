#pragma once

#include <memory>

#include "DiadocCertificate.h"
#include "DiadocList.h"

namespace platform::diadoc {

// A signed-in session of one account.
class DiadocConnection : public Object
{
public:
    // The list of DiadocOrganization the account may see.
    virtual std::shared_ptr<DiadocList> GetOrganizationList() = 0;
    // The certificate of a connection made by certificate; Nothing for one made by login.
    virtual std::shared_ptr<DiadocCertificate> Certificate() const = 0;
};

} // namespace platform::diadoc
