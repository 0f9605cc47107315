#pragma once

#include <memory>

#include <QString>

#include "RecordOutcome.h"

namespace platform::diadoc {
class DiadocAsyncResult;
class DiadocDocument;
} // namespace platform::diadoc

namespace diadoc {

class AsyncTskRecord;

// One document of an unloading run as the download queue holds it: the Diadoc document, a copy of
// its properties taken when it entered the queue (so that grids and protocols need not ask Diadoc
// again), its folders, the running download and the outcome. The queue owns it through
// std::shared_ptr; listeners receive it by reference.
class AsyncDocRecord final : public RecordOutcome
{
public:
    std::shared_ptr<platform::diadoc::DiadocDocument> DiadocDocument;
    QString KeyОрганизацииВКоллекции;
    QString TypeNamedId;
    QString OrganizationId;
    // The other party: "INN-KPP | name".
    QString Counteragent;
    QString DocumentId;
    QString Direction;
    QString DepartmentName;
    QString DepartmentId;
    // The sending date as "dd.mm.yyyy hh:mm:ss", empty when the document has none.
    QString Timestamp;
    // "dd.mm.yyyy", empty when the document has no date of its own.
    QString DocumentDate;
    QString DocumentNumber;
    QString DocumentName;
    QString FileName;
    QString PathURL;
    QString PackageId;
    QString Status;
    QString RevocationStatus;
    QString SenderSignatureStatus;
    QString RecipientResponseStatus;
    QString RoamingNotificationStatus;
    QString RoamingNotificationStatusDescription;
    QString DocflowStatus_PrimaryStatus_Severity;
    QString DocflowStatus_PrimaryStatus_Text;
    bool IsDeleted = false;
    bool WithProtocol = false;
    // The folder for the document's files, metadata file and shortcuts.
    QString Path;
    // The same folder as it was created for the download; set when the download starts.
    QString PathForDownload;
    bool LoadContentByZip = false;
    std::shared_ptr<platform::diadoc::DiadocAsyncResult> AsyncResultContentDoc;
    // State (RecordOutcome): 0 while nothing has failed, 9 after a failed start or result.

    // The archive the content is downloaded into in ZIP mode.
    QString ContentZipFile() const;

    // Takes in a document to download: the copies of its properties, the request's organisation
    // key and the run's choices; everything of the download itself starts empty.
    void fillForDownload(const std::shared_ptr<platform::diadoc::DiadocDocument>& doc, const AsyncTskRecord& task,
                         bool withProtocol, const QString& path, bool loadContentByZip);
    // Takes in a document that is not unloaded, with the reason why; it keeps no document object and
    // has no folders.
    void fillAsIgnored(const platform::diadoc::DiadocDocument& doc, const AsyncTskRecord& task, const QString& reason);

private:
    void copyProperties(const platform::diadoc::DiadocDocument& doc, const AsyncTskRecord& task);
    void clearDownload();
};

} // namespace diadoc
