#include <memory>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "base/TextCodec.h"
#include "engine/PowerOfAttorneyFiles.h"
#include "platform/diadoc/SandboxDocument.h"
#include "platform/diadoc/SandboxList.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/diadoc/SandboxValues.h"
#include "platform/family/FilesLib.h"
#include "platform/xml/XmlDocument.h"

using namespace Qt::StringLiterals;
using engine::PowerOfAttorneyFiles;
namespace diadoc = platform::diadoc;

namespace {

enum class Shape
{
    Plain,
    Prefixed,
    DefaultNamespace,
};

// A power of attorney as the tax service's format has it, cut to what recognition reads.
QByteArray powerOfAttorney(const QString& idFile, const QString& number, Shape shape = Shape::Plain,
                           bool cp1251 = false)
{
    const QString encoding = cp1251 ? u"windows-1251"_s : u"UTF-8"_s;
    QString xml;
    switch (shape) {
    case Shape::Plain:
        xml = uR"(<?xml version="1.0" encoding="%1"?>
<Доверенность ИдФайл="%2" ВерсФорм="EMCHD_1"><Документ><Довер><СвДов НомДовер="%3"/></Довер></Документ></Доверенность>)"_s;
        break;
    case Shape::Prefixed:
        xml = uR"(<?xml version="1.0" encoding="%1"?>
<d:Доверенность xmlns:d="urn:emchd" ИдФайл="%2"><d:Документ><d:Довер><d:СвДов НомДовер="%3"/></d:Довер></d:Документ></d:Доверенность>)"_s;
        break;
    case Shape::DefaultNamespace:
        xml = uR"(<?xml version="1.0" encoding="%1"?>
<Доверенность xmlns="urn:emchd" ИдФайл="%2"><Документ><Довер><СвДов НомДовер="%3"/></Довер></Документ></Доверенность>)"_s;
        break;
    }
    xml = xml.arg(encoding, idFile, number);
    return cp1251 ? core::TextCodec::toCp1251(xml) : xml.toUtf8();
}

diadoc::PowerOfAttorneyData registered(const QString& number)
{
    diadoc::PowerOfAttorneyData data;
    data.registrationNumber = number;
    data.issuerInn = u"7701234567"_s;
    return data;
}

class PowerOfAttorneyFilesTest : public testing::Test
{
protected:
    // A document of the emulated service with the given powers of attorney (none: no list).
    std::shared_ptr<diadoc::SandboxDocument> document(std::optional<QStringList> numbers,
                                                      std::optional<diadoc::FaultRule> fault = std::nullopt)
    {
        diadoc::DocumentData data;
        data.organizationId = u"org"_s;
        data.documentId = u"doc-1"_s;
        if (numbers) {
            data.powersOfAttorney.emplace();
            for (const QString& number : *numbers)
                data.powersOfAttorney->append(registered(number));
        }
        diadoc::SandboxData sandbox;
        sandbox.documents.append(data);
        if (fault)
            sandbox.faults.append(*fault);
        m_service = std::make_shared<diadoc::SandboxService>(sandbox, [] { return qint64(0); });
        return std::make_shared<diadoc::SandboxDocument>(m_service, &m_service->data().documents.first());
    }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }

    int remove(diadoc::DiadocDocument& doc) { return poa.УдалениеФайловМЧД(u"unused"_s, folder.path(), doc); }

    QTemporaryDir folder;
    platform::family::FilesLib filesLib;
    PowerOfAttorneyFiles poa{filesLib};

private:
    std::shared_ptr<diadoc::SandboxService> m_service;
};

} // namespace

