#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "SandboxFixture.h"
#include "base/Error.h"
#include "platform/diadoc/JsonOffsets.h"
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

// Every whole number the file gives is checked against its range before it is used: a number too
// large for 64 bits, a negative count or a fraction is refused with the file's name, the byte offset
// of the value and the range, never converted.
TEST(SandboxLoaderTest, NumbersOutOfTheirRangeAreRefusedWithTheFileAndTheOffset)
{
    struct Case
    {
        const char* name;
        QByteArray text;
        QByteArray value;
        QString path;
        QString range;
    };
    const QByteArray huge = "1" + QByteArray(61, '0');
    const Case cases[] = {
        {"62 digits of delay", R"({"listAsync": {"delayMs": )" + huge + "}}", huge, u"listAsync.delayMs"_s,
         u"from 0 to 1000000000000"_s},
        {"negative delay", R"({"contentAsync": {"polls": 1, "delayMs": -5}})", "-5", u"contentAsync.delayMs"_s,
         u"from 0 to 1000000000000"_s},
        {"fractional polls", R"({"listAsync": {"polls": 2.5}})", "2.5", u"listAsync.polls"_s,
         u"from 0 to 1000000000"_s},
        {"too many polls", R"({"listAsync": {"polls": 3e9}})", "3e9", u"listAsync.polls"_s, u"from 0 to 1000000000"_s},
        {"negative attempt", R"({"faults": [{"operation": "GetDocuments", "attempt": -1}]})", "-1",
         u"faults[0].attempt"_s, u"from 0 to 2147483647"_s},
        {"fractional first attempts",
         R"({"faults": [{"operation": "x"}, {"operation": "GetDocuments", "firstAttempts": 0.5}]})", "0.5",
         u"faults[1].firstAttempts"_s, u"from 0 to 2147483647"_s},
        {"error number beyond 32 bits", R"({"faults": [{"operation": "x", "number": 2147483648}]})", "2147483648",
         u"faults[0].number"_s, u"from -2147483648 to 2147483647"_s},
        {"huge extra delay", R"({"faults": [{"operation": "x", "effect": "late", "extraDelayMs": 1e300}]})", "1e300",
         u"faults[0].extraDelayMs"_s, u"from 0 to 1000000000000"_s},
        {"negative extra polls", R"({"faults": [{"operation": "x", "extraPolls": -3}]})", "-3",
         u"faults[0].extraPolls"_s, u"from 0 to 1000000000"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"sandbox.json"_s);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.text);
        file.close();
        const QString error = loadError(dir.path());
        const QString expected = u"Sandbox file \""_s + path + u"\": offset "_s
                                 + QString::number(c.text.lastIndexOf(c.value)) + u", "_s + c.path
                                 + u": a whole number "_s + c.range + u" is expected"_s;
        EXPECT_EQ(error, expected);
    }
}

// A fifo (or any file that is not a regular one) in the place of sandbox.json would hold the
// sign-in for ever on the first read; it is refused at once, naming the file.
TEST(SandboxLoaderTest, AFifoInThePlaceOfTheFileIsRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sandbox.json"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    auto loading = std::async(std::launch::async, [&dir] { return loadError(dir.path()); });
    if (loading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Let the reader go, so that the test ends failed rather than hanging.
        const int writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        loading.wait();
        FAIL() << "the loader waited on the fifo";
    }
    EXPECT_EQ(loading.get(), u"Sandbox file \""_s + path + u"\" cannot be read: это не обычный файл"_s);

    const QString folderInstead = dir.filePath(u"folder"_s);
    ASSERT_TRUE(QDir().mkpath(folderInstead + u"/sandbox.json"_s));
    const QString folderError = loadError(folderInstead);
    EXPECT_TRUE(folderError.endsWith(u"cannot be read: это не обычный файл"_s)) << folderError.toStdString();
}

// The offset a refusal names is where the value stands in the file, whatever the spacing, the
// escapes in the keys before it and the nesting.
TEST(JsonOffsetsTest, TheOffsetIsWhereTheValueBegins)
{
    const QByteArray json = "{ \"a\\\"b\": [1, {\"x\": \"\\u0041]\"}],\n  \"listAsync\" : { \"polls\":\t7 },"
                            " \"faults\": [ {}, { \"attempt\": -2 } ], \"listAsync\": {\"delayMs\": 9} }";
    EXPECT_EQ(JsonOffsets::of(json, u"listAsync.delayMs"_s), json.indexOf("9}"));
    EXPECT_EQ(JsonOffsets::of(json, u"faults[1].attempt"_s), json.indexOf("-2"));
    EXPECT_EQ(JsonOffsets::of(json, u"a\"b[1].x"_s), json.indexOf("\"\\u0041"));
    EXPECT_EQ(JsonOffsets::of(json, u"listAsync.polls"_s), -1) << "a key given twice counts where it stands last";
    EXPECT_EQ(JsonOffsets::of(json, u"faults[2]"_s), -1);
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
