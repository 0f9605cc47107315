#pragma once

#include <optional>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "Variant.h"

namespace platform::diadoc {

// The contents of one sandbox folder as sandbox.json describes them: what the emulated service
// knows. Content paths are absolute paths inside the folder, checked when the file is read.
struct CertificateData
{
    QString thumbprint;
    QString name;
    QString organizationName;
    QString inn;
    QString kpp;
    QDateTime beginDate;
    QDateTime endDate;
    std::optional<bool> qualified; // nothing: the store does not say
};

struct AccountData
{
    QString login;
    QString password;
    QStringList thumbprints;
    QStringList organizations; // ids of the organisations the account sees; empty: all of them
};

struct DepartmentData
{
    QString id;
    QString name;
    QString kpp;
    QString parentId; // empty for a top-level department
};

struct DocumentTypeData
{
    QString name;
    QString title;
};

enum class Tariff
{
    Paid,
    Unpaid,
    Error, // any other refusal, with its text
};

struct OrganizationData
{
    QString id; // the box id, which documents name as their organisation
    QString guid;
    QString inn;
    QString kpp;
    QString name;
    QList<DepartmentData> departments;
    QList<DocumentTypeData> documentTypes;
    Tariff tariff = Tariff::Paid;
    QString tariffError;
};

struct PartyData
{
    QString inn;
    QString kpp;
    QString name;
};

enum class Presence
{
    Nothing,
    Null,
    Present,
};

struct StatusData
{
    QString severity;
    QString id;
    QString text;
};

struct PowerOfAttorneyData
{
    QString registrationNumber;
    QString issuerInn;
    std::optional<PartyData> confidant;
    std::optional<StatusData> status;
};

struct MetadataData
{
    QString key;
    QString value;
};

struct DocumentData
{
    QString organizationId;
    QString documentId;
    QString type;
    QString typeNamedId;
    QString direction;
    QString departmentId;
    QString fromDepartmentId;
    QString toDepartmentId;
    Variant documentDate; // a date, a date text or an empty text
    QDateTime timestamp;
    QString number;
    QString title;
    QString fileName;
    QString pathUrl;
    QString packageId;
    QString status;
    QString revocationStatus;
    QString senderSignatureStatus;
    QString recipientResponseStatus;
    QString roamingNotificationStatus;
    QString roamingNotificationStatusDescription;
    StatusData docflow;
    bool deleted = false;
    Presence counteragentPresence = Presence::Nothing;
    PartyData counteragent;
    std::optional<QList<MetadataData>> metadata;
    std::optional<QList<PowerOfAttorneyData>> powersOfAttorney;
    QStringList content;  // absolute paths of the content files inside the sandbox folder
    QString protocolFile; // absolute path of the print protocol, saved only when asked for
};

// What a fault rule does to the call it matches.
enum class FaultEffect
{
    Error,     // raise the rule's text
    Nothing,   // return Nothing
    Empty,     // a list-valued member answers a list without items
    Never,     // the operation never completes
    Late,      // the operation completes after extra polls or delay
    False,     // Result is False
    Value,     // Result is a value that is not a Boolean
    NoFiles,   // Result is True but nothing is written
    Corrupt,   // the archive written is not a ZIP archive
    Truncated, // the archive written is cut short
    Hostile,   // the archive holds entries that climb out of the folder or are absolute
};

struct FaultRule
{
    QString operation;    // the member name, or GetDocumentsResult / SaveContentResult for Result
    QString organization; // id, INN or GUID of the organisation; empty: any
    QString document;     // document id; empty: any
    QString type;         // document type of a list request or a document; empty: any
    QString documentClass;
    QDateTime from; // period of a list request that the rule hits (overlap); invalid: any
    QDateTime to;
    int attempt = 0;       // only the n-th matching call (from 1); 0: every call
    int firstAttempts = 0; // only the first n matching calls; 0: no limit
    FaultEffect effect = FaultEffect::Error;
    QString text;
    int number = -2147467259;
    int extraPolls = 0;
    qint64 extraDelayMs = 0;
    Variant value; // the Result of a Value rule
};

struct AsyncPolicy
{
    int polls = 1;      // IsCompleted answers True on this call (0: at once)
    qint64 delayMs = 0; // and not before this much time has passed on the clock
};

struct AsyncTiming
{
    int polls = 1;
    qint64 delayMs = 0;
    bool never = false;
};

struct SandboxData
{
    QString folder;
    QString version;
    QStringList apiClientIds;
    QList<CertificateData> certificates;
    QList<AccountData> accounts;
    QList<OrganizationData> organizations;
    QList<DocumentData> documents;
    QList<FaultRule> faults;
    AsyncPolicy listPolicy;
    AsyncPolicy contentPolicy;
};

} // namespace platform::diadoc
