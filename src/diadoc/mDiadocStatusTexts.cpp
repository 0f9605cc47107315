#include "mDiadocStatusTexts.h"

#include <span>

#include <QStringView>

#include "core/mErrorHandling.h"

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"mDiadoc";

struct NameAndText
{
    QStringView name;
    QStringView text;
};

// Document status texts that every group shares unless it words a status its own way.
constexpr NameAndText kDocumentStatusTexts[] = {
    {u"Inbound", u"документ входящий"},
    {u"InboundFinished", u"документ входящий, документооборот завершен"},
    {u"InboundInvalidRecipientSignature",
     u"документ входящий, документооборот не завершен, поскольку подпись отправителя не является корректной"},
    {u"InboundNoRecipientSignatureRequest", u"документ входящий, без запроса ответной подписи"},
    {u"InboundNotFinished", u"документ входящий, документооборот не завершен"},
    {u"InboundRecipientSignatureRequestRejected",
     u"документ входящий, отправлен отказ от формирования ответной подписи"},
    {u"InboundWaitingForRecipientSignature",
     u"документ входящий, ответная подпись, либо отказ от ее формирования еще не отправлены"},
    {u"InboundWithRecipientSignature", u"документ входящий, ответная подпись поставлена"},
    {u"Internal", u"документ внутренний"},
    {u"InternalInvalidRecipientSignature",
     u"документ внутренний, документооборот не завершен, поскольку подпись отправителя не является корректной"},
    {u"InternalInvalidSenderSignature",
     u"документ внутренний, документ не отправлен, поскольку подпись отправителя не является корректной"},
    {u"InternalNoRecipientSignatureRequest", u"документ внутренний, документ без запроса ответной подписи"},
    {u"InternalRecipientSignatureRequestRejected",
     u"документ внутренний, отправлен отказ от формирования ответной подписи"},
    {u"InternalWaitingForRecipientSignature", u"документ внутренний, ответная подпись"},
    {u"InternalWaitingForSenderSignature",
     u"документ внутренний, документ не отправлен, поскольку не подписан отправителем"},
    {u"InternalWithRecipientSignature", u"документ внутренний, ответная подпись поставлена"},
    {u"Outbound", u"документ исходящий"},
    {u"OutboundFinished", u"документ исходящий, документооборот завершен"},
    {u"OutboundInvalidSenderSignature",
     u"документ исходящий, документ не отправлен, поскольку подпись отправителя не является корректной"},
    {u"OutboundNoRecipientSignatureRequest", u"документ исходящий, без запроса ответной подписи"},
    {u"OutboundNotFinished",
     u"документ исходящий, извещение о получении от покупателя уже есть, но документооборот еще не завершен"},
    {u"OutboundRecipientSignatureRequestRejected",
     u"документ исходящий, получен отказ от формирования ответной подписи"},
    {u"OutboundWaitingForInvoiceReceipt", u"документ исходящий, ожидается извещение о получении от покупателя"},
    {u"OutboundWaitingForInvoiceReceiptAndRecipientSignature",
     u"документ исходящий, от покупателя ожидается извещение о получении, ответная подпись, либо отказ от ее "
     u"формирования"},
    {u"OutboundWaitingForRecipientSignature",
     u"документ исходящий, ответная подпись, либо отказ от ее формирования еще не получены"},
    {u"OutboundWaitingForSenderSignature",
     u"документ исходящий, документ не отправлен, поскольку не подписан отправителем"},
    {u"OutboundWithRecipientSignature", u"документ исходящий, ответная подпись получена"},
    {u"UnknownBilateralDocumentStatus", u"неизвестное состояние документа"},
    {u"UnknownDocumentStatus",
     u"неизвестный статус; может выдаваться лишь в случае, когда клиент использует устаревшую версию SDK и не может "
     u"интерпретировать статус документа, переданный сервером"},
    {u"UnknownInvoiceStatus", u"неизвестное состояние документа"},
    {u"UnknownNonformalizedDocumentStatus", u"неизвестное состояние документа"},
    {u"UnknownUnilateralDocumentStatus", u"неизвестное состояние документа"},
};

