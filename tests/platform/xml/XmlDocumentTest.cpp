#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "base/TextCodec.h"
#include "platform/xml/XmlDocument.h"

using namespace Qt::StringLiterals;
using platform::xml::XmlDocument;
using platform::xml::XmlNode;

namespace {

// One power of attorney written four ways: the element names are the same Cyrillic local names,
// whatever the encoding and the namespace.
const QString kPlain = uR"(<?xml version="1.0" encoding="%1"?>
<Доверенность ИдФайл="ON_EMCHD_1_2_A-1" ВерсФорм="003">
  <Документ><Довер><СвДов НомДовер="A-1" ДатаВыдДовер="2024-03-15"/></Довер></Документ>
</Доверенность>)"_s;

const QString kPrefixed = uR"(<?xml version="1.0" encoding="%1"?>
<dov:Доверенность xmlns:dov="urn:emchd" xmlns:x="urn:other" ИдФайл="ON_EMCHD_1_2_A-1">
  <dov:Документ><x:Довер><dov:СвДов НомДовер="A-1"/></x:Довер></dov:Документ>
</dov:Доверенность>)"_s;

const QString kDefaultNamespace = uR"(<?xml version="1.0" encoding="%1"?>
<Доверенность xmlns="urn:emchd" ИдФайл="ON_EMCHD_1_2_A-1">
  <Документ><Довер><СвДов НомДовер="A-1"/></Довер></Документ>
</Доверенность>)"_s;

QByteArray encoded(const QString& xml, bool cp1251)
{
    return cp1251 ? core::TextCodec::toCp1251(xml.arg(u"windows-1251"_s)) : xml.arg(u"UTF-8"_s).toUtf8();
}

const QString kLocalNamePath = u"/*[local-name()='Доверенность']"_s;
const QString kLocalNameInner = u"*[local-name()='Документ']/*[local-name()='Довер']/*[local-name()='СвДов']"_s;

} // namespace

TEST(XmlDocument, ReadsEveryEncodingAndNamespaceByLocalName)
{
    const struct
    {
        const char* name;
        const QString* xml;
    } shapes[] = {{"no namespace", &kPlain}, {"prefixed", &kPrefixed}, {"default namespace", &kDefaultNamespace}};
    for (const auto& shape : shapes) {
        for (const bool cp1251 : {false, true}) {
            SCOPED_TRACE(std::string(shape.name) + (cp1251 ? ", windows-1251" : ", UTF-8"));
            const QByteArray bytes = encoded(*shape.xml, cp1251);
            ASSERT_EQ(bytes.contains("Доверенность"), !cp1251) << "the fixture is really in its encoding";

            XmlDocument xml;
            ASSERT_TRUE(xml.loadBytes(bytes)) << xml.parseError().toStdString();
            EXPECT_TRUE(xml.parseError().isEmpty());
            EXPECT_EQ(xml.documentElement().name(), u"Доверенность"_s);

            for (const QString& rootPath : {kLocalNamePath, u"/Доверенность"_s}) {
                const XmlNode root = xml.selectSingleNode(rootPath);
                ASSERT_FALSE(root.isNull()) << rootPath.toStdString();
                EXPECT_EQ(root.getAttribute(u"ИдФайл"_s), u"ON_EMCHD_1_2_A-1"_s);
                for (const QString& innerPath : {kLocalNameInner, u"Документ/Довер/СвДов"_s}) {
                    const XmlNode node = root.selectSingleNode(innerPath);
                    ASSERT_FALSE(node.isNull()) << innerPath.toStdString();
                    EXPECT_EQ(node.getAttribute(u"НомДовер"_s), u"A-1"_s);
                }
            }
        }
    }
}

TEST(XmlDocument, AttributesAnswerNullOnlyWhenMissing)
{
    XmlDocument xml;
    ASSERT_TRUE(xml.loadBytes(R"(<a empty="" amp="A &amp; B &#1046;"/>)"));
    const XmlNode root = xml.documentElement();
    EXPECT_EQ(root.getAttribute(u"missing"_s), std::nullopt);
    EXPECT_EQ(root.getAttribute(u"empty"_s), QString());
    EXPECT_EQ(root.getAttribute(u"amp"_s), u"A & B Ж"_s);
    EXPECT_EQ(root.getAttribute(u"EMPTY"_s), std::nullopt) << "attribute names compare exactly";
    EXPECT_TRUE(xml.selectSingleNode(u"/b"_s).isNull());
    EXPECT_TRUE(XmlNode().selectSingleNode(u"a"_s).isNull());
    EXPECT_EQ(XmlNode().getAttribute(u"a"_s), std::nullopt);
}

TEST(XmlDocument, ReadsByteOrderMarksAndUtf16)
{
    XmlDocument xml;
    ASSERT_TRUE(xml.loadBytes("\xEF\xBB\xBF<Корень а=\"б\"/>"));
    EXPECT_EQ(xml.selectSingleNode(u"/Корень"_s).getAttribute(u"а"_s), u"б"_s);

    const QString text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Корень а=\"б\"/>"_s;
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    ASSERT_TRUE(xml.loadBytes(utf16)) << xml.parseError().toStdString();
    EXPECT_EQ(xml.selectSingleNode(u"/Корень"_s).getAttribute(u"а"_s), u"б"_s);
}

TEST(XmlDocument, DamagedOrHostileInputFailsWithAReason)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"not XML", "just text"},
        {"mismatched end", "<a><b></a>"},
        {"cut short", "<Доверенность ИдФайл=\"ON_EMCHD_"},
        {"unclosed root", "<a><b/>"},
        {"two roots", "<a/><b/>"},
        {"declaration only", "<?xml version=\"1.0\"?>"},
        {"zero byte inside", QByteArray("<a>\0</a>", 8)},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"koi8-r\"?><a/>"},
        {"bad attribute", "<a b=c/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        XmlDocument xml;
        EXPECT_FALSE(xml.loadBytes(c.bytes));
        EXPECT_FALSE(xml.parseError().isEmpty());
        EXPECT_TRUE(xml.documentElement().isNull());
        EXPECT_TRUE(xml.selectSingleNode(u"/*"_s).isNull()) << "a failed load leaves nothing to query";
    }
}

