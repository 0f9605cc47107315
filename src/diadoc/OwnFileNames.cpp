#include "OwnFileNames.h"

using namespace Qt::StringLiterals;

namespace diadoc {

QString OwnFileNames::documentLinkName(const QString& documentId)
{
    QString id = documentId.right(36);
    for (QChar& character : id) {
        if (character == u'/' || character == u'\\' || character.category() == QChar::Other_Control)
            character = u'_';
    }
    return u"diadoc.documentID="_s + id + u".url"_s;
}

QStringList OwnFileNames::of(const QString& documentId)
{
    return {QString::fromUtf16(kMetadataFileName), documentLinkName(documentId)};
}

} // namespace diadoc
