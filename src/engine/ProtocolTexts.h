#pragma once

#include <memory>

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "ProtocolSource.h"

namespace diadoc {
class AsyncDocRecord;
class PersonRecord;
} // namespace diadoc

namespace engine {

// Whether each download folder exists, asked of the disk once for all the protocols of one run:
// the HTML, Excel and CSV protocols each show the folder of every document.
class ProtocolFolders final
{
public:
    bool exists(const QString& folder);

private:
    QHash<QString, bool> m_exists; // the keys share the records' texts
};

// The texts that the HTML, CSV and Excel protocols show alike for one document (its statuses, its
// organisation, its folder below the unload folder, its sending date) and the protocols' file names.
class ProtocolTexts final
{
public:
    static constexpr char16_t kHtmlExtension[] = u".htm";
    static constexpr char16_t kCsvExtension[] = u".csv";

    // "Протокол выгрузки документов из Диадок от yyyy.MM.dd HH.mm.ss" for the local time the
    // protocol stage began; the main window adds the folder and the extension.
    static QString protocolBaseName(const QDateTime& localTime);

    // The five status texts of the document joined by separator; a separator stands only between
    // two non-empty texts. With roamingDescription, a roaming text is followed by the roaming
    // description in brackets when both are there (the Excel protocol's form).
    static QString statusesText(const diadoc::AsyncDocRecord& doc, QStringView separator,
                                bool roamingDescription = false);
    // The five texts themselves, in that order (roaming, revocation, document, recipient response,
    // sender signature), for a writer that must escape each before joining them.
    static QStringList statusParts(const diadoc::AsyncDocRecord& doc, bool roamingDescription = false);
    // Joins texts as statusesText does: a separator only between two non-empty texts.
    static QString joinStatuses(const QStringList& parts, QStringView separator);

    // The organisation of the CSV and Excel protocols: the trimmed name with ", " and the
    // department, or ", Головное подразделение" for an organisation with departments, else the name.
    static QString organisationText(const diadoc::PersonRecord& person, const diadoc::AsyncDocRecord& doc);
    // The organisation of the HTML protocol: the name without trailing blanks, ", " and the
    // department when there is one; otherwise the name unchanged.
    static QString organisationTextHtml(const diadoc::PersonRecord& person, const diadoc::AsyncDocRecord& doc);

    // The organisation the persons collection holds under the document's key; a missing key raises
    // "Invalid procedure call or argument" (5).
    static std::shared_ptr<diadoc::PersonRecord> personOf(const PersonsCollection& persons,
                                                          const diadoc::AsyncDocRecord& doc);

    // The download folder as it exists on disk, below the base unload folder when it lies there;
    // any other folder is shown whole, and a folder that no longer exists gives the empty text.
    // With folders, a folder the disk was asked about for another protocol is not asked about again.
    static QString relativeFolder(const QString& pathForDownload, const QString& basePath,
                                  ProtocolFolders* folders = nullptr);

    // The sending date as "dd.mm.yyyy"; empty for a document without one (or with the marker).
    static QString dateReceivedText(const QString& timestamp);
    // Whether the record's date text is empty as mDiadocDocuments::IsDateEmpty tells of a text:
    // no date that can be read, or the marker of an empty date.
    static bool isDateEmpty(const QString& timestamp);
    // The same for a text already read with platform::diadoc::parseDateText.
    static bool isDateEmpty(const QString& timestamp, const QDateTime& read);

    // The name of the document's class ("Входящий", "Исходящий", "Внутренний"), else empty.
    static QString directionText(const diadoc::AsyncDocRecord& doc);

    // Blanks (spaces) removed on both sides, or on the right only, as the protocols trim.
    static QString trimBlanks(const QString& text);
    static QString trimTrailingBlanks(const QString& text);
};

} // namespace engine