TEST_F(PowerOfAttorneyFilesTest, RemovesOnlyRecognisedFilesAndTheirSignatures)
{
    // Removed: recognised, each with its signature where there is one.
    write(u"Иванов МЧД.xml"_s, powerOfAttorney(u"ON_EMCHD_20240315_A-1"_s, u"A-1"_s));
    write(u"Иванов МЧД.xml.sgn"_s, "sig");
    write(u"Кузнецов мчд.XML"_s, powerOfAttorney(u"ON_EMCHD_1_A-1"_s, u"A-1"_s, Shape::Prefixed, true));
    write(u"Кузнецов мчд.XML.sgn"_s, "sig");
    write(u"Смирнов МЧД.xml"_s, powerOfAttorney(u"ON_EMCHD_2_A-1"_s, u"A-1"_s, Shape::DefaultNamespace));
    write(u"ON_EMCHD_X.xml"_s, powerOfAttorney(u"ON_DOVBB_9_B-2"_s, u"B-2"_s));
    write(u"ON_EMCHD_X.sig"_s, "sig");
    // Kept: not a power of attorney, a stranger's, damaged, too large, or no candidate at all.
    write(u"Петров МЧД.xml"_s, "<?xml version=\"1.0\"?><Счёт ИдФайл=\"ON_EMCHD_A-1\"/>");
    write(u"Петров МЧД.xml.sgn"_s, "sig");
    write(u"ON_EMCHD_Y.xml"_s, powerOfAttorney(u"ON_EMCHD_3_C-3"_s, u"C-3"_s));
    write(u"ON_EMCHD_Y.sig"_s, "sig");
    write(u"Сидоров МЧД.xml"_s, "<Доверенность ИдФайл=\"ON_EMCHD_A-1\"><Документ>");
    write(u"Огромный МЧД.xml"_s,
          powerOfAttorney(u"ON_EMCHD_4_A-1"_s, u"A-1"_s) + QByteArray(platform::xml::XmlDocument::kMaxFileSize, ' '));
    write(u"Акт.pdf"_s, "pdf");
    write(u"Акт.xml"_s, powerOfAttorney(u"ON_EMCHD_5_A-1"_s, u"A-1"_s));
    write(u"ИвановМЧД.xml"_s, powerOfAttorney(u"ON_EMCHD_6_A-1"_s, u"A-1"_s));

    const auto doc = document(QStringList{u"A-1"_s, u"B-2"_s});
    EXPECT_EQ(remove(*doc), 4);
    EXPECT_EQ(files(),
              (QStringList{u"ON_EMCHD_Y.sig"_s, u"ON_EMCHD_Y.xml"_s, u"Акт.pdf"_s, u"Акт.xml"_s, u"ИвановМЧД.xml"_s,
                           u"Огромный МЧД.xml"_s, u"Петров МЧД.xml"_s, u"Петров МЧД.xml.sgn"_s, u"Сидоров МЧД.xml"_s}));
}

TEST_F(PowerOfAttorneyFilesTest, DocumentWithoutPowersOfAttorneyLeavesTheFolderAlone)
{
    write(u"Иванов МЧД.xml"_s, powerOfAttorney(u"ON_EMCHD_1_A-1"_s, u"A-1"_s));
    write(u"ON_EMCHD_A-1.xml"_s, powerOfAttorney(u"ON_EMCHD_1_A-1"_s, u"A-1"_s));
    const QStringList before = files();

    diadoc::FaultRule failing;
    failing.operation = u"GetPowersOfAttorney"_s;
    failing.text = u"##100[Ошибка сервера Диадок]code:500"_s;

    const struct
    {
        const char* name;
        std::shared_ptr<diadoc::SandboxDocument> doc;
    } cases[] = {
        {"no list", document(std::nullopt)},
        {"empty list", document(QStringList{})},
        {"list fails", document(QStringList{u"A-1"_s}, failing)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(remove(*c.doc), 0);
        EXPECT_EQ(files(), before);
    }
}

TEST_F(PowerOfAttorneyFilesTest, FileMatchingBothMasksGoesInTheFirstPass)
{
    write(u"ON_EMCHD_Z МЧД.xml"_s, powerOfAttorney(u"ON_EMCHD_7_A-1"_s, u"A-1"_s));
    write(u"ON_EMCHD_Z МЧД.xml.sgn"_s, "sig");
    write(u"ON_EMCHD_Z МЧД.sig"_s, "sig of the second pass");
    const auto doc = document(QStringList{u"A-1"_s});
    EXPECT_EQ(remove(*doc), 1);
    EXPECT_EQ(files(), QStringList{u"ON_EMCHD_Z МЧД.sig"_s});
}

TEST_F(PowerOfAttorneyFilesTest, SignatureIsFoundWithoutRegardToCase)
{
    write(u"on_emchd_S.XML"_s, powerOfAttorney(u"ON_EMCHD_8_A-1"_s, u"A-1"_s));
    write(u"on_emchd_S.SIG"_s, "sig");
    write(u"Орлов МЧД.xml"_s, powerOfAttorney(u"ON_EMCHD_9_A-1"_s, u"A-1"_s));
    write(u"Орлов МЧД.XML.SGN"_s, "sig");
    write(u"Орлов МЧД.xml.sgn.bak"_s, "not a signature");
    const auto doc = document(QStringList{u"A-1"_s});
    EXPECT_EQ(remove(*doc), 2);
    EXPECT_EQ(files(), QStringList{u"Орлов МЧД.xml.sgn.bak"_s});
}

TEST_F(PowerOfAttorneyFilesTest, RecognitionNeedsEveryCondition)
{
    const struct
    {
        const char* name;
        QByteArray xml;
        bool expected;
    } cases[] = {
        {"plain", powerOfAttorney(u"ON_EMCHD_1_A-1"_s, u"A-1"_s), true},
        {"prefixed windows-1251", powerOfAttorney(u"ON_EMCHD_1_A-1"_s, u"A-1"_s, Shape::Prefixed, true), true},
        {"default namespace", powerOfAttorney(u"ON_EMCHD_1_A-1"_s, u"A-1"_s, Shape::DefaultNamespace), true},
        {"ON_DOVBB_", powerOfAttorney(u"ON_DOVBB_1_A-1"_s, u"A-1"_s), true},
        {"id is the number itself", powerOfAttorney(u"ON_EMCHD_A-1"_s, u"A-1"_s), true},
        {"other prefix", powerOfAttorney(u"ON_OTHER_1_A-1"_s, u"A-1"_s), false},
        {"prefix in lower case", powerOfAttorney(u"on_emchd_1_A-1"_s, u"A-1"_s), false},
        {"id does not end with the number", powerOfAttorney(u"ON_EMCHD_A-1_1"_s, u"A-1"_s), false},
        {"number of another power", powerOfAttorney(u"ON_EMCHD_1_C-3"_s, u"C-3"_s), false},
        {"number differs in case", powerOfAttorney(u"ON_EMCHD_1_a-1"_s, u"a-1"_s), false},
        {"empty number", powerOfAttorney(u"ON_EMCHD_1_"_s, QString()), false},
        {"no id", "<Доверенность><Документ><Довер><СвДов НомДовер=\"A-1\"/></Довер></Документ></Доверенность>", false},
        {"no number",
         "<Доверенность ИдФайл=\"ON_EMCHD_A-1\"><Документ><Довер><СвДов/></Довер></Документ></Доверенность>", false},
        {"path broken",
         "<Доверенность ИдФайл=\"ON_EMCHD_A-1\"><Документ><СвДов НомДовер=\"A-1\"/></Документ></Доверенность>", false},
        {"path below another root",
         "<Архив><Доверенность ИдФайл=\"ON_EMCHD_A-1\"><Документ><Довер><СвДов "
         "НомДовер=\"A-1\"/></Довер></Документ></Доверенность></Архив>",
         false},
        {"damaged", "<Доверенность ИдФайл=\"ON_EMCHD_A-1\">", false},
        {"windows-1251 undeclared", core::TextCodec::toCp1251(u"<Доверенность ИдФайл=\"ON_EMCHD_A-1\"/>"), false},
    };
    const diadoc::SandboxList list(
        {diadoc::Variant(std::make_shared<diadoc::SandboxAttachedPowerOfAttorney>(registered(u"B-2"_s))),
         diadoc::Variant(std::make_shared<diadoc::SandboxAttachedPowerOfAttorney>(registered(u"A-1"_s)))});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(u"case.xml"_s, c.xml);
        EXPECT_EQ(poa.ФайлДействительноМЧД(folder.filePath(u"case.xml"_s), list), c.expected);
    }
    EXPECT_FALSE(poa.ФайлДействительноМЧД(folder.filePath(u"missing.xml"_s), list));
    EXPECT_FALSE(poa.ФайлДействительноМЧД(QString(), list));
}

