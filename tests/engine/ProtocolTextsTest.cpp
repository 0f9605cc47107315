#include <QDir>

#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadocDocuments.h"
#include "engine/HtmlProtocol.h"
#include "engine/ProtocolTexts.h"
#include "platform/diadoc/Variant.h"

using namespace Qt::StringLiterals;
using engine::HtmlProtocol;
using engine::ProtocolTexts;

namespace protocoltest {

namespace {

using ProtocolTextsTest = ProtocolFixture;

TEST_F(ProtocolTextsTest, TheProtocolIsNamedAfterTheTimeItsStageBegan)
{
    const QDateTime time(QDate(2024, 9, 6), QTime(7, 5, 3));
    EXPECT_EQ(ProtocolTexts::protocolBaseName(time),
              u"Протокол выгрузки документов из Диадок от 2024.09.06 07.05.03"_s);
    EXPECT_EQ(ProtocolTexts::protocolBaseName(time) + ProtocolTexts::kHtmlExtension,
              u"Протокол выгрузки документов из Диадок от 2024.09.06 07.05.03.htm"_s);
    EXPECT_EQ(QString::fromUtf16(ProtocolTexts::kCsvExtension), u".csv"_s);
}

TEST_F(ProtocolTextsTest, StatusesJoinOnlyNonEmptyTexts)
{
    diadoc::AsyncDocRecord doc;
    EXPECT_EQ(ProtocolTexts::statusesText(doc, u";"), QString()) << "no texts at all";

    doc.RevocationStatus = u"RevocationAccepted"_s;
    doc.SenderSignatureStatus = u"SenderSignatureCheckedAndValid"_s;
    EXPECT_EQ(ProtocolTexts::statusesText(doc, u";\r\n"),
              u"аннулированный документ;\r\nподпись отправителя проверена и валидна"_s);

    doc.RoamingNotificationStatus = u"RoamingNotificationStatusError"_s;
    doc.RoamingNotificationStatusDescription = u"нет ответа"_s;
    EXPECT_EQ(
        ProtocolTexts::statusesText(doc, u";"),
        u"документ с ошибкой доставки в роуминг;аннулированный документ;подпись отправителя проверена и валидна"_s);
    EXPECT_TRUE(ProtocolTexts::statusesText(doc, u";", true)
                    .startsWith(u"документ с ошибкой доставки в роуминг (нет ответа);аннулированный"_s));

    doc.RoamingNotificationStatus = u"RoamingNotificationStatusSuccess"_s;
    EXPECT_TRUE(ProtocolTexts::statusesText(doc, u";", true).startsWith(u"аннулированный"_s))
        << "an ordinary roaming state gives no text, and its description adds nothing";
}

TEST_F(ProtocolTextsTest, OrganisationTextsOfTheProtocols)
{
    diadoc::AsyncDocRecord doc;
    vector->Name = u"  АО Вектор  "_s;
    EXPECT_EQ(ProtocolTexts::organisationText(*vector, doc), u"  АО Вектор  "_s) << "the name itself";
    EXPECT_EQ(ProtocolTexts::organisationText(*romashka, doc), u"ООО «Ромашка», Головное подразделение"_s);
    EXPECT_EQ(ProtocolTexts::organisationTextHtml(*romashka, doc), u"ООО «Ромашка» "_s);
    doc.DepartmentName = u"Филиал"_s;
    EXPECT_EQ(ProtocolTexts::organisationText(*vector, doc), u"АО Вектор, Филиал"_s);
    EXPECT_EQ(ProtocolTexts::organisationTextHtml(*vector, doc), u"  АО Вектор, Филиал"_s)
        << "only trailing blanks go in the page";
}

TEST_F(ProtocolTextsTest, RelativeFolderIsCutOnlyWhereTheFolderReallyLiesBelow)
{
    const QString inside = folder(u"А/Б"_s);
    const QString sibling = dir.path() + u"-sibling/"_s;
    QDir().mkpath(sibling);
    const QString unterminatedBase = dir.path();
    struct Case
    {
        QString folder;
        QString base;
        QString expected;
    };
    const Case cases[] = {
        {inside, base, u"А/Б/"_s},
        {base, base, QString()},
        {inside, unterminatedBase, u"/А/Б/"_s},
        {sibling, unterminatedBase, sibling}, // a common prefix is not enough
        {sibling, base, sibling},
        {base + u"нет/"_s, base, QString()},
        {QString(), base, QString()},
    };
    // The protocols of a run share their lookups: the texts are the same, asked twice or not.
    engine::ProtocolFolders folders;
    for (int pass = 0; pass < 2; ++pass) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.folder.toStdString() + " below " + c.base.toStdString());
            EXPECT_EQ(ProtocolTexts::relativeFolder(c.folder, c.base), c.expected);
            EXPECT_EQ(ProtocolTexts::relativeFolder(c.folder, c.base, &folders), c.expected);
        }
    }
    QDir().rmdir(sibling);
}

