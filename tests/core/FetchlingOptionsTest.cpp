#include <optional>

#include <QFile>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/mFetchlingOptions.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using core::mFetchlingOptions;
using platform::registry::Hive;

namespace {

const QString kSignIn = u"Software\\Quorvel Labs\\N7_Fetchling\\frmDiadocAutorization"_s;
const QString kOptions = u"Software\\Quorvel Labs\\N7_Fetchling\\Options"_s;
const QDate kToday(2026, 12, 9);

struct NumberCase
{
    const char* name;
    bool signIn;
    int (mFetchlingOptions::*get)() const;
    int (mFetchlingOptions::*set)(int);
    int byDefault;
    std::optional<std::pair<int, int>> range;
};

using M = mFetchlingOptions;
constexpr std::pair<int, int> kFlag{0, 1};
constexpr std::pair<int, int> kTristate{-1, 1};
constexpr std::pair<int, int> kLimit{1, 999};

const NumberCase kNumbers[] = {
    {"TypeDiadocAccount", true, &M::Get_TypeDiadocAccount, &M::Set_TypeDiadocAccount, 1, std::nullopt},
    {"AutomaticAutorization", true, &M::Get_AutomaticAutorization, &M::Set_AutomaticAutorization, 1, kFlag},
    {"DateTypeSelect", false, &M::Get_DateTypeSelect, &M::Set_DateTypeSelect, 0, kFlag},
    {"Finished", false, &M::Get_Finished, &M::Set_Finished, 1, kFlag},
    {"Internal", false, &M::Get_Internal, &M::Set_Internal, 0, kFlag},
    {"NoSended", false, &M::Get_NoSended, &M::Set_NoSended, 0, kFlag},
    {"Revoked", false, &M::GetDefault_Revoked, &M::Set_Revoked, 0, kFlag},
    {"SignatureRejected", false, &M::GetDefault_SignatureRejected, &M::Set_SignatureRejected, 0, kFlag},
    {"Protocol", false, &M::GetDefault_Protocol, &M::Set_Protocol, 1, kFlag},
    {"GroupIntoPackages", false, &M::Get_GroupIntoPackages, &M::Set_GroupIntoPackages, 0, kTristate},
    {"MaxFolderNameLength", false, &M::Get_MaxFolderNameLength, &M::Set_MaxFolderNameLength, 100, kLimit},
    {"ExcludeNegligible", false, &M::Get_ExcludeNegligible, &M::Set_ExcludeNegligible, 1, kTristate},
    {"DateEndYesterday", false, &M::Get_DateEndYesterday, &M::Set_DateEndYesterday, 0, kTristate},
    {"DateBeginMove", false, &M::Get_DateBeginMove, &M::Set_DateBeginMove, 0, kTristate},
    {"HtmlProtocol", false, &M::Get_HtmlProtocol, &M::Set_HtmlProtocol, 1, kTristate},
    {"ExcelProtocol", false, &M::Get_ExcelProtocol, &M::Set_ExcelProtocol, 1, kTristate},
    {"CsvProtocol", false, &M::Get_CsvProtocol, &M::Set_CsvProtocol, 0, kTristate},
    {"SelectiveDocTypes", false, &M::Get_SelectiveDocTypes, &M::Set_SelectiveDocTypes, 0, kTristate},
    {"ExcludeMHD", false, &M::Get_ExcludeMHD, &M::Set_ExcludeMHD, 1, kTristate},
    {"DaysCountLimit", false, &M::Get_DaysCountLimit, &M::Set_DaysCountLimit, 0, std::nullopt},
    {"TasksLimit", false, &M::Get_TasksLimit, &M::Set_TasksLimit, 30, kLimit},
    {"DocsLimit", false, &M::Get_DocsLimit, &M::Set_DocsLimit, 30, kLimit},
    {"LimitDocsInMemory", false, &M::Get_LimitDocsInMemory, &M::Set_LimitDocsInMemory, 200, kLimit},
    {"TimeOut", false, &M::Get_TimeOut, &M::Set_TimeOut, 100, kLimit},
    {"LoadContentByZip", false, &M::Get_LoadContentByZip, &M::Set_LoadContentByZip, 1, kTristate},
    {"CreateLogFile", false, &M::Get_CreateLogFile, &M::Set_CreateLogFile, 0, kTristate},
};

struct TextCase
{
    const char* name;
    bool signIn;
    QString (mFetchlingOptions::*get)() const;
    QString (mFetchlingOptions::*set)(QString);
    QString byDefault;
};

const QString kDefaultStructure = u"Наименование организации?\\?Год?\\?Наименование контрагента?\\?Документ"_s;

const TextCase kTexts[] = {
    {"KeyDiadocAPI", true, &M::Get_KeyDiadocAPI, &M::Set_KeyDiadocAPI, QString()},
    {"DiadocServerURL", true, &M::Get_DiadocServerURL, &M::Set_DiadocServerURL, QString()},
    {"C", true, &M::GetDefault_Certificate, &M::Set_Certificate, QString()},
    {"Path", false, &M::GetDefault_Path, &M::Set_Path, QString()},
    {"FromDate", false, &M::Get_FromDate, &M::Set_FromDate, u"09.12.2026"_s},
    {"ToDate", false, &M::GetDefault_ToDate, &M::Set_ToDate, u"09.12.2026"_s},
    {"StructurePath", false, &M::Get_StructurePath, &M::Set_StructurePath, kDefaultStructure},
    {"LastDateEnd", false, &M::GetDefault_LastDateEnd, &M::Set_LastDateEnd, QString()},
};

class FetchlingOptionsTest : public testing::Test
{
protected:
    testsupport::TestRegistry store;
    mFetchlingOptions options{store.utility, [] { return kToday; }};

