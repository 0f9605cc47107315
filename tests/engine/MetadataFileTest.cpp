#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "FakeDiadoc.h"
#include "base/TextCodec.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadocStatusTexts.h"
#include "engine/MetadataFile.h"
#include "platform/diadoc/SandboxList.h"
#include "platform/diadoc/SandboxValues.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;
using namespace platform::diadoc;
using engine::MetadataFile;

namespace {

const QString kDocumentId = u"5d5b47c7-53dd-489f-8c60-7af1b457dfe4f253e3c6-b645-40f1-825e-ff6d01ddeca4"_s;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::shared_ptr<SandboxAttachedPowerOfAttorney>
power(QString number, QString issuer, std::optional<PartyData> confidant, std::optional<StatusData> status)
{
    return std::make_shared<SandboxAttachedPowerOfAttorney>(
        PowerOfAttorneyData{std::move(number), std::move(issuer), std::move(confidant), std::move(status)});
}

class MetadataFileTest : public testing::Test
{
protected:
    MetadataFileTest()
    {
        auto organization = std::make_shared<fakediadoc::FakeOrganization>();
        organization->types = {{u"XmlAcceptanceCertificate"_s, u"Акт о выполнении работ"_s}};
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->DiadocOrganization = organization;
        person->Name = organization->name;
        persons.Add(person, u"org1"_s);

        doc.documentId = kDocumentId;
        doc.type = u"XmlAcceptanceCertificate"_s;
        doc.typeNamedId = u"XmlAcceptanceCertificate"_s;
        doc.title = u"Акт A & B <C>"_s;
        doc.status = u"OutboundWithRecipientSignature"_s;
        doc.direction = u"Outbound"_s;
        doc.fileName = u"Акт.xml"_s;
        doc.pathUrl = u"/box/Document/Show?documentId=1"_s;
        doc.documentNumber = u" 1007 "_s;
        doc.documentDate = Variant(u"2024-06-17"_s);
        doc.timestamp = Variant(QDateTime(QDate(2024, 6, 20), QTime(10, 6, 42)));
        doc.docflow->primary->severity = u"Success"_s;
        doc.docflow->primary->text = u"Документооборот завершен"_s;
        doc.counteragent = Variant(std::static_pointer_cast<Object>(
            std::make_shared<fakediadoc::FakeParty>(u"6658012345"_s, u"665801001"_s, u"ООО \"Склад\""_s)));
    }

    QString folder() const { return dir.path(); }

    testsupport::ScriptedUiServices ui;
    engine::PersonsCollection persons;
    fakediadoc::FakeDocument doc;
    QTemporaryDir dir;
    MetadataFile writer{persons, u"Версия 1.0.0 (+DiadocAPI v. 1.2.3)"_s, nullptr,
                        [] { return QDateTime(QDate(2026, 12, 9), QTime(14, 5, 7)); }};
};

} // namespace

