#pragma once

#include <QString>
#include <QStringList>

namespace diadoc {

// The names of the files the program writes beside a document's content: the metadata file and
// the shortcut to the document. A content file of one of these names would be lost to the
// program's own file, so the download steps treat them as taken.
class OwnFileNames final
{
public:
    static constexpr char16_t kMetadataFileName[] = u"DCInfo.n7l";

    // "diadoc.documentID=" and the last 36 characters of the identifier, ".url"; the identifier
    // comes from the service, so "/", "\" and control characters in it become "_".
    static QString documentLinkName(const QString& documentId);
    // Both names for the document.
    static QStringList of(const QString& documentId);
};

} // namespace diadoc
