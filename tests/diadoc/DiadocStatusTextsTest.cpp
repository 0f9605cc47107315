#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

#include "diadoc/mDiadocStatusTexts.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadocStatusTexts;

namespace {

// Every document status name the service reports.
const QStringList kDocumentStatuses = {
    u"Inbound"_s,
    u"InboundFinished"_s,
    u"InboundInvalidRecipientSignature"_s,
    u"InboundNoRecipientSignatureRequest"_s,
    u"InboundNotFinished"_s,
    u"InboundRecipientSignatureRequestRejected"_s,
    u"InboundWaitingForRecipientSignature"_s,
    u"InboundWithRecipientSignature"_s,
    u"Internal"_s,
    u"InternalInvalidRecipientSignature"_s,
    u"InternalInvalidSenderSignature"_s,
    u"InternalNoRecipientSignatureRequest"_s,
    u"InternalRecipientSignatureRequestRejected"_s,
    u"InternalWaitingForRecipientSignature"_s,
    u"InternalWaitingForSenderSignature"_s,
    u"InternalWithRecipientSignature"_s,
    u"Outbound"_s,
    u"OutboundFinished"_s,
    u"OutboundInvalidSenderSignature"_s,
    u"OutboundNoRecipientSignatureRequest"_s,
    u"OutboundNotFinished"_s,
    u"OutboundRecipientSignatureRequestRejected"_s,
    u"OutboundWaitingForInvoiceReceipt"_s,
    u"OutboundWaitingForInvoiceReceiptAndRecipientSignature"_s,
    u"OutboundWaitingForRecipientSignature"_s,
    u"OutboundWaitingForSenderSignature"_s,
    u"OutboundWithRecipientSignature"_s,
    u"UnknownBilateralDocumentStatus"_s,
    u"UnknownDocumentStatus"_s,
    u"UnknownInvoiceStatus"_s,
    u"UnknownNonformalizedDocumentStatus"_s,
    u"UnknownUnilateralDocumentStatus"_s,
};

int knownStatusCount(const QString& type)
{
    int known = 0;
    for (const QString& status : kDocumentStatuses) {
        if (mDiadocStatusTexts::StatusRus(type, status, false) != status)
            ++known;
    }
    return known;
}

struct StatusCase
{
    QString type;
    QString status;
    bool strip;
    QString expected;
};

void expectStatusTexts(std::initializer_list<StatusCase> cases)
{
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(QString(c.type + u" / "_s + c.status + (c.strip ? u" / strip"_s : u""_s)).toStdString());
        EXPECT_EQ(mDiadocStatusTexts::StatusRus(c.type, c.status, c.strip), c.expected);
    }
}

} // namespace

TEST(DiadocStatusTextsTest, EachDocumentTypeGroupKnowsItsOwnStatuses)
{
    const struct
    {
        QStringList types;
        int known;
    } groups[] = {
        {{u"Contract"_s, u"NonformalizedAcceptanceCertificate"_s, u"NonformalizedTorg12"_s,
          u"XmlAcceptanceCertificate"_s, u"XmlTorg12"_s},
         16},
        {{u"Invoice"_s, u"InvoiceRevision"_s, u"InvoiceCorrection"_s, u"InvoiceCorrectionRevision"_s}, 8},
        {{u"Nonformalized"_s}, 19},
        {{u"NonformalizedProformaInvoice"_s, u"NonformalizedProforma"_s}, 8},
        {{u"Utd"_s, u"UniversalTransferDocument"_s, u"Ucd"_s, u"UcdRevision"_s}, 16},
        {{u"UtdRevision"_s, u"BaseDocument"_s}, 0},
        // Type names compare exactly: a near miss falls into the general group.
        {{QString(), u"TrustConnectionRequest"_s, u"contract"_s, u"Invoice "_s, u"UTD"_s, u"utdRevision"_s}, 32},
    };
    for (const auto& group : groups) {
        for (const QString& type : group.types) {
            SCOPED_TRACE(type.toStdString());
            EXPECT_EQ(knownStatusCount(type), group.known);
        }
    }
}

