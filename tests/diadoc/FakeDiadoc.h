#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <QList>
#include <QString>

#include "base/Error.h"
#include "platform/diadoc/DiadocAsyncResult.h"
#include "platform/diadoc/DiadocCounteragent.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocDocflowStatus.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocDocumentPackage.h"
#include "platform/diadoc/DiadocDocumentType.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/DiadocStatus.h"
#include "platform/diadoc/SandboxList.h"

// Client objects whose every member a test sets by hand, for the cases the sandbox does not reach
// (missing dates, odd kinds of values, types listed twice).
namespace fakediadoc {

using namespace platform::diadoc;
using namespace Qt::StringLiterals;

class FakeParty final : public DiadocCounteragent
{
public:
    FakeParty(QString aInn, QString aKpp, QString aName)
        : inn(std::move(aInn))
        , kpp(std::move(aKpp))
        , name(std::move(aName))
    {
    }
    QString Inn() const override { return inn; }
    QString Kpp() const override { return kpp; }
    QString Name() const override { return name; }
    QString inn, kpp, name;
};

class FakeDepartment final : public DiadocDepartment
{
public:
    FakeDepartment(QString aId, QString aName, QString aKpp = {})
        : id_(std::move(aId))
        , name(std::move(aName))
        , kpp(std::move(aKpp))
    {
    }
    QString id() const override { return id_; }
    QString Name() const override { return name; }
    QString Kpp() const override { return kpp; }
    std::shared_ptr<DiadocList> Subdepartments() const override { return std::make_shared<SandboxList>(); }
    QString id_, name, kpp;
};

class FakeStatus final : public DiadocStatus
{
public:
    QString Severity() const override { return severity; }
    QString id() const override { return {}; }
    QString Text() const override { return text; }
    QString severity, text;
};

class FakeDocflow final : public DiadocDocflowStatus
{
public:
    std::shared_ptr<DiadocStatus> PrimaryStatus() const override { return primary; }
    std::shared_ptr<FakeStatus> primary = std::make_shared<FakeStatus>();
};

class FakeDocumentType final : public DiadocDocumentType
{
public:
    FakeDocumentType(QString aName, QString aTitle)
        : name(std::move(aName))
        , title(std::move(aTitle))
    {
    }
    QString Name() const override { return name; }
    QString Title() const override { return title; }
    QString name, title;
};

// An organisation whose type list is given, or whose GetDocumentTypes raises the given text.
class FakeOrganization final : public DiadocOrganization
{
public:
    QString Inn() const override { return inn; }
    QString Kpp() const override { return {}; }
    QString Name() const override { return name; }
    QString Guid() const override { return {}; }
    std::shared_ptr<DiadocList> Departments() const override { return std::make_shared<SandboxList>(); }
    std::shared_ptr<DiadocList> GetDocumentTypes() override
    {
        ++typeCalls;
        if (error)
            throw core::Error(-2147467259, *error, u"DiadocClient"_s);
        if (returnsNothing)
            return nullptr;
        QList<std::shared_ptr<FakeDocumentType>> items;
        for (const auto& [key, title] : types)
            items.append(std::make_shared<FakeDocumentType>(key, title));
        return SandboxList::of(items);
    }
    std::shared_ptr<DiadocDocumentsTask> GetDocumentsTask() override { return nullptr; }

    QString inn = u"7701234567"_s;
    QString name = u"ООО «Ромашка»"_s;
    QList<std::pair<QString, QString>> types;
    std::optional<QString> error;
    bool returnsNothing = false;
    int typeCalls = 0;
};

class FakePackage final : public DiadocDocumentPackage
{
public:
    std::shared_ptr<DiadocList> Documents() const override { return documents; }
    std::shared_ptr<DiadocList> documents;
};

// An operation that has already completed with its value.
class FakeAsyncResult final : public DiadocAsyncResult
{
public:
    explicit FakeAsyncResult(Variant value)
        : m_value(std::move(value))
    {
    }
    bool IsCompleted() override { return true; }
    Variant Result() override { return m_value; }

private:
    Variant m_value;
};

// A document with every member a plain field; objects default to Nothing.
class FakeDocument final : public DiadocDocument
{
public:
    QString TypeNamedId() const override { return typeNamedId; }
    QString Type() const override { return type; }
    QString OrganizationId() const override { return organizationId; }
    QString DocumentId() const override { return documentId; }
    QString Direction() const override { return direction; }
    Variant Department() const override { return department; }
    Variant Department2() const override { return department; }
    Variant DocumentDate() const override { return documentDate; }
    Variant Timestamp() const override { return timestamp; }
    QString DocumentNumber() const override { return documentNumber; }
    QString Title() const override { return title; }
    QString FileName() const override { return fileName; }
    QString PathURL() const override { return pathUrl; }
    QString PackageId() const override { return packageId; }
    QString Status() const override { return status; }
    QString RevocationStatus() const override { return revocationStatus; }
    QString SenderSignatureStatus() const override { return senderSignatureStatus; }
    QString RecipientResponseStatus() const override { return recipientResponseStatus; }
    QString RoamingNotificationStatus() const override { return roamingStatus; }
    QString RoamingNotificationStatusDescription() const override { return roamingDescription; }
    std::shared_ptr<DiadocDocflowStatus> DocflowStatus() const override { return docflow; }
    bool IsDeleted() const override { return deleted; }
    Variant Counteragent() const override { return counteragent; }
    Variant Organization() const override { return organization; }
    Variant FromDepartment() const override { return fromDepartment; }
    Variant ToDepartment() const override { return toDepartment; }
    std::shared_ptr<DiadocList> Metadata() const override { return metadata; }
    std::shared_ptr<DiadocDocumentPackage> GetDocumentPackage() override { return package; }
    std::shared_ptr<DiadocAsyncResult> SaveAllContentAsync(const QString& folder, bool withProtocol) override
    {
        return saveAllContent ? saveAllContent(folder, withProtocol) : nullptr;
    }
    std::shared_ptr<DiadocAsyncResult> SaveAllContentZipAsync(const QString&) override { return nullptr; }
    std::shared_ptr<DiadocList> GetPowersOfAttorney() override
    {
        if (powersFail)
            throw core::Error(-2147467259, u"Power of attorney service unavailable"_s, u"DiadocClient"_s);
        return powers;
    }

    QString typeNamedId, type = u"Contract"_s, organizationId, documentId, direction = u"Inbound"_s;
    Variant department = Variant::nothing();
    Variant documentDate{QString()};
    Variant timestamp{QDateTime(QDate(2024, 3, 5), QTime(10, 0))};
    QString documentNumber, title, fileName, pathUrl, packageId;
    QString status = u"InboundWithRecipientSignature"_s;
    QString revocationStatus, senderSignatureStatus, recipientResponseStatus, roamingStatus, roamingDescription;
    std::shared_ptr<FakeDocflow> docflow = std::make_shared<FakeDocflow>();
    bool deleted = false;
    Variant counteragent = Variant::nothing();
    Variant organization = Variant::nothing();
    Variant fromDepartment = Variant::nothing();
    Variant toDepartment = Variant::nothing();
    std::shared_ptr<FakePackage> package = std::make_shared<FakePackage>();
    std::shared_ptr<DiadocList> metadata;
    std::shared_ptr<DiadocList> powers;
    bool powersFail = false;
    // What a save into a folder does; none starts nothing.
    std::function<std::shared_ptr<DiadocAsyncResult>(const QString& folder, bool withProtocol)> saveAllContent;
};

} // namespace fakediadoc
