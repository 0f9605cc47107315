#include <optional>
#include <variant>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/FamilySettings.h"
#include "core/VbNumbers.h"
#include "core/mRegistryTools.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using core::mRegistryTools;
using platform::registry::Hive;
using platform::registry::Value;

namespace {

constexpr quint32 HKLM = mRegistryTools::HKEY_LOCAL_MACHINE;
constexpr quint32 HKCU = mRegistryTools::HKEY_CURRENT_USER;
const QString kKey = u"SOFTWARE\\Vendor\\Product"_s;

class RegistryToolsTest : public ::testing::Test
{
protected:
    void seed(Hive hive, const QString& name, const Value& value) { store.registry.write(hive, kKey, name, value); }

    testsupport::TestRegistry store;
    mRegistryTools tools{store.registry};
};

TEST_F(RegistryToolsTest, ReadRegistryValueGivesEachTypeAsTheReaderSeesIt)
{
    seed(Hive::Machine, u"dword"_s, quint32{0xFFFFFFFF});
    seed(Hive::Machine, u"text"_s, u"abc"_s);
    seed(Hive::Machine, u"empty"_s, QString());
    seed(Hive::Machine, u"multi"_s, QStringList{u"a"_s, u"b"_s});
    seed(Hive::Machine, u"nomulti"_s, QStringList());
    seed(Hive::Machine, u"binary"_s, QByteArray("\x01\x02", 2));
    seed(Hive::Machine, u"nobinary"_s, QByteArray());
    seed(Hive::Machine, u"qword"_s, quint64{5});

    struct Case
    {
        const char* name;
        int type;
        mRegistryTools::Variant value;
    };
    const Case cases[] = {
        {"dword", mRegistryTools::REG_DWORD, qint32{-1}},
        {"text", mRegistryTools::REG_SZ, u"abc"_s},
        {"empty", mRegistryTools::REG_SZ, QString()},
        {"multi", mRegistryTools::REG_MULTI_SZ, QStringList{u"a"_s, u"b"_s, QString()}},
        {"nomulti", mRegistryTools::REG_MULTI_SZ, QStringList()},
        {"binary", mRegistryTools::REG_BINARY, QByteArray("\x01\x02\x00", 3)},
        {"nobinary", mRegistryTools::REG_BINARY, QByteArray()},
        {"qword", mRegistryTools::REG_QWORD, std::monostate{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mRegistryTools::Variant value = u"stale"_s;
        int type = -1;
        EXPECT_TRUE(tools.ReadRegistryValue(HKLM, kKey, QString::fromLatin1(c.name), value, type, 0));
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(tools.openKeyCount(), 0);
}

TEST_F(RegistryToolsTest, MissingKeyValueOrRootReadsAsFailureWithNull)
{
    seed(Hive::Machine, u"present"_s, u"x"_s);
    mRegistryTools::Variant value = u"stale"_s;
    int type = 99;
    EXPECT_FALSE(tools.ReadRegistryValue(HKLM, kKey, u"absent"_s, value, type, 0));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
    EXPECT_EQ(type, 0);
    EXPECT_FALSE(tools.ReadRegistryValue(HKLM, kKey + u"\\Sub"_s, u"present"_s, value, type, 0));
    EXPECT_FALSE(tools.ReadRegistryValue(HKCU, kKey, u"present"_s, value, type, 0));
    EXPECT_FALSE(tools.ReadRegistryValue(0x80000003U, kKey, u"present"_s, value, type, 0));
    EXPECT_EQ(tools.openKeyCount(), 0);
}

TEST_F(RegistryToolsTest, OpenAndCloseAnswerWin32Codes)
{
    seed(Hive::User, u"v"_s, u"x"_s);
    quintptr handle = 77;
    EXPECT_EQ(tools.OpenRegistryKey(HKCU, u"Nowhere"_s, 1, handle), mRegistryTools::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(handle, 0U);
    ASSERT_EQ(tools.OpenRegistryKey(HKCU, kKey, 1, handle), 0);
    EXPECT_NE(handle, 0U);
    int type = 0;
    mRegistryTools::Variant value;
    EXPECT_EQ(tools.QueryRegistryValue(handle, u"missing"_s, type, value), mRegistryTools::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(tools.QueryRegistryValue(handle, u"V"_s, type, value), 0);
    EXPECT_EQ(tools.CloseRegistryKey(handle), 0);
    EXPECT_EQ(tools.CloseRegistryKey(handle), mRegistryTools::ERROR_INVALID_HANDLE);
    EXPECT_EQ(tools.QueryRegistryValue(handle, u"V"_s, type, value), mRegistryTools::ERROR_INVALID_HANDLE);
}

TEST(RegistryAccessMask, ViewFlagsGiveTheAccessMasks)
{
    EXPECT_EQ(mRegistryTools::accessMaskFor(0), 1U);
    EXPECT_EQ(mRegistryTools::accessMaskFor(1), 257U);
    EXPECT_EQ(mRegistryTools::accessMaskFor(2), 513U);
    EXPECT_EQ(mRegistryTools::accessMaskFor(3), 257U); // the 64-bit view wins
}

TEST_F(RegistryToolsTest, TypedReadersConvertOrFallBackToTheDefault)
{
    seed(Hive::Machine, u"dword"_s, quint32{394802});
    seed(Hive::Machine, u"negative"_s, quint32{0xFFFFFFFE});
    seed(Hive::Machine, u"digits"_s, u"394802"_s);
    seed(Hive::Machine, u"letters"_s, u"abc"_s);
    seed(Hive::Machine, u"empty"_s, QString());
    seed(Hive::Machine, u"half"_s, u"2.5"_s);
    seed(Hive::Machine, u"hex"_s, u"&H1F"_s);
    seed(Hive::Machine, u"huge"_s, u"3000000000"_s);
    seed(Hive::Machine, u"qword"_s, quint64{7});
    seed(Hive::Machine, u"multi"_s, QStringList{u"1"_s});
    seed(Hive::Machine, u"binary"_s, QByteArray("12"));

    struct Case
    {
        const char* name;
        QString asText;
        qint32 asLong;
    };
    const Case cases[] = {
        {"dword", u"394802"_s, 394802}, {"negative", u"-2"_s, -2}, {"digits", u"394802"_s, 394802},
        {"letters", u"abc"_s, -7},      {"empty", QString(), -7}, // an empty text is a value: not the default
        {"half", u"2.5"_s, 2},          {"hex", u"&H1F"_s, 31},    {"huge", u"3000000000"_s, -7},
        {"qword", u"dflt"_s, -7},       {"multi", u"dflt"_s, -7},  {"binary", u"dflt"_s, -7},
        {"missing", u"dflt"_s, -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(tools.ReadRegistryString(HKLM, kKey, name, u"dflt"_s), c.asText);
        EXPECT_EQ(tools.ReadRegistryLong(HKLM, kKey, name, -7, 0), c.asLong);
        EXPECT_EQ(tools.ReadRegistryLong(HKLM, kKey, name, -7, 3), c.asLong);
    }
    EXPECT_EQ(tools.ReadRegistryString(HKCU, kKey, u"dword"_s, u"dflt"_s), u"dflt"_s);
}

TEST(ConcatenateRegistryKeys, JoinsWithOneBackslash)
{
    struct Case
    {
        QString first;
        QString second;
        QString joined;
    };
    const Case cases[] = {
        {u"A\\"_s, u"\\B"_s, u"A\\B"_s},         {u"A"_s, u"B"_s, u"A\\B"_s},
        {u"A\\\\"_s, u"\\\\B"_s, u"A\\\\\\B"_s}, // only one backslash goes from each side
        {QString(), u"\\B"_s, u"\\B"_s},         {u"A"_s, QString(), u"A\\"_s},
        {u"A\\"_s, QString(), u"A\\"_s},         {QString(), QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(c.first + u" + "_s + c.second).toStdString());
        EXPECT_EQ(core::ConcatenateRegistryKeys(c.first, c.second), c.joined);
    }
}

TEST_F(RegistryToolsTest, ProductSettingIsReadBelowTheFamilyKeyOfTheChosenHive)
{
    store.registry.write(Hive::Machine, u"SOFTWARE\\Quorvel Labs\\Larimo9\\General"_s, u"RootPath"_s, u"C:\\Larimo9"_s);
    store.registry.write(Hive::User, u"Software\\Quorvel Labs\\Larimo9\\General"_s, u"RootPath"_s, u"D:\\Own"_s);
    store.registry.write(Hive::Machine, u"SOFTWARE\\Quorvel Labs\\Larimo9\\General"_s, u"Build"_s, quint32{12});

    EXPECT_EQ(core::GetProductSetting_String(tools, true, u"General"_s, u"RootPath"_s, QString()), u"C:\\Larimo9"_s);
    EXPECT_EQ(core::GetProductSetting_String(tools, false, u"\\General"_s, u"rootpath"_s, QString()), u"D:\\Own"_s);
    EXPECT_EQ(core::GetProductSetting_String(tools, true, u"General"_s, u"Build"_s, QString()), u"12"_s);
    EXPECT_EQ(core::GetProductSetting_String(tools, true, u"Other"_s, u"RootPath"_s, u"none"_s), u"none"_s);
}

// A store that cannot be read: its failure must reach the caller with the place it passed.
class BrokenRegistry final : public platform::registry::Registry
{
public:
    std::optional<Value> read(Hive, const QString&, const QString&) const override
    {
        throw core::Error(5, u"Access denied"_s);
    }
    void write(Hive, const QString&, const QString&, const Value&) override {}
    void removeValue(Hive, const QString&, const QString&) override {}
    bool keyExists(Hive, const QString&) const override { return true; }
    QStringList valueNames(Hive, const QString&) const override { return {}; }
    QStringList subKeys(Hive, const QString&) const override { return {}; }
    void beginBatch(Hive) override {}
    void commitBatch() override {}
    void discardBatch() noexcept override {}
};

TEST(ProductSetting, StoreFailurePassesOnWithItsPlace)
{
    BrokenRegistry broken;
    mRegistryTools tools(broken);
    try {
        core::GetProductSetting_String(tools, true, u"General"_s, u"RootPath"_s, QString());
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_TRUE(e.description().contains(u"mFetchlingOptions.GetProductSetting_String"_s))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().endsWith(u"Access denied"_s));
    }
    EXPECT_EQ(tools.openKeyCount(), 0);
}

TEST(VbLongFromText, FollowsClng)
{
    struct Case
    {
        const char* text;
        std::optional<qint32> value;
    };
    const Case cases[] = {
        {"394802", 394802},
        {"  42\t", 42},
        {"-17", -17},
        {"+8", 8},
        {"0.5", 0},
        {"1.5", 2},
        {"2.5", 2},
        {"-2.5", -2},
        {"-3.5", -4},
        {"2.500001", 3},
        {".5", 0},
        {"7.", 7},
        {"1E3", 1000},
        {"1.5e1", 15},
        {"25D-1", 2},
        {"&H10", 16},
        {"&hff", 255},
        {"&HFFFFFFFF", -1},
        {"&O17", 15},
        {"2147483647", 2147483647},
        {"2147483647.4", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483647.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"&H100000000", std::nullopt},
        {"1e10", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1,5", 2},
        {"2,5", 2},
        {"&H", std::nullopt},
        {"&HG", std::nullopt},
        {"&O8", std::nullopt},
        {"1e", std::nullopt},
        {"-", std::nullopt},
        {"٣", std::nullopt}, // digits of other scripts are not numbers here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core::vbLongFromText(QString::fromUtf8(c.text)), c.value);
    }
}

TEST(VbRoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(core::vbRoundHalfEven(0.5), 0.0);
    EXPECT_EQ(core::vbRoundHalfEven(1.5), 2.0);
    EXPECT_EQ(core::vbRoundHalfEven(2.5), 2.0);
    EXPECT_EQ(core::vbRoundHalfEven(-0.5), 0.0);
    EXPECT_EQ(core::vbRoundHalfEven(-1.5), -2.0);
    EXPECT_EQ(core::vbRoundHalfEven(2.49), 2.0);
    EXPECT_EQ(core::vbRoundHalfEven(2.51), 3.0);
}

} // namespace
