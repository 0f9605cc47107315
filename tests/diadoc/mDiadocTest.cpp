#include <gtest/gtest.h>

#include "SandboxFixture.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/DiadocClient.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/SandboxService.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadoc;
using namespace platform::diadoc;

namespace {

const QString kDefaultKey = u"tallowGrange-3f9a1c7e52d04b8a9e6f21c4d8b07a5e"_s;
const QString kMask = u"*************5e"_s;

class mDiadocTest : public ::testing::Test
{
protected:
    mDiadocTest()
    {
        options.Set_DiadocServerURL(sandbox.url());
        options.Set_TypeDiadocAccount(1);
        options.Set_Login(u"buh@romashka.ru"_s);
        options.Set_Password(u"секрет"_s);
    }

    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    testsupport::SandboxFixture sandbox;
    mDiadoc diadoc{sandbox.factory, options};
};

// A certificate whose fields the test sets, to show the display name's cases.
class FakeCertificate final : public DiadocCertificate
{
public:
    FakeCertificate(QString name, QString org, QString inn, QString kpp)
        : m_name(std::move(name))
        , m_org(std::move(org))
        , m_inn(std::move(inn))
        , m_kpp(std::move(kpp))
    {
    }
    QString Name() const override { return m_name; }
    QString OrganizationName() const override { return m_org; }
    QString Inn() const override { return m_inn; }
    QString Kpp() const override { return m_kpp; }
    QDateTime BeginDate() const override { return QDateTime(QDate(2024, 1, 5), QTime(10, 0)); }
    QDateTime EndDate() const override { return QDateTime(QDate(2025, 4, 15), QTime(23, 59)); }
    QString Thumbprint() const override { return {}; }
    Variant IsQualifiedElectronicSignature() const override { return {}; }

private:
    QString m_name, m_org, m_inn, m_kpp;
};

TEST_F(mDiadocTest, SignsInByLoginAgainstTheSandbox)
{
    QString error = u"old text"_s;
    const auto connection = diadoc.GetConnectionDiadocAPIEx(QString(), error);
    ASSERT_TRUE(connection);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(connection->GetOrganizationList()->Count(), 2);
}

TEST_F(mDiadocTest, AWrongPasswordLeavesTheServiceTextAndNoConnection)
{
    options.Set_Password(u"неверный"_s);
    QString error;
    EXPECT_FALSE(diadoc.GetConnectionDiadocAPIEx(QString(), error));
    EXPECT_EQ(error,
              u"##100[Ошибка сервера Диадок]code:401, HTTP error: Wrong password provided for login buh@romashka.ru"_s);
    EXPECT_FALSE(diadoc.GetConnectionDiadocAPIEx(u"unknown-key"_s, error));
    EXPECT_EQ(error, u"##100[Ошибка сервера Диадок]code:401, HTTP error: Invalid API client id"_s);
}

TEST_F(mDiadocTest, AnyAccountTypeButOneSignsInByCertificate)
{
    for (const int type : {2, 0, 7}) {
        SCOPED_TRACE(type);
        options.Set_TypeDiadocAccount(type);
        options.Set_Certificate(u"AA11"_s);
        QString error;
        const auto connection = diadoc.GetConnectionDiadocAPIEx(QString(), error);
        ASSERT_TRUE(connection);
        EXPECT_EQ(connection->Certificate()->Thumbprint(), u"AA11"_s);
    }
}

TEST_F(mDiadocTest, KeysAndTheServerUrlAreWrittenToTheClient)
{
    struct Case
    {
        QString key;
        QString expected;
    };
    const Case cases[] = {{QString(), kDefaultKey},
                          {kMask, kDefaultKey},
                          {QString(15, u'*'), kDefaultKey},
                          {u"my-key"_s, u"my-key"_s},
                          {u"*************5E"_s, u"*************5E"_s}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        QString error;
        EXPECT_EQ(diadoc.GetDiadocAPIEx(c.key, error)->ApiClientId(), c.expected);
    }
    options.Set_DiadocServerURL(QString());
    QString error;
    const auto client = diadoc.GetDiadocAPIEx(QString(), error);
    EXPECT_EQ(client->ServerUrl(), u"https://diadoc-api.kontur.ru:443"_s);
    // The default endpoint is no sandbox: connecting to it fails with a connection error text.
    EXPECT_FALSE(diadoc.GetConnectionDiadocAPIEx(QString(), error));
    EXPECT_TRUE(error.startsWith(u"COM1C.HTTP_ERROR["_s));
}

TEST_F(mDiadocTest, KeyMasks)
{
    EXPECT_EQ(mDiadoc::KeyDiadocAPIToVisualKey(kDefaultKey), kMask);
    EXPECT_EQ(mDiadoc::KeyDiadocAPIToVisualKey(u"other"_s), u"other"_s);
    EXPECT_EQ(mDiadoc::VisualKeyToKeyDiadocAPI(kMask), kDefaultKey);
    EXPECT_EQ(mDiadoc::VisualKeyToKeyDiadocAPI(u"**************"_s), u"**************"_s);
    EXPECT_EQ(QString::fromUtf16(mDiadoc::kDefaultApiClientId).size(), 45);
}

TEST_F(mDiadocTest, AMissingLibraryGivesEmptyResultsAndTheCreationError)
{
    sandbox.factory.failCreation();
    const QString creation = u"ActiveX component can't create object"_s;
    QString error;
    EXPECT_FALSE(diadoc.IsDiadocAPI(error));
    EXPECT_EQ(error, creation);
    error.clear();
    EXPECT_EQ(diadoc.GetVersionDiadocAPI(error), u"?.??.?.???"_s);
    EXPECT_EQ(error, creation);
    EXPECT_FALSE(diadoc.GetConnectionDiadocAPIEx(QString(), error));
    EXPECT_FALSE(diadoc.GetDiadocPersonalCertificates(error));
    EXPECT_EQ(diadoc.GetDiadocPersonalCertificateName(u"AA11"_s, error), u"? ("_s + creation + u')');
}

TEST_F(mDiadocTest, VersionAndCertificatesFromTheSandbox)
{
    QString error = u"stale"_s;
    EXPECT_TRUE(diadoc.IsDiadocAPI(error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(diadoc.GetVersionDiadocAPI(error), u"2.14.6.210"_s);
    EXPECT_EQ(diadoc.GetDiadocPersonalCertificates(error)->Count(), 2);
    EXPECT_EQ(
        diadoc.GetDiadocPersonalCertificateName(u"AA11"_s, error),
        u"Иванов Иван Иванович, 7701234567 - 770101001, ООО «Ромашка» (действителен c 15.01.2024 по 15.04.2025)"_s);
    EXPECT_TRUE(error.isEmpty());
    const QString name = diadoc.GetDiadocPersonalCertificateName(u"FF00"_s, error);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(name, u"? ("_s + error + u')');
    EXPECT_FALSE(name.contains(u"FF00"_s) && !error.contains(u"FF00"_s));
}

TEST_F(mDiadocTest, AFailingVersionCallGivesAnEmptyVersion)
{
    FaultRule rule;
    rule.operation = u"GetFullVersion"_s;
    rule.text = u"bad allocation"_s;
    sandbox.factory.service(sandbox.url())->addFault(rule);
    QString error;
    EXPECT_EQ(diadoc.GetVersionDiadocAPI(error), QString());
    EXPECT_EQ(error, u"bad allocation"_s);
}

TEST(GetNameCertificateTest, DisplayNames)
{
    struct Case
    {
        QString name, org, inn, kpp, expected;
    };
    const QString period = u" (действителен c 05.01.2024 по 15.04.2025)"_s;
    const Case cases[] = {
        {u"Иванов"_s, u"ООО «А»"_s, u"7701"_s, u"7702"_s, u"Иванов, 7701 - 7702, ООО «А»"_s},
        {u"Иванов"_s, QString(), QString(), QString(), u"Иванов"_s},
        {u"Иванов"_s, QString(), QString(), u"7702"_s, u"Иванов, 7702"_s},
        {u"Иванов"_s, QString(), u"7701"_s, QString(), u"Иванов, 7701"_s},
        {u"ООО «А»"_s, u"ООО «А»"_s, u"7701"_s, QString(), u"ООО «А», 7701"_s},
        {u"Иванов"_s, u"ООО «А»"_s, QString(), QString(), u"Иванов, ООО «А»"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(mDiadoc::GetNameCertificate(std::make_shared<FakeCertificate>(c.name, c.org, c.inn, c.kpp)),
                  c.expected + period);
    }
    EXPECT_EQ(mDiadoc::GetNameCertificate(nullptr), QString());
    // The letter after "действителен" is the Latin c.
    EXPECT_TRUE(period.contains(QChar(u'c')));
}

} // namespace