    std::optional<platform::registry::Value> raw(bool signIn, const char* name) const
    {
        return store.registry.read(Hive::User, signIn ? kSignIn : kOptions, QString::fromLatin1(name));
    }
    void storeNumber(bool signIn, const char* name, int value)
    {
        store.registry.write(Hive::User, signIn ? kSignIn : kOptions, QString::fromLatin1(name),
                             static_cast<quint32>(value));
    }
};

} // namespace

TEST_F(FetchlingOptionsTest, EveryNumberOptionAppliesItsDefaultAndRange)
{
    for (const NumberCase& c : kNumbers) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ((options.*c.get)(), c.byDefault) << "nothing stored";
        if (c.range) {
            const auto [low, high] = *c.range;
            storeNumber(c.signIn, c.name, low);
            EXPECT_EQ((options.*c.get)(), low);
            storeNumber(c.signIn, c.name, high);
            EXPECT_EQ((options.*c.get)(), high);
            storeNumber(c.signIn, c.name, low - 1);
            EXPECT_EQ((options.*c.get)(), c.byDefault) << "below the range";
            storeNumber(c.signIn, c.name, high + 1);
            EXPECT_EQ((options.*c.get)(), c.byDefault) << "above the range";

            // The setter stores what it is given and answers the value as the getter read it.
            storeNumber(c.signIn, c.name, high);
            EXPECT_EQ((options.*c.set)(high + 1), high);
            EXPECT_EQ(raw(c.signIn, c.name), platform::registry::Value(static_cast<quint32>(high + 1)));
            EXPECT_EQ((options.*c.set)(low), c.byDefault) << "an out-of-range value comes back as the default";
            EXPECT_EQ((options.*c.get)(), low);
        } else {
            storeNumber(c.signIn, c.name, -5);
            EXPECT_EQ((options.*c.get)(), -5);
            EXPECT_EQ((options.*c.set)(7), -5);
            EXPECT_EQ((options.*c.get)(), 7);
        }
    }
}