TEST(XmlDocument, FailedLoadForgetsTheDocumentBefore)
{
    XmlDocument xml;
    ASSERT_TRUE(xml.loadBytes("<a/>"));
    EXPECT_FALSE(xml.loadBytes("<a>"));
    EXPECT_TRUE(xml.selectSingleNode(u"/a"_s).isNull());
    ASSERT_TRUE(xml.loadBytes("<b/>"));
    EXPECT_TRUE(xml.parseError().isEmpty());
}

TEST(XmlDocument, EntitiesAreNeverExpanded)
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(u"secret.txt"_s);
    QFile file(secret);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("SECRET");
    file.close();

    const QByteArray external =
        "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY x SYSTEM \"file://" + secret.toUtf8() + "\">]><a v=\"&x;\"/>";
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY l0 \"ha\">";
    for (int i = 1; i < 10; ++i)
        laughs += "<!ENTITY l" + QByteArray::number(i) + " \"&l" + QByteArray::number(i - 1) + ";&l"
                  + QByteArray::number(i - 1) + ";\">";
    laughs += "]><a v=\"&l9;\"/>";

    for (const QByteArray& bytes : {external, laughs}) {
        XmlDocument xml;
        if (!xml.loadBytes(bytes))
            continue; // refusing the document is as good as not expanding it
        const QString value = xml.documentElement().getAttribute(u"v"_s).value_or(QString());
        EXPECT_FALSE(value.contains(u"SECRET"_s));
        EXPECT_LT(value.size(), 10);
    }
}

TEST(XmlDocument, DeepNestingLoadsWithoutExhaustingTheStack)
{
    constexpr int depth = 200000;
    QByteArray bytes;
    bytes.reserve(depth * 7);
    for (int i = 0; i < depth; ++i)
        bytes += "<p:a>";
    for (int i = 0; i < depth; ++i)
        bytes += "</p:a>";
    XmlDocument xml;
    ASSERT_TRUE(xml.loadBytes(bytes)) << xml.parseError().toStdString();
    EXPECT_FALSE(xml.selectSingleNode(u"/a/a/a"_s).isNull());
}

TEST(XmlDocument, LoadRefusesMissingOversizedAndNonFiles)
{
    QTemporaryDir dir;
    XmlDocument xml;
    EXPECT_FALSE(xml.load(dir.filePath(u"missing.xml"_s)));
    EXPECT_FALSE(xml.parseError().isEmpty());
    EXPECT_FALSE(xml.load(QString()));
    EXPECT_FALSE(xml.load(dir.path())) << "a folder is no XML file";

    const QString big = dir.filePath(u"big.xml"_s);
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<a>");
        file.write(QByteArray(XmlDocument::kMaxFileSize, 'x'));
        file.write("</a>");
    }
    EXPECT_FALSE(xml.load(big));
    EXPECT_TRUE(xml.parseError().contains(u"велик"_s)) << xml.parseError().toStdString();

    const QString good = dir.filePath(u"Иванов МЧД.xml"_s);
    {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(encoded(kPrefixed, true));
    }
    ASSERT_TRUE(xml.load(good)) << xml.parseError().toStdString();
    EXPECT_FALSE(xml.selectSingleNode(kLocalNamePath).isNull());
}

TEST(XmlDocument, BadXPathRaisesAnError)
{
    XmlDocument xml;
    ASSERT_TRUE(xml.loadBytes("<a/>"));
    for (const QString& xpath : {u"/a["_s, u"1 + 1"_s, u"*[local-name()='x"_s}) {
        SCOPED_TRACE(xpath.toStdString());
        EXPECT_THROW(xml.selectSingleNode(xpath), core::Error);
    }
    EXPECT_TRUE(xml.selectSingleNode(u"/a/@b"_s).isNull()) << "attributes are read with getAttribute";
}
