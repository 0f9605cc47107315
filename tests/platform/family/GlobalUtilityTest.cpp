#include <gtest/gtest.h>

#include "base/Error.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using platform::registry::Hive;
using platform::registry::Value;

namespace {

const QString kKey = u"Software\\Quorvel Labs\\N7_Fetchling\\Options"_s;

class GlobalUtilityTest : public testing::Test
{
protected:
    testsupport::TestRegistry store;
    platform::family::GlobalUtility& utility = store.utility;
};

} // namespace

TEST_F(GlobalUtilityTest, CredentialTransformRoundTripsAnyText)
{
    const QString texts[] = {u"a"_s,       u"пароль"_s,         u"  spaces  "_s,   u"\"quotes\" & <tags>"_s,
                             u"😀 emoji"_s, QString(1000, u'ж'), u"line\r\nbreak"_s};
    for (const QString& text : texts) {
        const QString stored = utility.TransformCredential(text, 0);
        EXPECT_NE(stored, text);
        EXPECT_EQ(utility.TransformCredential(stored, 1), text);
    }
}

TEST_F(GlobalUtilityTest, CredentialTransformGivesEmptyForEmptyAndUndecodableInput)
{
    EXPECT_EQ(utility.TransformCredential(QString(), 0), QString());
    EXPECT_EQ(utility.TransformCredential(QString(), 1), QString());
    const QString stored = utility.TransformCredential(u"secret"_s, 0);
    const QString damaged[] = {u"plain login"_s,   u"n7c1:"_s, u"n7c1:@@@"_s, stored.left(stored.size() - 4),
                               stored + u"AAAA"_s, u"n7c1:ж"_s};
    for (const QString& text : damaged)
        EXPECT_EQ(utility.TransformCredential(text, 1), QString()) << text.toStdString();
}

TEST_F(GlobalUtilityTest, RegistryValuesRoundTripWithTheirDefaults)
{
    EXPECT_EQ(utility.RegistryGetLong(kKey, u"Missing"_s, 17), 17);
    EXPECT_EQ(utility.RegistryGetString(kKey, u"Missing"_s, u"def"_s), u"def"_s);

    utility.RegistrySetValue(kKey, u"Number"_s, -1);
    EXPECT_EQ(store.registry.read(Hive::User, kKey, u"Number"_s), Value(quint32{0xFFFFFFFF}));
    EXPECT_EQ(utility.RegistryGetLongVar(kKey, u"Number"_s, 0), -1);
    EXPECT_EQ(utility.RegistryGetString(kKey, u"Number"_s, QString()), u"-1"_s);

    utility.RegistrySetValue(kKey, u"Short"_s, QVariant::fromValue<short>(12));
    EXPECT_EQ(utility.RegistryGetLong(kKey, u"Short"_s, 0), 12);
    utility.RegistrySetValue(kKey, u"Single"_s, QVariant::fromValue(2.5f));
    EXPECT_EQ(utility.RegistryGetLong(kKey, u"Single"_s, 0), 2) << "halves go to the even number";

    utility.RegistrySetValue(kKey, u"Text"_s, u"Текст"_s);
    EXPECT_EQ(utility.RegistryGetString(kKey, u"Text"_s, QString()), u"Текст"_s);
    EXPECT_EQ(utility.RegistryGetLong(kKey, u"Text"_s, 9), 9);

    EXPECT_THROW(utility.RegistrySetValue(kKey, u"Bad"_s, QVariant(QDate(2026, 1, 1))), core::Error);
}

TEST_F(GlobalUtilityTest, FindsTextCutsTokensTrimsAndTellsTheQuarter)
{
    EXPECT_EQ(utility.TextPosition(u"code:"_s, u"##100[Ошибка сервера Диадок]code:404"_s), 29);
    EXPECT_LT(utility.TextPosition(u"CODE:"_s, u"code:"_s), 1);
    EXPECT_EQ(utility.GetToken(u"org1|dep2"_s, u"|"_s, 1), u"org1"_s);
    EXPECT_EQ(utility.GetToken(u"16.0.1"_s, u"."_s, 2), u"0"_s);
    EXPECT_EQ(utility.GetToken(u"16"_s, u"."_s, 3), QString());
    EXPECT_EQ(utility.RemoveTrailingChar(u"/data/out//"_s, u"/"_s), u"/data/out"_s);
    EXPECT_EQ(utility.RemoveChars(u"\"«»"_s, u"ООО «Ромашка» \"1\""_s, 0), u"ООО Ромашка 1"_s);
    const int quarters[] = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(utility.QuarterOfDate(QDate(2026, month, 15)), quarters[month - 1]);
}
