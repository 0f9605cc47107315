#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

#include "ProtocolSource.h"
#include "diadoc/OwnFileNames.h"

namespace core {
class mLogFile;
}
namespace platform::diadoc {
class DiadocDocument;
}

namespace engine {

// Writes what lies beside every unloaded document: the shortcut to the document in the Diadoc
// web interface, the metadata file "DCInfo.n7l" that the family's other programs read, and one
// shortcut per power of attorney to the tax service's registry.
class MetadataFile final
{
public:
    static constexpr const auto& kMetadataFileName = diadoc::OwnFileNames::kMetadataFileName;

    MetadataFile(const PersonsCollection& persons, QString versionText, core::mLogFile* log,
                 std::function<QDateTime()> localNow);

    // Empty when the document shortcut and the metadata file were written, else the message of the
    // write that failed. Other failures raise with their place in the trail.
    QString SaveN7L(const QString& folder, platform::diadoc::DiadocDocument& doc, const QString& organisationKey);

    // Escapes the five characters XML reserves, in a fixed order; changes the text and returns it.
    static QString& ekran(QString& text);

    // The address as a shortcut holds it: every byte of its UTF-8 beyond ASCII, every blank and
    // every control character percent-encoded, so that the line stays one plain ASCII address.
    static QString shortcutAddress(const QString& url);

    // The names of the shortcut files, built from what the service gives.
    static QString documentLinkName(const QString& documentId);
    static QString powerOfAttorneyLinkName(const QString& registrationNumber);

private:
    QString buildText(const QString& folder, platform::diadoc::DiadocDocument& doc, const QString& organisationKey);
    void appendPowersOfAttorney(QString& xml, const QString& folder, platform::diadoc::DiadocDocument& doc);
    void appendMetadata(QString& xml, const platform::diadoc::DiadocDocument& doc);
    void log(const QString& text);

    const PersonsCollection& m_persons;
    QString m_versionText;
    core::mLogFile* m_log = nullptr;
    std::function<QDateTime()> m_localNow;
};

} // namespace engine