TEST(DiadocStatusTextsTest, StatusRusGivesTheGroupTextOrTheStatusName)
{
    expectStatusTexts({
        {u"Contract"_s, u"OutboundWithRecipientSignature"_s, false, u"документ исходящий, ответная подпись получена"_s},
        {u"NonformalizedProforma"_s, u"Outbound"_s, false, u"документ исходящий"_s},
        {u"Invoice"_s, u"InboundWithRecipientSignature"_s, false, u"InboundWithRecipientSignature"_s},
        {u"Invoice"_s, u"InboundWithRecipientSignature"_s, true, u"InboundWithRecipientSignature"_s},
        {u"UtdRevision"_s, u"OutboundFinished"_s, false, u"OutboundFinished"_s},
        {u"BaseDocument"_s, u"Inbound"_s, true, u"Inbound"_s},
        {u"Contract"_s, u"UnknownDocumentStatus"_s, false, u"UnknownDocumentStatus"_s},
        {u"contract"_s, u"UnknownDocumentStatus"_s, false,
         u"неизвестный статус; может выдаваться лишь в случае, когда клиент использует устаревшую версию SDK и не "
         u"может интерпретировать статус документа, переданный сервером"_s},
        {u"TrustConnectionRequest"_s, u"InternalWaitingForRecipientSignature"_s, false,
         u"документ внутренний, ответная подпись"_s},
        {u"Nonformalized"_s, u"InboundNoRecipientSignatureRequest"_s, false,
         u"документ входящий, без запроса ответной подписи"_s},
        {u"Contract"_s, u"InboundNoRecipientSignatureRequest"_s, false, u"InboundNoRecipientSignatureRequest"_s},
        {u"Invoice"_s, u"UnknownInvoiceStatus"_s, false, u"неизвестное состояние документа"_s},
        // Status names compare exactly too; an unknown or empty name comes back as it is.
        {u"Contract"_s, u"outboundWithRecipientSignature"_s, false, u"outboundWithRecipientSignature"_s},
        {QString(), u"OutboundFinished "_s, false, u"OutboundFinished "_s},
        {QString(), u"BrandNewStatus"_s, true, u"BrandNewStatus"_s},
        {u"Contract"_s, QString(), true, QString()},
    });
}

TEST(DiadocStatusTextsTest, GroupTextsReplaceTheGeneralOnesWithinTheirGroupOnly)
{
    const QString utdNotFinished = u"документ исходящий, извещение о получении УПД/ИУПД/УКД/ИУКД от покупателя уже "
                                   u"есть, но документооборот еще не завершен"_s;
    for (const QString& type : {u"Utd"_s, u"UniversalTransferDocument"_s, u"Ucd"_s, u"UcdRevision"_s}) {
        SCOPED_TRACE(type.toStdString());
        expectStatusTexts({
            {type, u"OutboundNotFinished"_s, false, utdNotFinished},
            {type, u"InboundInvalidRecipientSignature"_s, false,
             u"документ входящий, документооборот не завершен, поскольку подпись получателя не является корректной"_s},
            {type, u"OutboundWaitingForInvoiceReceipt"_s, false,
             u"документ исходящий, ожидается извещение о получении УПД/ИУПД/УКД/ИУКД от покупателя"_s},
            {type, u"OutboundWaitingForInvoiceReceiptAndRecipientSignature"_s, false,
             u"документ исходящий, от покупателя ожидается извещение о получении УПД/ИУПД/УКД/ИУКД, ответная подпись, "
             u"либо отказ от ее формировагия"_s},
            {type, u"OutboundFinished"_s, false, u"документ исходящий, документооборот завершен"_s},
        });
    }
    expectStatusTexts({
        {u"Invoice"_s, u"OutboundNotFinished"_s, false,
         u"документ исходящий, извещение о получении от покупателя уже есть, но документооборот еще не завершен"_s},
        {u"Nonformalized"_s, u"InboundInvalidRecipientSignature"_s, false,
         u"документ входящий, документооборот не завершен, поскольку подпись отправителя не является корректной"_s},
        {u"XmlTorg12"_s, u"InternalWaitingForRecipientSignature"_s, false,
         u"документ внутренний, ответная подпись, либо отказ от ее формирования отсутствуют"_s},
        {u"XmlTorg12"_s, u"InternalInvalidRecipientSignature"_s, false,
         u"документ внутренний, документооборот не завершен, поскольку подпись получателя не является корректной"_s},
        {u"Contract"_s, u"InternalWaitingForRecipientSignature"_s, false, u"документ внутренний, ответная подпись"_s},
        {u"XmlAcceptanceCertificate"_s, u"InternalInvalidRecipientSignature"_s, false,
         u"документ внутренний, документооборот не завершен, поскольку подпись отправителя не является корректной"_s},
    });
}