TEST_F(MetadataFileTest, WritesTheMetadataFileByteForByte)
{
    doc.powers = SandboxList::of(QList<std::shared_ptr<SandboxAttachedPowerOfAttorney>>{
        power(QString(), u"7701234567"_s, std::nullopt, std::nullopt),
        power(u"1b2c3d4e-0001"_s, u"7701234567"_s, PartyData{u"770112345678"_s, {}, u"Иванов И. И."_s},
              StatusData{u"Success"_s, u"IsValid"_s, u"Действительна"_s})});
    doc.metadata = SandboxList::of(QList<std::shared_ptr<SandboxMetadataItem>>{
        std::make_shared<SandboxMetadataItem>(MetadataData{u"ФормаДокумента"_s, u"\"УПД\"\r\nСЧФДОП"_s})});

    ASSERT_EQ(writer.SaveN7L(folder(), doc, u"ORG1"_s), QString());

    const QString expected =
        u"<?xml version=\"1.0\" encoding=\"windows-1251\" ?>\r\n"
        u"<Document DocSource=\"Диадок\" GeneratedBy=\"N7_Fetchling\" GeneratedByAdd=\"Версия 1.0.0 (+DiadocAPI v. "
        u"1.2.3)\" "
        u"UploadedDateTime=\"2026.12.09 14:05:07\">"
        u"<Title>Акт A &amp; B &lt;C&gt;</Title><Type>XmlAcceptanceCertificate</Type>"
        u"<TypeNamedId>XmlAcceptanceCertificate</TypeNamedId><DocTypeName>Акт о выполнении работ</DocTypeName>"
        u"<Status>OutboundWithRecipientSignature</Status><StatusRus>"_s
        + diadoc::mDiadocStatusTexts::StatusRus(doc.type, doc.status, false)
        + u"</StatusRus><DocflowStatus><PrimaryStatus><Severity>Success</Severity><Text>Документооборот завершен</Text>"
          u"</PrimaryStatus></DocflowStatus><RevocationStatus></RevocationStatus><RevocationStatusRus></"
          u"RevocationStatusRus>"
          u"<RoamingNotificationStatus></RoamingNotificationStatus><RoamingNotificationStatusRus>"_s
        + diadoc::mDiadocStatusTexts::RoamingNotificationStatusRus(QString(), true)
        + u"</RoamingNotificationStatusRus><RecipientResponseStatus></RecipientResponseStatus>"
          u"<SenderSignatureStatus></SenderSignatureStatus><Direction>Outbound</Direction><Filename>Акт.xml</Filename>"
          u"<PathURL>https://diadoc.kontur.ru/box/Document/Show?documentId=1</PathURL>"
          u"<DocumentId>"_s
        + kDocumentId
        + u"</DocumentId><PackageId></PackageId><Timestamp>20.06.2024 10:06:42</Timestamp>"
          u"<DocumentNumber> 1007 </DocumentNumber><DocumentDate>17.06.2024 00:00:00</DocumentDate>"
          u"<Counteragent><INN>6658012345</INN><KPP>665801001</KPP><Name>ООО &quot;Склад&quot;</Name></Counteragent>"
          u"<PowersOfAttorney><AttachedPowerOfAttorney><PowerOfAttorney><Id><RegistrationNumber></RegistrationNumber>"
          u"<IssuerINN>7701234567</IssuerINN></Id></PowerOfAttorney></AttachedPowerOfAttorney>"
          u"<AttachedPowerOfAttorney><PowerOfAttorney><Id><RegistrationNumber>1b2c3d4e-0001</RegistrationNumber>"
          u"<IssuerINN>7701234567</IssuerINN></Id><Confidant><INN>770112345678</INN><Name>Иванов И. И.</Name>"
          u"</Confidant></PowerOfAttorney><Status><Severity>Success</Severity><Id>IsValid</Id>"
          u"<Text>Действительна</Text></Status></AttachedPowerOfAttorney></PowersOfAttorney>"
          u"<DiadocDocumentMetadata><DocumentMetadata Key=\"ФормаДокумента\" "
          u"Value=\"&quot;УПД&quot;&#13;&#10;СЧФДОП\"/></DiadocDocumentMetadata></Document>"_s;
    EXPECT_EQ(core::TextCodec::fromCp1251(readAll(dir.filePath(u"DCInfo.n7l"_s))), expected);
    EXPECT_EQ(readAll(dir.filePath(u"DCInfo.n7l"_s)), core::TextCodec::toCp1251(expected));

    EXPECT_EQ(readAll(dir.filePath(u"diadoc.documentID=f253e3c6-b645-40f1-825e-ff6d01ddeca4.url"_s)),
              QByteArray("[InternetShortcut]\r\nURL=https://diadoc.kontur.ru/box/Document/Show?documentId=1"));
    EXPECT_EQ(core::TextCodec::fromCp1251(readAll(dir.filePath(u"Доверенность_1b2c3d4e-0001.url"_s))),
              u"[InternetShortcut]\r\nURL=https://m4d.nalog.gov.ru/EMCHD/get-info?guid=1b2c3d4e-0001"
              u"&innP=7701234567&innR=770112345678"_s);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files).size(), 3) << "one power of attorney had no number";
}

