#include "AsyncDocRecord.h"

#include "AsyncTskRecord.h"
#include "VbDate.h"
#include "base/Error.h"
#include "core/VbText.h"
#include "core/mErrorHandling.h"
#include "core/mIO.h"
#include "mDiadocDocuments.h"
#include "platform/diadoc/DiadocAsyncResult.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocDocument.h"

using namespace Qt::StringLiterals;
using platform::diadoc::DiadocDepartment;
using platform::diadoc::Variant;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"AsyncDocRecord";

} // namespace

QString AsyncDocRecord::ContentZipFile() const
{
    return PathForDownload + u"/content.zip"_s;
}

void AsyncDocRecord::copyProperties(const platform::diadoc::DiadocDocument& doc, const AsyncTskRecord& task)
{
    KeyОрганизацииВКоллекции = task.KeyОрганизацииВКоллекции;
    TypeNamedId = doc.TypeNamedId();
    OrganizationId = doc.OrganizationId();
    Counteragent = mDiadocDocuments::ИНН_КПП_ВторойСтороны(doc, QString()) + u" | "_s
                   + mDiadocDocuments::НазваниеВторойСтороны(doc, QString());
    DocumentId = doc.DocumentId();
    Direction = doc.Direction();
    DepartmentName.clear();
    DepartmentId.clear();
    if (const auto department = doc.Department().as<DiadocDepartment>()) {
        DepartmentName = department->Name();
        DepartmentId = department->id();
    }
    Timestamp.clear();
    if (!mDiadocDocuments::IsDateEmpty(doc.Timestamp()))
        Timestamp = VbDate::fromVariant(mDiadocDocuments::ForwardingDate(doc)).toString(u"dd.MM.yyyy HH:mm:ss"_s);
    DocumentDate.clear();
    if (const Variant date = doc.DocumentDate(); !mDiadocDocuments::IsDateEmpty(date))
        DocumentDate = VbDate::fromVariant(date).toString(u"dd.MM.yyyy"_s);
    DocumentNumber = doc.DocumentNumber();
    DocumentName = core::Trim(core::mIO::FixBadChars(doc.Title()));
    FileName = doc.FileName();
    PathURL = doc.PathURL();
    PackageId = doc.PackageId();
    Status = doc.Status();
    RevocationStatus = doc.RevocationStatus();
    SenderSignatureStatus = doc.SenderSignatureStatus();
    RecipientResponseStatus = doc.RecipientResponseStatus();
    RoamingNotificationStatus = doc.RoamingNotificationStatus();
    RoamingNotificationStatusDescription = doc.RoamingNotificationStatusDescription();
    const auto docflow = doc.DocflowStatus();
    const auto primary = docflow ? docflow->PrimaryStatus() : nullptr;
    if (!primary)
        throw core::objectNotSet();
    DocflowStatus_PrimaryStatus_Severity = primary->Severity();
    DocflowStatus_PrimaryStatus_Text = primary->Text();
    IsDeleted = doc.IsDeleted();
}

void AsyncDocRecord::clearDownload()
{
    PathForDownload.clear();
    AsyncResultContentDoc.reset();
    clearOutcome();
}

void AsyncDocRecord::fillForDownload(const std::shared_ptr<platform::diadoc::DiadocDocument>& doc,
                                     const AsyncTskRecord& task, bool withProtocol, const QString& path,
                                     bool loadContentByZip)
{
    try {
        if (!doc)
            throw core::objectNotSet();
        copyProperties(*doc, task);
        DiadocDocument = doc;
        WithProtocol = withProtocol;
        Path = path;
        LoadContentByZip = loadContentByZip;
        clearDownload();
    } catch (...) {
        core::PropagateError(kModule, u"fillForDownload");
    }
}

void AsyncDocRecord::fillAsIgnored(const platform::diadoc::DiadocDocument& doc, const AsyncTskRecord& task,
                                   const QString& reason)
{
    try {
        copyProperties(doc, task);
        DiadocDocument.reset();
        WithProtocol = false;
        Path.clear();
        LoadContentByZip = false;
        clearDownload();
        ErrorDescription = reason;
    } catch (...) {
        core::PropagateError(kModule, u"fillAsIgnored");
    }
}

} // namespace diadoc