TEST_F(PowerOfAttorneyFilesTest, BrokenListItemRaisesWithItsPlace)
{
    write(u"case.xml"_s, powerOfAttorney(u"ON_EMCHD_1_A-1"_s, u"A-1"_s));
    const diadoc::SandboxList list({diadoc::Variant::nothing()});
    try {
        poa.ФайлДействительноМЧД(folder.filePath(u"case.xml"_s), list);
        FAIL() << "a list item that is Nothing must raise";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 91);
        EXPECT_TRUE(e.description().contains(u"Fetchling.ФайлДействительноМЧД"_s)) << e.what();
    }
}

TEST(PowerOfAttorneyXPath, ModifyXPathIgnoresNamespacesStepByStep)
{
    const struct
    {
        QString path;
        int adjustment;
        QString expected;
    } cases[] = {
        {u"/Доверенность"_s, 0, u"/*[local-name()='Доверенность']"_s},
        {u"Документ/Довер/СвДов"_s, 0, u"*[local-name()='Документ']/*[local-name()='Довер']/*[local-name()='СвДов']"_s},
        {u"a//b"_s, 0, u"*[local-name()='a']//*[local-name()='b']"_s},
        {u"/a/b"_s, -1, u"/*[local-name()='a']"_s},
        {u"/a/b"_s, -2, QString()},
        {u"/a/b"_s, -3, u"/*[local-name()='a']/*[local-name()='b']"_s},
        {u"a"_s, 1, u"*[local-name()='a']/"_s},
        {QString(), 0, QString()},
        {u"/"_s, 0, u"/"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString() + " " + std::to_string(c.adjustment));
        EXPECT_EQ(PowerOfAttorneyFiles::ModifyXPath(c.path, c.adjustment), c.expected);
    }
}

TEST(PowerOfAttorneyXPath, GetAttrGivesTheDefaultOnlyForAMissingAttribute)
{
    platform::xml::XmlDocument xml;
    ASSERT_TRUE(xml.loadBytes("<a empty=\"\" v=\"1\"/>"));
    const auto root = xml.documentElement();
    EXPECT_EQ(PowerOfAttorneyFiles::GetAttr(root, u"v"_s, u"d"_s), u"1"_s);
    EXPECT_EQ(PowerOfAttorneyFiles::GetAttr(root, u"empty"_s, u"d"_s), QString());
    EXPECT_EQ(PowerOfAttorneyFiles::GetAttr(root, u"missing"_s, u"d"_s), u"d"_s);
}