TEST_F(MetadataFileTest, OptionalElementsAreLeftOutWhenThereIsNothingToSay)
{
    doc.documentNumber = u"   "_s;
    doc.documentDate = Variant(QString());
    // Never sent: the sending date is the empty-date marker, which as a date value is an ordinary date.
    doc.status = u"OutboundWaitingForSenderSignature"_s;
    doc.counteragent = Variant::null();
    doc.powersFail = true;
    doc.powers = nullptr;

    ASSERT_EQ(writer.SaveN7L(folder(), doc, u"org1"_s), QString());
    const QString text = core::TextCodec::fromCp1251(readAll(dir.filePath(u"DCInfo.n7l"_s)));
    for (const char* absent : {"<DocumentNumber>", "<DocumentDate>", "<Counteragent>", "<Organization>", "<Department>",
                               "<PowersOfAttorney>", "<DiadocDocumentMetadata>"})
        EXPECT_FALSE(text.contains(QLatin1StringView(absent))) << absent;
    EXPECT_TRUE(text.endsWith(u"<PackageId></PackageId><Timestamp>30.11.1999 00:00:00</Timestamp></Document>"_s));
    EXPECT_EQ(text.count(u"\r\n"_s), 1) << "the declaration stands alone on the first line";
}

TEST_F(MetadataFileTest, CharactersOutsideTheCodePageBecomeReferencesAndForbiddenOnesAreDropped)
{
    doc.title = u"Шот-фактура Қазақстан \u0001😀"_s;
    ASSERT_EQ(writer.SaveN7L(folder(), doc, u"org1"_s), QString());
    const QByteArray bytes = readAll(dir.filePath(u"DCInfo.n7l"_s));
    EXPECT_TRUE(
        bytes.contains(core::TextCodec::toCp1251(u"<Title>Шот-фактура &#1178;аза&#1179;стан &#128512;</Title>"_s)))
        << bytes.constData();
}

