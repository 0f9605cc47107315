#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include "SandboxData.h"
#include "SandboxMeter.h"

namespace platform::diadoc {

// What one call of the emulated client is, for matching fault rules.
struct FaultQuery
{
    QString operation;
    const OrganizationData* organization = nullptr;
    QString documentId;
    QString type;
    QString documentClass;
    QDateTime from;
    QDateTime to;
};

// A document of an organisation in the order the service lists documents: by the moment it was
// sent, as its clock reads; documents sent at the same moment keep the order of the sandbox file.
struct ListedDocument
{
    qint64 sentMs = 0;
    QDate documentDay; // invalid where the document date cannot be read
    const DocumentData* data = nullptr;
};

// Documents in the service's list order (by the time they were sent) and, for a request by
// document dates, the places in that order of those whose date can be read, by that date (in list
// order where dates are equal).
struct ListOrder
{
    std::vector<ListedDocument> listed;
    std::vector<quint32> byDay;
};

// The state one sandbox folder shares between every client object that reaches it: its data, its
// fault rules with their attempt counters, and the clock that delayed operations are measured on.
class SandboxService final
{
public:
    SandboxService(SandboxData data, std::function<qint64()> clockMs);

    const SandboxData& data() const { return m_data; }
    qint64 nowMs() const { return m_clockMs(); }
    // What the service has cost its process so far; the benchmarks read it.
    SandboxMeter& meter() { return m_meter; }
    const SandboxMeter& meter() const { return m_meter; }

    void addFault(FaultRule rule);
    void clearFaults();
    // The first rule that hits this call, counting the call as an attempt of every rule it matches.
    std::optional<FaultRule> findFault(const FaultQuery& query);
    // As findFault, but an Error rule is raised at once.
    std::optional<FaultRule> checkFault(const FaultQuery& query);
    // When an asynchronous operation completes: the sandbox's policy, made later by "late" rules of
    // its start or its result, or never by a "never" rule.
    static AsyncTiming timing(const AsyncPolicy& policy, const std::optional<FaultRule>& startRule,
                              const std::optional<FaultRule>& resultRule);
    [[noreturn]] static void raise(const FaultRule& rule);
    [[noreturn]] static void raise(const QString& text, int number);

    const OrganizationData* organization(const QString& id) const;
    // The documents of an organisation in the order of the sandbox file; those of one direction,
    // of one type and of one status (any type or status where it is empty) in the service's list
    // order, as a list request asks for them; the documents of one of its packages in file
    // order. Looked up, never searched: a sandbox may hold 100,000 documents.
    const QList<const DocumentData*>& documentsOf(const QString& organizationId) const;
    const ListOrder& listOrderOf(const QString& organizationId, const QString& direction, const QString& type,
                                 const QString& status = {}) const;
    const QList<const DocumentData*>& packageOf(const QString& organizationId, const QString& packageId) const;
    const DocumentData* document(const QString& documentId) const;

    // The bytes of a content file of the sandbox. The files belong to the sandbox as its data does
    // and are read once (a run saves the same few files for thousands of documents), up to a bound
    // on what is kept; a file that cannot be read raises the client's text.
    QByteArray contentBytes(const QString& path);
    // The archive of these content files made at this second, built once: the documents of a run
    // share a few files, and an archive of the same files made at the same second is the same.
    QByteArray archiveOf(const QStringList& contentPaths, qint64 second, const std::function<QByteArray()>& build);

    // A moment as its clock reads, in milliseconds: send moments and their bounds compare as
    // written, whatever the zone of this machine or of the text, as the service compares them in
    // its own zone.
    static qint64 wallClockMs(const QDateTime& value);

private:
    static bool matches(const FaultRule& rule, const FaultQuery& query);
    void index();
    static QString kindKey(const QString& organizationId, const QString& direction, const QString& type,
                           const QString& status);

    SandboxData m_data;
    QHash<QString, QList<const DocumentData*>> m_documentsOf;
    QHash<QString, ListOrder> m_listOrderOfKind; // by organisation, direction, type and status
    QHash<QString, QHash<QString, QList<const DocumentData*>>> m_packagesOf;
    QHash<QString, const DocumentData*> m_documentById;
    std::function<qint64()> m_clockMs;
    std::mutex m_mutex;
    QList<FaultRule> m_faults;
    QList<int> m_attempts;
    SandboxMeter m_meter;
    std::mutex m_contentMutex;
    QHash<QString, QByteArray> m_contentBytes;
    qsizetype m_contentKept = 0;
    qint64 m_archivesSecond = -1;
    QHash<QStringList, QByteArray> m_archives;
};

// Texts of the emulated service's own refusals.
namespace sandboxtext {
inline constexpr char16_t kInvalidApiClientId[] =
    u"##100[Ошибка сервера Диадок]code:401, HTTP error: Invalid API client id";
inline constexpr char16_t kWrongPassword[] =
    u"##100[Ошибка сервера Диадок]code:401, HTTP error: Wrong password provided for login ";
inline constexpr char16_t kUnpaidTariff[] =
    u"##100[Ошибка сервера Диадок]code:402, HTTP error: Доступ запрещён. Необходима оплата тарифа АПИ";
inline constexpr char16_t kInvalidDocumentTypes[] = u"COM1C.HTTP_ERROR[0x00000190]code 400: Document types are invalid";
inline constexpr char16_t kNoConnection[] =
    u"COM1C.HTTP_ERROR[0x00002EFD]A connection with the server could not be established";
inline constexpr char16_t kPathNotFound[] = u"WIN32[0x00000003]The system cannot find the path specified.";
inline constexpr char16_t kCannotOpenFile[] = u"WIN32[0x00000004]The system cannot open the file.";
inline constexpr char16_t kCertificateNotFound[] = u"COM1C[0x80092004]Cannot find object or property. Certificate: ";
inline constexpr char16_t kNotCompleted[] = u"The operation has not completed yet";
} // namespace sandboxtext

} // namespace platform::diadoc
