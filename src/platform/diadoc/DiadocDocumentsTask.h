#pragma once

#include <memory>

#include <QDateTime>
#include <QString>

#include "DiadocAsyncResult.h"
#include "DiadocList.h"

namespace platform::diadoc {

// A document-list request of one organisation: the filters are set first, then the list is
// asked for synchronously (GetDocuments) or in the background (GetDocumentsAsync).
class DiadocDocumentsTask : public Object
{
public:
    // A null QDateTime, or the date 30 December 1899, means no bound.
    virtual void setFromSendDate(const QDateTime& value) = 0;
    virtual QDateTime FromSendDate() const = 0;
    virtual void setToSendDate(const QDateTime& value) = 0;
    virtual QDateTime ToSendDate() const = 0;
    virtual void setFromDocumentDate(const QDateTime& value) = 0;
    virtual QDateTime FromDocumentDate() const = 0;
    virtual void setToDocumentDate(const QDateTime& value) = 0;
    virtual QDateTime ToDocumentDate() const = 0;
    // "Type.Class" such as "Nonformalized.Inbound" or "Any.Outbound", optionally followed by a
    // blank and a status suffix.
    virtual void setCategory(const QString& value) = 0;
    virtual QString Category() const = 0;
    // Empty for the organisation itself (its head department).
    virtual void setDepartmentId(const QString& value) = 0;
    virtual QString DepartmentId() const = 0;
    virtual void setExcludeSubdepartments(bool value) = 0;
    virtual bool ExcludeSubdepartments() const = 0;
    virtual void setTop100(bool value) = 0;
    virtual bool Top100() const = 0;

    // Result: a DiadocList of DiadocDocument, sorted by time, at most 100 with Top100.
    virtual std::shared_ptr<DiadocAsyncResult> GetDocumentsAsync() = 0;
    virtual std::shared_ptr<DiadocList> GetDocuments() = 0;
};

} // namespace platform::diadoc