TEST(DiadocStatusTextsTest, StripLeavesOutTheDirectionWordsAndTheCommaAfterThem)
{
    expectStatusTexts({
        {u"Contract"_s, u"OutboundWithRecipientSignature"_s, true, u"ответная подпись получена"_s},
        {u"Contract"_s, u"InboundWithRecipientSignature"_s, true, u"ответная подпись поставлена"_s},
        {u"Contract"_s, u"InternalWithRecipientSignature"_s, true, u"ответная подпись поставлена"_s},
        {u"NonformalizedProforma"_s, u"Outbound"_s, true, QString()},
        {u"NonformalizedProforma"_s, u"Inbound"_s, true, QString()},
        {u"NonformalizedProforma"_s, u"Internal"_s, true, QString()},
        {u"Utd"_s, u"OutboundNotFinished"_s, true,
         u"извещение о получении УПД/ИУПД/УКД/ИУКД от покупателя уже есть, но документооборот еще не завершен"_s},
        // Only the first direction words go, so a second "документ" stays.
        {u"Nonformalized"_s, u"InternalNoRecipientSignatureRequest"_s, true,
         u"документ без запроса ответной подписи"_s},
        {u"Contract"_s, u"UnknownBilateralDocumentStatus"_s, true, u"неизвестное состояние документа"_s},
        // The strip works on whatever text results, even a name that no table knows.
        {QString(), u"документ исходящий, , x"_s, true, u", x"_s},
        {QString(), u"документ исходящийx"_s, true, u"x"_s},
        {QString(), u"Документ исходящий, x"_s, true, u"Документ исходящий, x"_s},
        {QString(), u", x"_s, true, u"x"_s},
        {QString(), u", x"_s, false, u", x"_s},
    });
}

TEST(DiadocStatusTextsTest, TranslateStatusKnowsTheGeneralTableAndNothingElse)
{
    const QStringList names = {
        u"NotRead"_s,
        u"NoRecipientSignatureRequest"_s,
        u"WaitingForRecipientSignature"_s,
        u"WithRecipientSignature"_s,
        u"WithSenderSignature"_s,
        u"RecipientSignatureRequestRejected"_s,
        u"WaitingForSenderSignature"_s,
        u"InvalidSenderSignature"_s,
        u"InvalidRecipientSignature"_s,
        u"Approved"_s,
        u"Disapproved"_s,
        u"WaitingForResolution"_s,
        u"SignatureRequestRejected"_s,
        u"Finished"_s,
        u"HaveToCreateReceipt"_s,
        u"NotFinished"_s,
        u"InvoiceAmendmentRequested"_s,
        u"RevocationIsRequestedByMe"_s,
        u"RequestsMyRevocation"_s,
        u"RevocationAccepted"_s,
        u"RevocationRejected"_s,
        u"RevocationApproved"_s,
        u"RevocationDisapproved"_s,
        u"RevocationStatusNone"_s,
        u"UnknownRevocationStatus"_s,
        u"WaitingForRevocationApprovement"_s,
        u"NotRevoked"_s,
        u"WaitingForProxySignature"_s,
        u"WithProxySignature"_s,
        u"InvalidProxySignature"_s,
        u"ProxySignatureRejected"_s,
        u"WaitingForInvoiceReceipt"_s,
        u"WaitingForReceipt"_s,
        u"RequestsMySignature"_s,
        u"RoamingNotificationError"_s,
    };
    QSet<QString> texts;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString text = mDiadocStatusTexts::TranslateStatus(name);
        EXPECT_NE(text, name);
        EXPECT_FALSE(text.isEmpty());
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), names.size()) << "each status has a text of its own";

    EXPECT_EQ(mDiadocStatusTexts::TranslateStatus(u"RevocationIsRequestedByMe"_s),
              u"документ, по которому было запрошено аннулирование"_s);
    EXPECT_EQ(mDiadocStatusTexts::TranslateStatus(u"RoamingNotificationError"_s),
              u"документ, с ошибкой доставки в роуминге"_s);
    EXPECT_EQ(mDiadocStatusTexts::TranslateStatus(u"InvoiceAmendmentRequested"_s),
              u"имеет смысл только для счетов-фактур; документ, по которому было запрошено уточнение"_s);
    for (const QString& stranger : {u"notRead"_s, u"NotRead "_s, u"InboundFinished"_s, u"Неизвестно"_s, QString()})
        EXPECT_EQ(mDiadocStatusTexts::TranslateStatus(stranger), stranger);
}