// A reader of the file turns a raw carriage return into a line feed; written as a reference, every
// line end and tab of an element's text reads back as the service gave it.
TEST_F(MetadataFileTest, LineEndsAndTabsOfElementTextsReadBackUnchanged)
{
    doc.title = u"Акт\rстрока\r\nконец\tтаб\n"_s;
    ASSERT_EQ(writer.SaveN7L(folder(), doc, u"org1"_s), QString());
    const QString text = core::TextCodec::fromCp1251(readAll(dir.filePath(u"DCInfo.n7l"_s)));
    EXPECT_TRUE(text.contains(u"<Title>Акт&#13;строка&#13;\nконец\tтаб\n</Title>"_s)) << text.toStdString();
    EXPECT_EQ(text.count(u'\r'), 1) << "only the declaration's line end is raw";

    QXmlStreamReader reader(text);
    QString title;
    while (reader.readNextStartElement()) {
        if (reader.name() == u"Title"_s) {
            title = reader.readElementText();
            break;
        }
        if (reader.name() != u"Document"_s)
            reader.skipCurrentElement();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(title, doc.title);
}

// A shortcut's address is one line of ASCII: letters beyond it are percent-encoded as UTF-8, never
// written as references, and a line break or a blank from the service cannot add a line to the
// file. A value put into the registry's query cannot add a parameter.
TEST_F(MetadataFileTest, ShortcutAddressesArePercentEncodedAscii)
{
    const struct
    {
        QString url;
        QString address;
    } cases[] = {
        {u"https://x/a?b=1&c=%20"_s, u"https://x/a?b=1&c=%20"_s},
        {u"https://x/Счёт №5"_s, u"https://x/%D0%A1%D1%87%D1%91%D1%82%20%E2%84%965"_s},
        {u"https://x/a\r\nIconFile=C:\\e.ico"_s, u"https://x/a%0D%0AIconFile=C:\\e.ico"_s},
        {u"https://x/\u0000\x7F😀"_s, u"https://x/%00%7F%F0%9F%98%80"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        EXPECT_EQ(MetadataFile::shortcutAddress(c.url), c.address);
    }

    doc.pathUrl = u"/box/Document/Show?documentId=1&комментарий=Счёт\r\nIconFile=x"_s;
    doc.powers = SandboxList::of(QList<std::shared_ptr<SandboxAttachedPowerOfAttorney>>{
        power(u"Ё1&innP=0#"_s, u"7701234567"_s, std::nullopt, std::nullopt)});
    ASSERT_EQ(writer.SaveN7L(folder(), doc, u"org1"_s), QString());
    EXPECT_EQ(readAll(dir.filePath(u"diadoc.documentID=f253e3c6-b645-40f1-825e-ff6d01ddeca4.url"_s)),
              QByteArray("[InternetShortcut]\r\nURL=https://diadoc.kontur.ru/box/Document/Show?documentId=1"
                         "&%D0%BA%D0%BE%D0%BC%D0%BC%D0%B5%D0%BD%D1%82%D0%B0%D1%80%D0%B8%D0%B9"
                         "=%D0%A1%D1%87%D1%91%D1%82%0D%0AIconFile=x"));
    EXPECT_EQ(readAll(dir.filePath(u"Доверенность_Ё1&innP=0#.url"_s)),
              QByteArray("[InternetShortcut]\r\nURL=https://m4d.nalog.gov.ru/EMCHD/get-info?guid=%D0%811%26innP%3D0%23"
                         "&innP=7701234567"));
}

TEST_F(MetadataFileTest, ADocumentNumberOfATabIsNoBlankNumber)
{
    // Only blanks make a number blank; any other character is written as it stands.
    doc.documentNumber = u"\t"_s;
    ASSERT_EQ(writer.SaveN7L(folder(), doc, u"org1"_s), QString());
    EXPECT_TRUE(core::TextCodec::fromCp1251(readAll(dir.filePath(u"DCInfo.n7l"_s)))
                    .contains(u"<DocumentNumber>\t</DocumentNumber>"_s));
}

TEST_F(MetadataFileTest, AFailedDocumentLinkStopsBeforeTheMetadataFile)
{
    const QString missing = dir.filePath(u"no/such/folder"_s);
    const QString message = writer.SaveN7L(missing, doc, u"org1"_s);
    EXPECT_FALSE(message.isEmpty());
    EXPECT_FALSE(QFile::exists(missing + u"/DCInfo.n7l"_s));
}

TEST_F(MetadataFileTest, NamesFromTheServiceNeverLeaveTheFolder)
{
    doc.documentId = u"../../etc/passwd"_s;
    doc.powers = SandboxList::of(QList<std::shared_ptr<SandboxAttachedPowerOfAttorney>>{
        power(u"../../x"_s, u"7701234567"_s, std::nullopt, std::nullopt)});
    ASSERT_EQ(writer.SaveN7L(folder(), doc, u"org1"_s), QString());
    const QStringList files = QDir(folder()).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 3);
    for (const QString& name : files)
        EXPECT_FALSE(name.contains(u'/')) << name.toStdString();
    EXPECT_TRUE(files.contains(u"Доверенность_.._.._x.url"_s)) << files.join(u", "_s).toStdString();
}

TEST_F(MetadataFileTest, AnUnknownOrganisationKeyRaisesWithThePlace)
{
    try {
        writer.SaveN7L(folder(), doc, u"nobody"_s);
        FAIL() << "the organisation key must exist";
    } catch (const core::Error& e) {
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::Fetchling.SaveN7L]"_s));
    }
}

TEST(MetadataFileEkran, EscapesInItsOrder)
{
    QString text = u"A & B <C> 'D' \"E\" &amp;"_s;
    EXPECT_EQ(MetadataFile::ekran(text), u"A &amp; B &lt;C&gt; &apos;D&apos; &quot;E&quot; &amp;amp;"_s);
    EXPECT_EQ(text, u"A &amp; B &lt;C&gt; &apos;D&apos; &quot;E&quot; &amp;amp;"_s);
}
