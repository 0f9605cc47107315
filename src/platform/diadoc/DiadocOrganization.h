#pragma once

#include <memory>

#include <QString>

#include "DiadocDocumentsTask.h"
#include "DiadocList.h"

namespace platform::diadoc {

// An organisation (box) that the signed-in account may see.
class DiadocOrganization : public Object
{
public:
    virtual QString Inn() const = 0;
    virtual QString Kpp() const = 0;
    virtual QString Name() const = 0;
    virtual QString Guid() const = 0;
    // The list of top-level DiadocDepartment; Nothing or empty for an organisation without any.
    virtual std::shared_ptr<DiadocList> Departments() const = 0;
    // The list of DiadocDocumentType; raises the refusal of an unpaid API tariff.
    virtual std::shared_ptr<DiadocList> GetDocumentTypes() = 0;
    virtual std::shared_ptr<DiadocDocumentsTask> GetDocumentsTask() = 0;
};

} // namespace platform::diadoc
