#pragma once

#include <memory>
#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

#include "NameCleaning.h"
#include "ProtocolSource.h"
#include "platform/diadoc/Variant.h"

namespace core {
class mFetchlingOptions;
}

namespace diadoc {
class AsyncTskRecord;
}

namespace platform::diadoc {
class DiadocDocument;
class DiadocList;
} // namespace platform::diadoc

namespace platform::family {
class GlobalUtility;
}

namespace engine {

// Builds the folder of every document of a run from the folder structure pattern: organisation,
// counterparty, date, type and class levels, the package folder and the document's own folder.
// It keeps two things per run: each package asked of the service once, and which document owns
// which document folder, so that two documents never share one.
class FolderLayout final
{
public:
    explicit FolderLayout(const core::mFetchlingOptions& options);

    // The pattern as stored: elements separated by "?"; an empty text gives no elements.
    void setPattern(const QString& structurePath);
    const QStringList& elements() const { return m_elements; }
    // The run's base folder, below which ownership of document folders is looked up on disk.
    void setUnloadFolder(const QString& folder) { m_unloadFolder = folder; }
    void setPersons(PersonsCollection* persons) { m_persons = persons; }
    // The options a prepared run keeps; also forgets the packages and folders of an earlier run.
    void startRun(int maxFolderNameLength, bool excludeNegligible);

    // The folder of the document relative to the unload folder, levels separated by "/". Empty for
    // an empty pattern; no "/" at its end when the pattern ends with the document element.
    QString MoldPath(const diadoc::AsyncTskRecord& record, platform::diadoc::DiadocDocument& doc,
                     const platform::diadoc::Variant& folderDate);
    // The folder date: the package's when documents are grouped into packages and the document
    // belongs to one, else the document's own.
    platform::diadoc::Variant DateForPathFolder(platform::diadoc::DiadocDocument& doc);

    // The date parts of folder names; the zero text for an empty date or one that cannot be read.
    static QString FolderYear(const platform::diadoc::Variant& date);
    QString FolderQuarter(const platform::diadoc::Variant& date) const;
    static QString FolderMonth(const platform::diadoc::Variant& date);
    static QString FolderDay(const platform::diadoc::Variant& date);

    // The base folder followed by a relative path, with one "/" between them.
    static QString joinPath(const QString& base, const QString& relative);

    // How many packages were asked of the service in this run.
    int packageRequests() const { return m_packageRequests; }

private:
    struct Package
    {
        std::shared_ptr<platform::diadoc::DiadocList> documents;
        int count = 0;
        std::optional<platform::diadoc::Variant> folderDate;
    };

    Package& packageOf(platform::diadoc::DiadocDocument& doc);
    QString clean(const QString& text) const;
    // The document folder's name: prefix, an identifier suffix long enough that the folder belongs
    // to no other document, and what later elements of its level add (tail), cut to the limit with
    // the suffix kept; registers the folder as the document's.
    QString documentFolder(const QString& parent, const QString& prefix, const QString& tail,
                           platform::diadoc::DiadocDocument& doc);
    bool folderIsFree(const QString& folder, const QString& owner, const QString& documentId) const;

    const core::mFetchlingOptions& m_options;
    const platform::family::GlobalUtility& m_utility;
    NameCleaning m_cleaning;
    QStringList m_elements;
    QString m_unloadFolder;
    PersonsCollection* m_persons = nullptr;
    int m_maxLength = 100;
    bool m_excludeNegligible = true;
    int m_packageRequests = 0;
    QHash<QString, Package> m_packages;
    // Case-folded document folder -> the document (box and identifier) that owns it in this run.
    QHash<QString, QString> m_folderOwners;
};

} // namespace engine