// The general status vocabulary: revocation states and the states callers translate directly.
constexpr NameAndText kGeneralStatusTexts[] = {
    {u"NotRead", u"документ не прочитан"},
    {u"NoRecipientSignatureRequest", u"документ без запроса ответной подписи"},
    {u"WaitingForRecipientSignature", u"документ в ожидании ответной подписи"},
    {u"WithRecipientSignature", u"документ с ответной подписью"},
    {u"WithSenderSignature", u"документ с подписью отправителя"},
    {u"RecipientSignatureRequestRejected", u"документ с отказом от формирования ответной подписи"},
    {u"WaitingForSenderSignature", u"документ, требующий подписания и отправки"},
    {u"InvalidSenderSignature",
     u"документ с невалидной подписью отправителя, требующий повторного подписания и отправки"},
    {u"InvalidRecipientSignature",
     u"документ с невалидной подписью получателя, требующий повторного подписания и отправки"},
    {u"Approved", u"согласованный документ"},
    {u"Disapproved", u"документ с отказом согласования"},
    {u"WaitingForResolution", u"документ, находящийся на согласовании или подписи"},
    {u"SignatureRequestRejected", u"документ с отказом в запросе подписи сотруднику"},
    {u"Finished", u"документ с завершенным документооборотом"},
    {u"HaveToCreateReceipt", u"требуется подписать извещение о получении"},
    {u"NotFinished", u"документ с незавершенным документооборотом"},
    {u"InvoiceAmendmentRequested",
     u"имеет смысл только для счетов-фактур; документ, по которому было запрошено уточнение"},
    {u"RevocationIsRequestedByMe", u"документ, по которому было запрошено аннулирование"},
    {u"RequestsMyRevocation", u"документ, по которому контрагент запросил аннулирование"},
    {u"RevocationAccepted", u"аннулированный документ"},
    {u"RevocationRejected", u"документ, запрос на аннулирование которого был отклонен"},
    {u"RevocationApproved", u"документ, запрос на аннулирование которого был согласован"},
    {u"RevocationDisapproved", u"документ с отказом согласования запроса на аннулирование"},
    {u"RevocationStatusNone", u"документ не аннулирован, и не было предложений об аннулировании"},
    {u"UnknownRevocationStatus", u"неизвестный статус аннулирования документа"},
    {u"WaitingForRevocationApprovement", u"документ, находящийся на согласовании запроса аннулирования"},
    {u"NotRevoked", u"неаннулированный документ"},
    {u"WaitingForProxySignature", u"документ в ожидании подписи промежуточного получателя"},
    {u"WithProxySignature", u"документ с подписью промежуточного получателя"},
    {u"InvalidProxySignature",
     u"документ с невалидной подписью промежуточного получателя, требующий повторного подписания и отправки"},
    {u"ProxySignatureRejected", u"документ с отказом от формирования подписи промежуточным получателем"},
    {u"WaitingForInvoiceReceipt", u"документ в ожидании получения извещения о получении счета-фактуры"},
    {u"WaitingForReceipt", u"документ в ожидании получения извещения о получении"},
    {u"RequestsMySignature", u"документ, по которому контрагент запросил подпись"},
    {u"RoamingNotificationError", u"документ, с ошибкой доставки в роуминге"},
};

constexpr NameAndText kSenderSignatureTexts[] = {
    {u"WaitingForSenderSignature", u"ожидается подпись отправителя"},
    {u"SenderSignatureUnchecked", u"подпись отправителя еще не проверена"},
    {u"SenderSignatureCheckedAndValid", u"подпись отправителя проверена и валидна"},
    {u"SenderSignatureCheckedAndInvalid", u"подпись отправителя проверена и невалидна"},
    {u"UnknownSenderSignatureStatus", u"неизвестный статус проверки подписи"},
};

constexpr NameAndText kRecipientResponseTexts[] = {
    {u"RecipientResponseStatusUnknown", u"неизвестный статус ответного действия"},
    {u"RecipientResponseStatusNotAcceptable", u"ответного действия не требуется"},
    {u"WaitingForRecipientSignature", u"ожидается ответное действие получателя"},
    {u"WithRecipientSignature", u"получатель подписал документ (ответный титул)"},
    {u"RecipientSignatureRequestRejected", u"получатель отказал в подписи"},
    {u"InvalidRecipientSignature", u"получатель подписал документ некорректной подписью"},
};

