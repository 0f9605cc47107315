#pragma once

#include <QString>

namespace diadoc {

// Russian texts for the status fields of a Diadoc document (document, revocation, sender
// signature, recipient response, roaming). Lookups are exact; a name no table knows comes back
// unchanged, so a status added by the service still shows as its own name.
class mDiadocStatusTexts final
{
public:
    // Text of a document status as the document type's group knows it; with strip, the leading
    // "документ входящий/исходящий/внутренний" and the ", " after it are left out.
    static QString StatusRus(const QString& typeName, const QString& statusName, bool strip);
    static QString TranslateStatus(const QString& statusName);
    static QString RevocationStatusRus(const QString& statusName);
    static QString SenderSignatureStatusRus(const QString& statusName);
    static QString TranslateSenderSignatureStatus(const QString& statusName);
    // Empty where the response says nothing the document status does not already say.
    static QString RecipientResponseStatusRus(const QString& responseStatus, const QString& documentStatus);
    static QString TranslateRecipientResponseStatus(const QString& statusName);
    // Without all, the roaming states a reader need not see give an empty text.
    static QString RoamingNotificationStatusRus(const QString& statusName, bool all);
    static QString TranslateRoamingNotificationStatus(const QString& statusName);
};

} // namespace diadoc