TEST_F(FetchlingOptionsTest, EveryTextOptionReadsAsStoredOrItsDefault)
{
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ((options.*c.get)(), c.byDefault);
        EXPECT_EQ((options.*c.set)(u"Первое значение"_s), c.byDefault);
        EXPECT_EQ((options.*c.set)(QString()), u"Первое значение"_s);
        EXPECT_EQ(raw(c.signIn, c.name), platform::registry::Value(QString()));
        EXPECT_EQ((options.*c.get)(), QString()) << "an empty stored text is no missing value";
    }
}

TEST_F(FetchlingOptionsTest, TheTablesCoverEveryOption)
{
    EXPECT_EQ(std::size(kNumbers) + std::size(kTexts), static_cast<std::size_t>(M::Option::CreateLogFile) + 1);
}

TEST_F(FetchlingOptionsTest, EdgeCasesOfTheStoredRanges)
{
    storeNumber(false, "TasksLimit", 0);
    EXPECT_EQ(options.Get_TasksLimit(), 30);
    storeNumber(false, "TasksLimit", 1000);
    EXPECT_EQ(options.Get_TasksLimit(), 30);
    storeNumber(false, "TasksLimit", 999);
    EXPECT_EQ(options.Get_TasksLimit(), 999);
    storeNumber(false, "Finished", -1);
    EXPECT_EQ(options.Get_Finished(), 1);
    storeNumber(false, "HtmlProtocol", -1);
    EXPECT_EQ(options.Get_HtmlProtocol(), -1);
    storeNumber(true, "TypeDiadocAccount", 7);
    EXPECT_EQ(options.Get_TypeDiadocAccount(), 7);
    EXPECT_EQ(options.Set_TasksLimit(0), 999);
    EXPECT_EQ(options.Get_TasksLimit(), 30);
}

TEST_F(FetchlingOptionsTest, ANumberStoredAsTextIsReadAsANumber)
{
    store.registry.write(Hive::User, kOptions, u"DocsLimit"_s, u"45"_s);
    EXPECT_EQ(options.Get_DocsLimit(), 45);
    store.registry.write(Hive::User, kOptions, u"DocsLimit"_s, u"много"_s);
    EXPECT_EQ(options.Get_DocsLimit(), 30);
}

TEST_F(FetchlingOptionsTest, LoginAndPasswordMoveFromThePlainToTheTransformedValue)
{
    struct Credential
    {
        const char* transformed;
        const char* plain;
        QString (M::*get)() const;
        QString (M::*set)(QString);
    };
    const Credential credentials[] = {{"XL", "L", &M::Get_Login, &M::Set_Login},
                                      {"XP", "P", &M::GetDefault_Password, &M::Set_Password}};
    for (const Credential& c : credentials) {
        SCOPED_TRACE(c.transformed);
        EXPECT_EQ((options.*c.get)(), QString());
        store.registry.write(Hive::User, kSignIn, QString::fromLatin1(c.plain), u"старый вход"_s);
        EXPECT_EQ((options.*c.get)(), u"старый вход"_s) << "the older plain value is read unchanged";

        EXPECT_EQ((options.*c.set)(u"новый вход"_s), u"старый вход"_s);
        EXPECT_EQ(raw(true, c.plain), platform::registry::Value(QString())) << "the plain value is cleared";
        const auto transformed = raw(true, c.transformed);
        ASSERT_TRUE(transformed.has_value());
        EXPECT_NE(std::get<QString>(*transformed), u"новый вход"_s) << "never stored in plain sight";
        EXPECT_EQ((options.*c.get)(), u"новый вход"_s);
    }
}

TEST_F(FetchlingOptionsTest, AFailingStoreCarriesTheAccessorInItsTrail)
{
    QFile file(store.registry.fileOf(Hive::User));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ not json");
    file.close();
    try {
        options.Get_TasksLimit();
        FAIL() << "a damaged store must raise";
    } catch (const core::Error& e) {
        EXPECT_TRUE(
            e.description().startsWith(u"[N7_Fetchling::mFetchlingOptions.Get_TasksLimit]\r\n[JsonRegistry]\r\n"_s))
            << e.description().toStdString();
    }
}