constexpr NameAndText kRoamingTexts[] = {
    {u"RoamingNotificationStatusNone", u"документ не доставлялся в роуминг"},
    {u"RoamingNotificationStatusSuccess", u"документ с подтверждением успешной доставки в роуминг"},
    {u"RoamingNotificationStatusError", u"документ с ошибкой доставки в роуминг"},
    {u"UnknownRoamingNotificationStatus", u"неизвестный роуминговый статус документа"},
};

// Document types fall into groups; a group knows only some of the document statuses, and a
// status it does not know keeps its name.
enum class Group
{
    Bilateral,
    Invoice,
    Nonformalized,
    Unilateral,
    UniversalTransfer,
    WithoutStatuses,
    General,
};

struct TypeAndGroup
{
    QStringView type;
    Group group;
};

constexpr TypeAndGroup kTypeGroups[] = {
    {u"Contract", Group::Bilateral},
    {u"NonformalizedAcceptanceCertificate", Group::Bilateral},
    {u"NonformalizedTorg12", Group::Bilateral},
    {u"XmlAcceptanceCertificate", Group::Bilateral},
    {u"XmlTorg12", Group::Bilateral},
    {u"Invoice", Group::Invoice},
    {u"InvoiceRevision", Group::Invoice},
    {u"InvoiceCorrection", Group::Invoice},
    {u"InvoiceCorrectionRevision", Group::Invoice},
    {u"Nonformalized", Group::Nonformalized},
    {u"NonformalizedProformaInvoice", Group::Unilateral},
    {u"NonformalizedProforma", Group::Unilateral},
    {u"Utd", Group::UniversalTransfer},
    {u"UniversalTransferDocument", Group::UniversalTransfer},
    {u"Ucd", Group::UniversalTransfer},
    {u"UcdRevision", Group::UniversalTransfer},
    {u"UtdRevision", Group::WithoutStatuses},
    {u"BaseDocument", Group::WithoutStatuses},
};

constexpr QStringView kBilateralStatuses[] = {
    u"UnknownBilateralDocumentStatus",
    u"OutboundWaitingForRecipientSignature",
    u"OutboundWithRecipientSignature",
    u"OutboundRecipientSignatureRequestRejected",
    u"OutboundWaitingForSenderSignature",
    u"OutboundInvalidSenderSignature",
    u"InboundWaitingForRecipientSignature",
    u"InboundWithRecipientSignature",
    u"InboundRecipientSignatureRequestRejected",
    u"InboundInvalidRecipientSignature",
    u"InternalWaitingForRecipientSignature",
    u"InternalWithRecipientSignature",
    u"InternalRecipientSignatureRequestRejected",
    u"InternalWaitingForSenderSignature",
    u"InternalInvalidSenderSignature",
    u"InternalInvalidRecipientSignature",
};

constexpr QStringView kInvoiceStatuses[] = {
    u"UnknownInvoiceStatus",
    u"OutboundWaitingForInvoiceReceipt",
    u"OutboundNotFinished",
    u"OutboundFinished",
    u"OutboundWaitingForSenderSignature",
    u"OutboundInvalidSenderSignature",
    u"InboundNotFinished",
    u"InboundFinished",
};

constexpr QStringView kNonformalizedStatuses[] = {
    u"UnknownNonformalizedDocumentStatus",
    u"OutboundWaitingForRecipientSignature",
    u"OutboundWithRecipientSignature",
    u"OutboundRecipientSignatureRequestRejected",
    u"OutboundWaitingForSenderSignature",
    u"OutboundInvalidSenderSignature",
    u"InboundWaitingForRecipientSignature",
    u"InboundWithRecipientSignature",
    u"InboundRecipientSignatureRequestRejected",
    u"InboundInvalidRecipientSignature",
    u"InternalWaitingForRecipientSignature",
    u"InternalWithRecipientSignature",
    u"InternalRecipientSignatureRequestRejected",
    u"InternalWaitingForSenderSignature",
    u"InternalInvalidSenderSignature",
    u"InternalInvalidRecipientSignature",
    u"OutboundNoRecipientSignatureRequest",
    u"InboundNoRecipientSignatureRequest",
    u"InternalNoRecipientSignatureRequest",
};

