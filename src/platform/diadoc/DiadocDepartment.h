#pragma once

#include <memory>

#include <QString>

#include "DiadocList.h"

namespace platform::diadoc {

// A department of an organisation; its subdepartments form a tree.
class DiadocDepartment : public Object
{
public:
    virtual QString id() const = 0;
    virtual QString Name() const = 0;
    virtual QString Kpp() const = 0;
    // The list of DiadocDepartment below this one (possibly empty).
    virtual std::shared_ptr<DiadocList> Subdepartments() const = 0;
};

} // namespace platform::diadoc
