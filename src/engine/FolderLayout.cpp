#include "FolderLayout.h"

#include <QDir>
#include <QFileInfo>

#include "base/Error.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mIO.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/OwnFileNames.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/VbDate.h"
#include "diadoc/mDiadocDocuments.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/family/GlobalUtility.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadocDocuments;
using platform::diadoc::DiadocDocument;
using platform::diadoc::Variant;

namespace engine {

namespace {

constexpr char16_t kModule[] = u"Fetchling";

const QString kHeadDepartment = u"Головная организация"_s;
const QString kNoCounterpartyInn = u"0000000000"_s;
const QString kNoCounterpartyName = u"__________"_s;

// The lengths of the identifier suffix that tell document folders apart; 0 stands for the whole
// identifier.
constexpr int kSuffixLengths[] = {4, 8, 0};

std::shared_ptr<platform::diadoc::DiadocOrganization> organizationOf(const DiadocDocument& doc)
{
    auto organization = doc.Organization().as<platform::diadoc::DiadocOrganization>();
    if (!organization)
        throw core::objectNotSet();
    return organization;
}

QString dateText(const Variant& date, const QString& format, const QString& zero)
{
    try {
        if (mDiadocDocuments::IsDateEmpty(date))
            return zero;
        const QDateTime value = diadoc::VbDate::fromVariant(date);
        return value.isValid() ? value.toString(format) : zero;
    } catch (...) {
        return zero;
    }
}

QString suffixOf(const QString& id, int length)
{
    return u" ~"_s + NameCleaning::cleanElement(length > 0 ? id.right(length) : id);
}

} // namespace

FolderLayout::FolderLayout(const core::mFetchlingOptions& options)
    : m_options(options)
    , m_utility(options.utility())
    , m_cleaning(options.utility())
{
}

void FolderLayout::setPattern(const QString& structurePath)
{
    m_elements = structurePath.isEmpty() ? QStringList() : structurePath.split(u'?');
}

void FolderLayout::startRun(int maxFolderNameLength, bool excludeNegligible)
{
    m_maxLength = maxFolderNameLength;
    m_excludeNegligible = excludeNegligible;
    m_packages.clear();
    m_folderOwners.clear();
    m_packageRequests = 0;
}

QString FolderLayout::FolderYear(const Variant& date)
{
    return dateText(date, u"yyyy"_s, u"0000"_s);
}

QString FolderLayout::FolderQuarter(const Variant& date) const
{
    try {
        if (mDiadocDocuments::IsDateEmpty(date))
            return u"0кв"_s;
        const QDateTime value = diadoc::VbDate::fromVariant(date);
        if (!value.isValid())
            return u"0кв"_s;
        return QString::number(m_utility.QuarterOfDate(value.date())) + u"кв"_s;
    } catch (...) {
        return u"0кв"_s;
    }
}

QString FolderLayout::FolderMonth(const Variant& date)
{
    return dateText(date, u"MM"_s, u"00"_s);
}

QString FolderLayout::FolderDay(const Variant& date)
{
    return dateText(date, u"dd"_s, u"00"_s);
}

QString FolderLayout::joinPath(const QString& base, const QString& relative)
{
    if (base.isEmpty() || base.endsWith(u'/'))
        return base + relative;
    if (base.endsWith(u'\\'))
        return base.chopped(1) + u'/' + relative;
    return base + u'/' + relative;
}

QString FolderLayout::clean(const QString& text) const
{
    const QString name = m_excludeNegligible ? m_cleaning.ExcludeNegligible(text) : text;
    return NameCleaning::TrimNegligible(name.left(m_maxLength));
}

FolderLayout::Package& FolderLayout::packageOf(DiadocDocument& doc)
{
    // A package is asked for once per run: every document of it would otherwise ask again.
    const TextDigest key(QString(doc.OrganizationId() + u'\n' + doc.PackageId()));
    auto found = m_packages.find(key);
    if (found == m_packages.end()) {
        Package package;
        ++m_packageRequests;
        if (const auto documentPackage = doc.GetDocumentPackage())
            package.documents = documentPackage->Documents();
        package.count = package.documents ? package.documents->Count() : 0;
        found = m_packages.insert(key, package);
    }
    return found.value();
}

Variant FolderLayout::DateForPathFolder(DiadocDocument& doc)
{
    try {
        if (doc.PackageId().isEmpty() || m_options.Get_GroupIntoPackages() == 0)
            return mDiadocDocuments::DocDateForPathFolder(doc);
        Package& package = packageOf(doc);
        if (!package.folderDate) {
            Variant latest;
            for (int i = 0; package.documents && i < package.documents->Count(); ++i) {
                if (const auto item = package.documents->itemAs<DiadocDocument>(i))
                    latest = mDiadocDocuments::ThisMaxOfDates(latest, mDiadocDocuments::DocDateForPathFolder(*item));
            }
            package.folderDate = latest;
            package.documents.reset();
        }
        return *package.folderDate;
    } catch (...) {
        core::PropagateError(kModule, u"DateForPathFolder");
    }
}

QString FolderLayout::MoldPath(const diadoc::AsyncTskRecord& record, DiadocDocument& doc, const Variant& folderDate)
{
    try {
        QString path;
        QString level;
        QString department;
        // The document folder's name before its suffix, while elements after the document element
        // may still add to that name: it is made when its level closes, so that the whole name is
        // cut to the limit with the suffix kept.
        std::optional<QString> document;
        for (const QString& element : m_elements) {
            if (element == u"ИНН организации"_s) {
                level += NameCleaning::cleanElement(organizationOf(doc)->Inn());
            } else if (element == u"ИНН-КПП организации"_s) {
                const auto organization = organizationOf(doc);
                level += NameCleaning::cleanElement(organization->Inn());
                if (const QString kpp = organization->Kpp(); !kpp.isEmpty())
                    level += u'-' + NameCleaning::cleanElement(kpp);
            } else if (element == u"Наименование организации"_s) {
                level += clean(organizationOf(doc)->Name());
            } else if (element == u"Отдел/подразделение организации"_s) {
                if (const auto unit = doc.Department().as<platform::diadoc::DiadocDepartment>())
                    department = NameCleaning::TrimNegligible(unit->Name());
                if (department.isEmpty())
                    department = kHeadDepartment;
                level += department;
            } else if (element == u"ИНН контрагента"_s) {
                const QString inn = mDiadocDocuments::ИНН_ВторойСтороны(doc, QString());
                level += inn.isEmpty() ? kNoCounterpartyInn : NameCleaning::cleanElement(inn);
            } else if (element == u"ИНН-КПП контрагента"_s) {
                const QString innKpp = mDiadocDocuments::ИНН_КПП_ВторойСтороны(doc, QString());
                level += innKpp.isEmpty() ? kNoCounterpartyInn : NameCleaning::cleanElement(innKpp);
            } else if (element == u"Наименование контрагента"_s) {
                const QString name = mDiadocDocuments::НазваниеВторойСтороны(doc, QString());
                level += clean(name.isEmpty() ? kNoCounterpartyName : name);
            } else if (element == u"Тип документа"_s) {
                if (m_persons == nullptr)
                    throw core::objectNotSet();
                const auto& person = m_persons->Item(record.KeyОрганизацииВКоллекции);
                level += NameCleaning::cleanElement(person->GetDocTypeName(doc.TypeNamedId()));
            } else if (element == u"Входящие/Исходящие/Внутренние"_s) {
                level += NameCleaning::cleanElement(mDiadocDocuments::GetDocClass(record.CategoryClass).Name);
            } else if (element == u"Год"_s) {
                level += FolderYear(folderDate);
            } else if (element == u"Квартал"_s) {
                level += FolderQuarter(folderDate);
            } else if (element == u"Месяц"_s) {
                level += FolderMonth(folderDate);
            } else if (element == u"Документ"_s || element == u"[Пакет\\]Документ"_s) {
                // A second document element continues the name of the first, suffix and all.
                if (document)
                    level = *document + suffixOf(doc.DocumentId(), 4) + level;
                if (!doc.PackageId().isEmpty() && m_options.Get_GroupIntoPackages() != 0) {
                    if (const int count = packageOf(doc).count; count > 1) {
                        const QString packageName = u"Пакет_"_s + FolderYear(folderDate) + u'-'
                                                    + FolderMonth(folderDate) + u'-' + FolderDay(folderDate) + u' '
                                                    + QString::number(count) + suffixOf(doc.PackageId(), 4);
                        path += NameCleaning::closeLevel(NameCleaning::fitFolderName(level, packageName)) + u'/';
                        level.clear();
                    }
                }
                const QString title =
                    NameCleaning::TrimNegligible(core::mIO::FixBadChars(doc.Title()).left(m_maxLength));
                document = level + title;
                level.clear();
            } else if (element == u"-"_s || element == u"_"_s || element == u" "_s) {
                if (!level.isEmpty())
                    level += element;
            } else if (element == u"\\"_s) {
                if (document && !level.isEmpty()) {
                    path += documentFolder(path, *document, level, doc) + u'/';
                    document.reset();
                } else if (const QString name = NameCleaning::closeLevel(level); !name.isEmpty()) {
                    // A level that cleaning empties closes nothing, as an empty level does.
                    path += name + u'/';
                }
                level.clear();
            }
        }
        // What the last level still holds after the document element is dropped.
        if (document)
            path += documentFolder(path, *document, QString(), doc);
        return path;
    } catch (...) {
        core::PropagateError(kModule, u"MoldPath");
    }
}

QString FolderLayout::documentFolder(const QString& parent, const QString& prefix, const QString& tail,
                                     DiadocDocument& doc)
{
    const QString id = doc.DocumentId();
    const TextDigest owner(QString(doc.OrganizationId() + u'\n' + id));
    QString name;
    for (const int length : kSuffixLengths) {
        // The prefix is cut first; a tail too long for the suffix and itself is cut after the suffix.
        name = NameCleaning::closeLevel(NameCleaning::fitFolderName(prefix, suffixOf(id, length) + tail));
        if (folderIsFree(joinPath(m_unloadFolder, parent + name), owner, id))
            break;
    }
    m_folderOwners.insert(folderKey(joinPath(m_unloadFolder, parent + name)), owner);
    return name;
}

TextDigest FolderLayout::folderKey(const QString& folder)
{
    // Case is ignored: the tree may lie on a file system that ignores it.
    return TextDigest(QDir::cleanPath(folder).toCaseFolded());
}

bool FolderLayout::folderIsFree(const QString& folder, const TextDigest& owner, const QString& documentId) const
{
    const auto taken = m_folderOwners.constFind(folderKey(folder));
    if (taken != m_folderOwners.cend())
        return taken.value() == owner;
    // A folder of an earlier run belongs to the document whose shortcut it holds.
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir())
        return true;
    const QStringList links = dir.entryList({u"diadoc.documentID=*.url"_s}, QDir::Files | QDir::Hidden);
    return links.isEmpty() || links.contains(diadoc::OwnFileNames::documentLinkName(documentId));
}

} // namespace engine