constexpr QStringView kUnilateralStatuses[] = {
    u"UnknownUnilateralDocumentStatus",
    u"Outbound",
    u"OutboundWaitingForSenderSignature",
    u"OutboundInvalidSenderSignature",
    u"Inbound",
    u"Internal",
    u"InternalWaitingForSenderSignature",
    u"InternalInvalidSenderSignature",
};

constexpr QStringView kUniversalTransferStatuses[] = {
    u"OutboundWaitingForSenderSignature",
    u"OutboundWaitingForInvoiceReceiptAndRecipientSignature",
    u"OutboundWaitingForInvoiceReceipt",
    u"OutboundWaitingForRecipientSignature",
    u"OutboundWithRecipientSignature",
    u"OutboundRecipientSignatureRequestRejected",
    u"OutboundInvalidSenderSignature",
    u"OutboundFinished",
    u"OutboundNotFinished",
    u"InboundWaitingForRecipientSignature",
    u"InboundWithRecipientSignature",
    u"InboundRecipientSignatureRequestRejected",
    u"InboundInvalidRecipientSignature",
    u"InboundNotFinished",
    u"InboundFinished",
    u"UnknownDocumentStatus",
};

// A group's own wording of a status; an empty type means every type of the group.
struct GroupText
{
    Group group;
    QStringView type;
    QStringView name;
    QStringView text;
};

constexpr GroupText kGroupTexts[] = {
    {Group::UniversalTransfer,
     {},
     u"InboundInvalidRecipientSignature",
     u"документ входящий, документооборот не завершен, поскольку подпись получателя не является корректной"},
    {Group::UniversalTransfer,
     {},
     u"OutboundNotFinished",
     u"документ исходящий, извещение о получении УПД/ИУПД/УКД/ИУКД от покупателя уже есть, но документооборот еще не "
     u"завершен"},
    {Group::UniversalTransfer,
     {},
     u"OutboundWaitingForInvoiceReceipt",
     u"документ исходящий, ожидается извещение о получении УПД/ИУПД/УКД/ИУКД от покупателя"},
    {Group::UniversalTransfer,
     {},
     u"OutboundWaitingForInvoiceReceiptAndRecipientSignature",
     u"документ исходящий, от покупателя ожидается извещение о получении УПД/ИУПД/УКД/ИУКД, ответная подпись, либо "
     u"отказ от ее формировагия"},
    {Group::Bilateral, u"XmlTorg12", u"InternalWaitingForRecipientSignature",
     u"документ внутренний, ответная подпись, либо отказ от ее формирования отсутствуют"},
    {Group::Bilateral, u"XmlTorg12", u"InternalInvalidRecipientSignature",
     u"документ внутренний, документооборот не завершен, поскольку подпись получателя не является корректной"},
};

// The leading words that the strip flag leaves out, in the order they are tried.
constexpr QStringView kDirectionWords[] = {
    u"документ исходящий",
    u"документ входящий",
    u"документ внутренний",
};

// The direction in front of a document status, left out before the response is judged.
constexpr QStringView kStatusDirections[] = {
    u"Inbound",
    u"Outbound",
    u"Internal",
};

const QStringView* findText(std::span<const NameAndText> table, QStringView name)
{
    for (const NameAndText& row : table) {
        if (row.name == name)
            return &row.text;
    }
    return nullptr;
}

QString lookUp(std::span<const NameAndText> table, const QString& name)
{
    const QStringView* text = findText(table, name);
    return text ? text->toString() : name;
}

Group groupOf(QStringView type)
{
    for (const TypeAndGroup& row : kTypeGroups) {
        if (row.type == type)
            return row.group;
    }
    return Group::General;
}

bool groupKnows(Group group, QStringView name)
{
    std::span<const QStringView> known;
    switch (group) {
    case Group::Bilateral:
        known = kBilateralStatuses;
        break;
    case Group::Invoice:
        known = kInvoiceStatuses;
        break;
    case Group::Nonformalized:
        known = kNonformalizedStatuses;
        break;
    case Group::Unilateral:
        known = kUnilateralStatuses;
        break;
    case Group::UniversalTransfer:
        known = kUniversalTransferStatuses;
        break;
    case Group::WithoutStatuses:
        return false;
    case Group::General:
        return findText(kDocumentStatusTexts, name) != nullptr;
    }
    for (const QStringView status : known) {
        if (status == name)
            return true;
    }
    return false;
}

