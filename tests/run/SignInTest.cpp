#include "run/SignIn.h"
#include "RunFixture.h"

namespace testsupport {

namespace {

const QString kSampleThumbprint = u"3F6A1C0B9E2D4F5A6B7C8D9E0F1A2B3C4D5E6F70"_s;

} // namespace

class SignInTest : public RunFixture
{
};

// Which stored settings name an account, and how a sign-in with them ends over the sample.
struct AccountCase
{
    const char* name;
    int kind;
    QString login;
    QString thumbprint;
    bool hasAccount;
    run::SignIn::Result result;
};

void PrintTo(const AccountCase& c, std::ostream* out)
{
    *out << c.name;
}

class SignInAccountTest : public SignInTest, public testing::WithParamInterface<AccountCase>
{
};

TEST_P(SignInAccountTest, OnlyAStoredAccountIsTriedAndTheOutcomeSaysHowItEnded)
{
    const AccountCase& c = GetParam();
    options.Set_TypeDiadocAccount(c.kind);
    options.Set_Login(c.login);
    options.Set_Certificate(c.thumbprint);
    const run::SignIn signIn(options, diadoc, ui);

    EXPECT_EQ(signIn.hasAccount(), c.hasAccount);
    const auto outcome = signIn.signIn();
    EXPECT_EQ(outcome.attempted, c.hasAccount);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.byLogin, c.hasAccount && c.kind == 1);
    EXPECT_EQ(outcome.failed, c.result != run::SignIn::Result::SignedIn);
    EXPECT_EQ(outcome.organisations.persons->isEmpty(), c.result != run::SignIn::Result::SignedIn);
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, SignInAccountTest,
    testing::Values(
        AccountCase{"Login", 1, u"buh@romashka.ru"_s, {}, true, run::SignIn::Result::SignedIn},
        AccountCase{"NoLogin", 1, {}, kSampleThumbprint, false, run::SignIn::Result::NotAttempted},
        AccountCase{"Certificate", 2, {}, kSampleThumbprint, true, run::SignIn::Result::SignedIn},
        AccountCase{"NoCertificate", 2, u"buh@romashka.ru"_s, {}, false, run::SignIn::Result::NotAttempted},
        // Another kind signs in by certificate and lets the connection tell what is missing.
        AccountCase{
            "OtherKindWithoutCertificate", 3, u"buh@romashka.ru"_s, {}, true, run::SignIn::Result::NotConnected}),
    [](const testing::TestParamInfo<AccountCase>& row) { return std::string(row.param.name); });

TEST_F(SignInTest, AStartSignsInWhenTheAutomaticSignInIsOnOrTheStartIsUnattended)
{
    options.Set_AutomaticAutorization(0);
    EXPECT_FALSE(run::SignIn::signsInAtStart(options, false));
    EXPECT_TRUE(run::SignIn::signsInAtStart(options, true));
    options.Set_AutomaticAutorization(1);
    EXPECT_TRUE(run::SignIn::signsInAtStart(options, false));
}

} // namespace testsupport