TEST(DiadocStatusTextsTest, WrappersLeaveOutWhatAReaderNeedNotSee)
{
    const struct
    {
        const char* what;
        QString actual;
        QString expected;
    } cases[] = {
        {"revocation none", mDiadocStatusTexts::RevocationStatusRus(u"RevocationStatusNone"_s), QString()},
        {"revocation unknown", mDiadocStatusTexts::RevocationStatusRus(u"UnknownRevocationStatus"_s), QString()},
        {"revocation none, untouched table", mDiadocStatusTexts::TranslateStatus(u"RevocationStatusNone"_s),
         u"документ не аннулирован, и не было предложений об аннулировании"_s},
        {"revocation accepted", mDiadocStatusTexts::RevocationStatusRus(u"RevocationAccepted"_s),
         u"аннулированный документ"_s},
        {"revocation in another case", mDiadocStatusTexts::RevocationStatusRus(u"revocationStatusNone"_s),
         u"revocationStatusNone"_s},
        {"sender unknown", mDiadocStatusTexts::SenderSignatureStatusRus(u"UnknownSenderSignatureStatus"_s), QString()},
        {"sender unknown, untouched table",
         mDiadocStatusTexts::TranslateSenderSignatureStatus(u"UnknownSenderSignatureStatus"_s),
         u"неизвестный статус проверки подписи"_s},
        {"sender valid", mDiadocStatusTexts::SenderSignatureStatusRus(u"SenderSignatureCheckedAndValid"_s),
         u"подпись отправителя проверена и валидна"_s},
        {"sender waiting", mDiadocStatusTexts::SenderSignatureStatusRus(u"WaitingForSenderSignature"_s),
         u"ожидается подпись отправителя"_s},
        {"sender stranger", mDiadocStatusTexts::SenderSignatureStatusRus(u"NotRead"_s), u"NotRead"_s},
        {"roaming error, all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"RoamingNotificationStatusError"_s, true),
         u"документ с ошибкой доставки в роуминг"_s},
        {"roaming error, not all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"RoamingNotificationStatusError"_s, false),
         u"документ с ошибкой доставки в роуминг"_s},
        {"roaming none, not all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"RoamingNotificationStatusNone"_s, false), QString()},
        {"roaming none, all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"RoamingNotificationStatusNone"_s, true),
         u"документ не доставлялся в роуминг"_s},
        {"roaming success, not all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"RoamingNotificationStatusSuccess"_s, false), QString()},
        {"roaming success, all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"RoamingNotificationStatusSuccess"_s, true),
         u"документ с подтверждением успешной доставки в роуминг"_s},
        {"roaming unknown, not all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"UnknownRoamingNotificationStatus"_s, false), QString()},
        {"roaming unknown, all",
         mDiadocStatusTexts::RoamingNotificationStatusRus(u"UnknownRoamingNotificationStatus"_s, true),
         u"неизвестный роуминговый статус документа"_s},
        {"roaming stranger, not all", mDiadocStatusTexts::RoamingNotificationStatusRus(u"RoamingLost"_s, false),
         u"RoamingLost"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(DiadocStatusTextsTest, RecipientResponseIsJudgedAgainstTheDocumentStatusWithoutItsDirection)
{
    const QString signedText = u"получатель подписал документ (ответный титул)"_s;
    const struct
    {
        QString response;
        QString documentStatus;
        QString expected;
    } cases[] = {
        {u"WithRecipientSignature"_s, u"InboundWithRecipientSignature"_s, QString()},
        {u"WithRecipientSignature"_s, u"OutboundWithRecipientSignature"_s, QString()},
        {u"WithRecipientSignature"_s, u"InternalWithRecipientSignature"_s, QString()},
        {u"WithRecipientSignature"_s, u"WithRecipientSignature"_s, QString()},
        {u"WithRecipientSignature"_s, u"InboundNotFinished"_s, signedText},
        // The direction is removed once and only with its exact letter case.
        {u"WithRecipientSignature"_s, u"inboundWithRecipientSignature"_s, signedText},
        {u"WithRecipientSignature"_s, u"InboundInboundWithRecipientSignature"_s, signedText},
        {u"WithRecipientSignature"_s, u"OutboundsWithRecipientSignature"_s, signedText},
        // A document that was never sent has no response to show, whatever the response says.
        {u"RecipientSignatureRequestRejected"_s, u"OutboundWaitingForSenderSignature"_s, QString()},
        {u"RecipientSignatureRequestRejected"_s, u"InternalInvalidSenderSignature"_s, QString()},
        {u"WaitingForRecipientSignature"_s, u"OutboundInvalidSenderSignature"_s, QString()},
        {u"WaitingForRecipientSignature"_s, u"InternalWaitingForSenderSignature"_s, QString()},
        {u"RecipientResponseStatusUnknown"_s, u"InboundNotFinished"_s, QString()},
        {u"RecipientResponseStatusNotAcceptable"_s, u"OutboundFinished"_s, u"ответного действия не требуется"_s},
        {u"InvalidRecipientSignature"_s, u"InboundInvalidRecipientSignature"_s,
         u"получатель подписал документ некорректной подписью"_s},
        {u"WaitingForRecipientSignature"_s, u"Outbound"_s, u"ожидается ответное действие получателя"_s},
        {u"WaitingForRecipientSignature"_s, QString(), u"ожидается ответное действие получателя"_s},
        {u"SomethingNew"_s, u"InboundNotFinished"_s, u"SomethingNew"_s},
        {QString(), u"InboundNotFinished"_s, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString(c.response + u" / "_s + c.documentStatus).toStdString());
        EXPECT_EQ(mDiadocStatusTexts::RecipientResponseStatusRus(c.response, c.documentStatus), c.expected);
    }
    EXPECT_EQ(mDiadocStatusTexts::TranslateRecipientResponseStatus(u"RecipientResponseStatusUnknown"_s),
              u"неизвестный статус ответного действия"_s);
}

TEST(DiadocStatusTextsTest, EveryTranslationReturnsAStrangeNameUnchanged)
{
    for (const QString& name : {u"FutureStatus"_s, u"Неизвестный"_s, u" "_s, QString()}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(mDiadocStatusTexts::StatusRus(QString(), name, false), name);
        EXPECT_EQ(mDiadocStatusTexts::StatusRus(u"Utd"_s, name, true), name);
        EXPECT_EQ(mDiadocStatusTexts::TranslateStatus(name), name);
        EXPECT_EQ(mDiadocStatusTexts::RevocationStatusRus(name), name);
        EXPECT_EQ(mDiadocStatusTexts::SenderSignatureStatusRus(name), name);
        EXPECT_EQ(mDiadocStatusTexts::TranslateSenderSignatureStatus(name), name);
        EXPECT_EQ(mDiadocStatusTexts::RecipientResponseStatusRus(name, u"InboundNotFinished"_s), name);
        EXPECT_EQ(mDiadocStatusTexts::TranslateRecipientResponseStatus(name), name);
        EXPECT_EQ(mDiadocStatusTexts::RoamingNotificationStatusRus(name, false), name);
        EXPECT_EQ(mDiadocStatusTexts::RoamingNotificationStatusRus(name, true), name);
        EXPECT_EQ(mDiadocStatusTexts::TranslateRoamingNotificationStatus(name), name);
    }
}
