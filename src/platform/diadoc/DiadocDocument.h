#pragma once

#include <memory>

#include <QString>

#include "DiadocAsyncResult.h"
#include "DiadocDocflowStatus.h"
#include "DiadocDocumentPackage.h"
#include "DiadocList.h"
#include "Variant.h"

namespace platform::diadoc {

// One document of a box as a document list gives it. Texts are the service's own (statuses,
// directions and types are its enumeration names); members that may be missing are Variants, so
// that callers can tell an object from Nothing, Null or a plain value.
class DiadocDocument : public Object
{
public:
    virtual QString TypeNamedId() const = 0;
    virtual QString Type() const = 0;
    virtual QString OrganizationId() const = 0;
    virtual QString DocumentId() const = 0;
    // "Inbound", "Outbound" or "Internal".
    virtual QString Direction() const = 0;
    // A DiadocDepartment, or Nothing for a document of the head department.
    virtual Variant Department() const = 0;
    virtual Variant Department2() const = 0;
    // A date value, a date text, or an empty text when the document has no date of its own.
    virtual Variant DocumentDate() const = 0;
    // The sending time: a date value.
    virtual Variant Timestamp() const = 0;
    virtual QString DocumentNumber() const = 0;
    virtual QString Title() const = 0;
    virtual QString FileName() const = 0;
    // The document's path in the service's web interface, to be put after the interface's address.
    virtual QString PathURL() const = 0;
    virtual QString PackageId() const = 0;
    virtual QString Status() const = 0;
    virtual QString RevocationStatus() const = 0;
    virtual QString SenderSignatureStatus() const = 0;
    virtual QString RecipientResponseStatus() const = 0;
    virtual QString RoamingNotificationStatus() const = 0;
    virtual QString RoamingNotificationStatusDescription() const = 0;
    virtual std::shared_ptr<DiadocDocflowStatus> DocflowStatus() const = 0;
    virtual bool IsDeleted() const = 0;
    // A DiadocCounteragent, Nothing, or Null (internal documents).
    virtual Variant Counteragent() const = 0;
    // The DiadocOrganization of the box, Nothing or Null.
    virtual Variant Organization() const = 0;
    // DiadocDepartment objects of an internal document, else Nothing.
    virtual Variant FromDepartment() const = 0;
    virtual Variant ToDepartment() const = 0;
    // A DiadocList of DiadocMetadataItem, or Nothing.
    virtual std::shared_ptr<DiadocList> Metadata() const = 0;

    virtual std::shared_ptr<DiadocDocumentPackage> GetDocumentPackage() = 0;
    // Saves every content file into the folder; Result is a Boolean.
    virtual std::shared_ptr<DiadocAsyncResult> SaveAllContentAsync(const QString& folder, bool withProtocol) = 0;
    // Saves the whole content as one ZIP archive at the path; Result is a Boolean.
    virtual std::shared_ptr<DiadocAsyncResult> SaveAllContentZipAsync(const QString& zipPath) = 0;
    // A DiadocList of DiadocAttachedPowerOfAttorney, or Nothing.
    virtual std::shared_ptr<DiadocList> GetPowersOfAttorney() = 0;
};

} // namespace platform::diadoc