QString documentStatusText(QStringView type, const QString& name)
{
    const Group group = groupOf(type);
    if (!groupKnows(group, name))
        return name;
    for (const GroupText& row : kGroupTexts) {
        if (row.group == group && row.name == name && (row.type.isEmpty() || row.type == type))
            return row.text.toString();
    }
    return lookUp(kDocumentStatusTexts, name);
}

} // namespace

QString mDiadocStatusTexts::StatusRus(const QString& typeName, const QString& statusName, bool strip)
{
    try {
        QString result = documentStatusText(typeName, statusName);
        if (!strip)
            return result;
        for (const QStringView words : kDirectionWords) {
            if (result.startsWith(words)) {
                result.remove(0, words.size());
                break;
            }
        }
        if (result.startsWith(u", "))
            result.remove(0, 2);
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"StatusRus");
    }
}

QString mDiadocStatusTexts::TranslateStatus(const QString& statusName)
{
    try {
        return lookUp(kGeneralStatusTexts, statusName);
    } catch (...) {
        core::PropagateError(kModule, u"TranslateStatus");
    }
}

QString mDiadocStatusTexts::RevocationStatusRus(const QString& statusName)
{
    try {
        if (statusName == u"UnknownRevocationStatus" || statusName == u"RevocationStatusNone")
            return {};
        return TranslateStatus(statusName);
    } catch (...) {
        core::PropagateError(kModule, u"RevocationStatusRus");
    }
}

QString mDiadocStatusTexts::SenderSignatureStatusRus(const QString& statusName)
{
    try {
        if (statusName == u"UnknownSenderSignatureStatus")
            return {};
        return TranslateSenderSignatureStatus(statusName);
    } catch (...) {
        core::PropagateError(kModule, u"SenderSignatureStatusRus");
    }
}

QString mDiadocStatusTexts::TranslateSenderSignatureStatus(const QString& statusName)
{
    try {
        return lookUp(kSenderSignatureTexts, statusName);
    } catch (...) {
        core::PropagateError(kModule, u"TranslateSenderSignatureStatus");
    }
}

QString mDiadocStatusTexts::RecipientResponseStatusRus(const QString& responseStatus, const QString& documentStatus)
{
    try {
        QStringView stripped = documentStatus;
        for (const QStringView direction : kStatusDirections) {
            if (stripped.startsWith(direction)) {
                stripped = stripped.mid(direction.size());
                break;
            }
        }
        if (responseStatus == u"RecipientResponseStatusUnknown")
            return {};
        // A document that was never sent has no response to speak of.
        if (stripped == u"InvalidSenderSignature" || stripped == u"WaitingForSenderSignature")
            return {};
        // The document status already says the recipient signed.
        if (stripped == u"WithRecipientSignature" && responseStatus == u"WithRecipientSignature")
            return {};
        return TranslateRecipientResponseStatus(responseStatus);
    } catch (...) {
        core::PropagateError(kModule, u"RecipientResponseStatusRus");
    }
}

QString mDiadocStatusTexts::TranslateRecipientResponseStatus(const QString& statusName)
{
    try {
        return lookUp(kRecipientResponseTexts, statusName);
    } catch (...) {
        core::PropagateError(kModule, u"TranslateRecipientResponseStatus");
    }
}

QString mDiadocStatusTexts::RoamingNotificationStatusRus(const QString& statusName, bool all)
{
    try {
        if (!all
            && (statusName == u"RoamingNotificationStatusSuccess" || statusName == u"UnknownRoamingNotificationStatus"
                || statusName == u"RoamingNotificationStatusNone"))
            return {};
        return TranslateRoamingNotificationStatus(statusName);
    } catch (...) {
        core::PropagateError(kModule, u"RoamingNotificationStatusRus");
    }
}

QString mDiadocStatusTexts::TranslateRoamingNotificationStatus(const QString& statusName)
{
    try {
        return lookUp(kRoamingTexts, statusName);
    } catch (...) {
        core::PropagateError(kModule, u"TranslateRoamingNotificationStatus");
    }
}

} // namespace diadoc