TEST_F(ProtocolTextsTest, DateReceivedIsTheDayOrNothing)
{
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"06.09.2024 10:32:23"_s), u"06.09.2024"_s);
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"06.09.2024"_s), u"06.09.2024"_s);
    EXPECT_EQ(ProtocolTexts::dateReceivedText(QString()), QString());
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"30.11.1999 00:00:00"_s), QString()) << "the empty-date marker";
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"вчера"_s), QString());
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"30.11.1999"_s), u"30.11.1999"_s) << "only the marker's full text";
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"31.02.2024 10:00:00"_s), QString()) << "no such day";
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"06.09.2024 25:00:00"_s), QString()) << "no such hour";
    EXPECT_EQ(ProtocolTexts::dateReceivedText(u"2024-09-06T10:32:23"_s), u"06.09.2024"_s) << "other date forms";
}

TEST_F(ProtocolTextsTest, AnEmptyDateIsWhatTheDocumentsModuleCallsEmpty)
{
    const QString texts[] = {u"06.09.2024 10:32:23"_s, u"06.09.2024"_s,          QString(),
                             u"30.11.1999 00:00:00"_s, u"30.11.1999"_s,          u"вчера"_s,
                             u"31.02.2024 10:00:00"_s, u"06.09.2024 25:00:00"_s, u"2024-09-06T10:32:23"_s,
                             u" 06.09.2024 "_s,        u"01.01.0050"_s,          u"30.11.1999 00:00:00 "_s};
    for (const QString& text : texts) {
        EXPECT_EQ(ProtocolTexts::isDateEmpty(text),
                  diadoc::mDiadocDocuments::IsDateEmpty(platform::diadoc::Variant(text)))
            << text.toStdString();
    }
    EXPECT_TRUE(ProtocolTexts::isDateEmpty(u"30.11.1999 00:00:00"_s)) << "the empty-date marker";
    EXPECT_FALSE(ProtocolTexts::isDateEmpty(u"06.09.2024"_s));
}

TEST_F(ProtocolTextsTest, PersonOfAMissingKeyIsAnError)
{
    diadoc::AsyncDocRecord doc;
    doc.KeyОрганизацииВКоллекции = u"org_ROMASHKA"_s;
    EXPECT_EQ(ProtocolTexts::personOf(persons, doc), romashka) << "keys compare without regard to case";
    doc.KeyОрганизацииВКоллекции = u"ORG_none"_s;
    EXPECT_THROW(ProtocolTexts::personOf(persons, doc), core::Error);
}

TEST_F(ProtocolTextsTest, FolderLinksAreFileUrlsWithoutQuotes)
{
    EXPECT_EQ(HtmlProtocol::folderLink(u"/data/Д 'x' #1/"_s), u"file:///data/%D0%94%20'x'%20%231/"_s);
    EXPECT_EQ(HtmlProtocol::escaped(HtmlProtocol::folderLink(u"/data/'x'/"_s)), u"file:///data/&#39;x&#39;/"_s);
    EXPECT_EQ(HtmlProtocol::folderLink(QString()), u"file://"_s);
    EXPECT_EQ(HtmlProtocol::escaped(u"<a href=\"x\">&amp;</a>"_s),
              u"&lt;a href=&quot;x&quot;&gt;&amp;amp;&lt;/a&gt;"_s);
}

} // namespace

} // namespace protocoltest
