#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "SandboxFixture.h"
#include "base/Error.h"
#include "platform/diadoc/SandboxLoader.h"
#include "platform/diadoc/Variant.h"

using namespace Qt::StringLiterals;
using namespace platform::diadoc;

namespace {

QString loadError(const QString& folder)
{
    try {
        SandboxLoader::load(folder);
    } catch (const core::Error& e) {
        return e.description();
    }
    return u"(no error)"_s;
}

TEST(SandboxLoaderTest, ABadFileGivesAnErrorNamingTheFileAndTheFault)
{
    struct Case
    {
        const char* name;
        QByteArray text;
        QString fault;
    };
    const Case cases[] = {
        {"not JSON", "{ \"organizations\": [", u"offset"_s},
        {"not an object", "[1, 2]", u"an object is expected"_s},
        {"missing id", R"({"organizations":[{"name":"x"}]})", u"organizations[0]: the field \"id\" is missing"_s},
        {"mistyped", R"({"organizations":[{"id":"a","inn":5}]})", u"organizations[0].inn: a text is expected"_s},
        {"climbing path",
         R"({"organizations":[{"id":"a"}],"documents":[{"id":"d","organization":"a",)"
         R"("timestamp":"2024-01-01","content":["../secret.txt"]}]})",
         u"names a path outside the sandbox folder"_s},
        {"absolute path",
         R"({"organizations":[{"id":"a"}],"documents":[{"id":"d","organization":"a",)"
         R"("timestamp":"2024-01-01","content":["/etc/passwd"]}]})",
         u"is not a path inside the sandbox folder"_s},
        {"missing content",
         R"({"organizations":[{"id":"a"}],"documents":[{"id":"d","organization":"a",)"
         R"("timestamp":"2024-01-01","content":["none.pdf"]}]})",
         u"does not exist"_s},
        {"unknown organisation", R"({"documents":[{"id":"d","organization":"zz","timestamp":"2024-01-01"}]})",
         u"the organisation \"zz\" is unknown"_s},
        {"bad date",
         R"({"organizations":[{"id":"a"}],"documents":[{"id":"d","organization":"a","timestamp":"вчера"}]})",
         u"\"вчера\" is not a date"_s},
        {"bad effect", R"({"faults":[{"operation":"GetDocuments","effect":"explode"}]})", u"unknown effect"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"sandbox.json"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.text);
        file.close();
        const QString error = loadError(dir.path());
        EXPECT_TRUE(error.contains(dir.filePath(u"sandbox.json"_s))) << error.toStdString();
        EXPECT_TRUE(error.contains(c.fault)) << error.toStdString();
    }
}

TEST(SandboxLoaderTest, ASymlinkOutOfTheFolderIsRefused)
{
    QTemporaryDir outside;
    QFile secret(outside.filePath(u"secret.txt"_s));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.close();
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(outside.filePath(u"secret.txt"_s), dir.filePath(u"link.txt"_s)));
    QFile file(dir.filePath(u"sandbox.json"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"organizations":[{"id":"a"}],"documents":[{"id":"d","organization":"a",)"
               R"("timestamp":"2024-01-01","content":["link.txt"]}]})");
    file.close();
    EXPECT_TRUE(loadError(dir.path()).contains(u"leads outside the sandbox folder"_s));
}

TEST(SandboxLoaderTest, TheFixtureLoads)
{
    testsupport::SandboxFixture sandbox;
    const SandboxData data = SandboxLoader::load(sandbox.folder());
    EXPECT_EQ(data.organizations.size(), 2);
    EXPECT_EQ(data.documents.size(), 6);
    EXPECT_EQ(data.organizations.at(1).tariff, Tariff::Unpaid);
}

TEST(VariantTest, KindsStayDistinct)
{
    EXPECT_TRUE(Variant().isEmpty());
    EXPECT_TRUE(Variant::null().isNull());
    EXPECT_TRUE(Variant::nothing().isObject());
    EXPECT_TRUE(Variant::nothing().isNothing());
    EXPECT_FALSE(Variant::nothing().holdsObject());
    EXPECT_TRUE(Variant(false).isBoolean());
    EXPECT_TRUE(Variant(0).isNumber());
    EXPECT_FALSE(Variant(0).isBoolean());
    EXPECT_TRUE(Variant(QString()).isText());
    EXPECT_EQ(Variant(true).toText(), u"True"_s);
    EXPECT_EQ(Variant(QDateTime(QDate(2024, 3, 1), QTime(0, 0))).toText(), u"01.03.2024"_s);
    EXPECT_EQ(Variant(QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7))).toText(), u"01.03.2024 09:05:07"_s);
    EXPECT_EQ(Variant(u"01.03.2024"_s).toDate(), QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    EXPECT_THROW(Variant::null().toText(), core::Error);
    EXPECT_THROW(Variant(u"abc"_s).toDate(), core::Error);
    EXPECT_THROW(Variant::nothing().toBool(), core::Error);
}

TEST(VariantTest, DateTextsInTheRussianAndIsoFormsAndNothingElse)
{
    struct Case
    {
        QString text;
        QDateTime expected; // invalid: the text names no date
    };
    const QDate march5(2024, 3, 5);
    const Case cases[] = {
        {u"05.03.2024"_s, QDateTime(march5, QTime(0, 0))},
        {u" 5.3.2024 10:15 "_s, QDateTime(march5, QTime(10, 15))},
        {u"05.03.2024\t 10:5:7"_s, QDateTime(march5, QTime(10, 5, 7))},
        {u"05.03.2024 10:15:07"_s, QDateTime(march5, QTime(10, 15, 7))},
        {u"2024-03-05T10:15:00"_s, QDateTime(march5, QTime(10, 15))},
        {u"2024-03-05"_s, QDateTime(march5, QTime(0, 0))},
        {u"05.03.2024 10:15:"_s, {}},
        {u"05.03.2024 10:15:123"_s, {}},
        {u"05.03.202410:15"_s, {}},
        {u"05.03.20245"_s, {}},
        {u"123.03.2024"_s, {}},
        {u"05.03.24"_s, {}},
        {u"31.02.2024"_s, {}},
        {u"05.03.2024 24:00"_s, {}},
        {u"05.03.0099"_s, {}},
        {u"05.03.2024\u00a010:15"_s, {}}, // a no-break space is no blank between date and time
        {u"５.03.2024"_s, {}},
        {QString(), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::diadoc::parseDateText(c.text), c.expected) << c.text.toStdString();
}

} // namespace
