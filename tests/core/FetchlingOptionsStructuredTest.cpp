#include <QDate>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/DocTypesProvider.h"
#include "core/mFetchlingOptions.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using core::KeyAndName;
using core::mFetchlingOptions;
using platform::registry::Hive;
using Row = mFetchlingOptions::DocNameExclude;

namespace {

const QString kExclude = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\DocNamesExclude"_s;
const QString kDocTypes = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\DocTypes"_s;
const QString kTicks = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\OrgCheccked"_s;

class Organisation final : public core::DocTypesProvider
{
public:
    explicit Organisation(QList<KeyAndName> types, bool fails = false)
        : m_types(std::move(types))
        , m_fails(fails)
    {
    }
    std::shared_ptr<const core::KeyedCollection<KeyAndName>> CollectionDocumentTypes() override
    {
        if (m_fails)
            throw core::Error(5, u"Нет связи"_s);
        auto collection = std::make_shared<core::KeyedCollection<KeyAndName>>();
        for (const KeyAndName& type : m_types)
            collection->Add(type, type.Key);
        return collection;
    }

private:
    QList<KeyAndName> m_types;
    bool m_fails;
};

class StructuredOptionsTest : public testing::Test
{
protected:
    testsupport::TestRegistry store;
    mFetchlingOptions options{store.utility, [] { return QDate(2026, 12, 9); }};

    void put(const QString& key, const QString& name, const platform::registry::Value& value)
    {
        store.registry.write(Hive::User, key, name, value);
    }
    std::optional<platform::registry::Value> stored(const QString& key, const QString& name) const
    {
        return store.registry.read(Hive::User, key, name);
    }
};

} // namespace

TEST(StructureListsTest, ElementsDelimitersAndLegalForms)
{
    const QStringList plain = mFetchlingOptions::Get_StructureElements(false);
    const QStringList packaged = mFetchlingOptions::Get_StructureElements(true);
    ASSERT_EQ(plain.size(), 13);
    ASSERT_EQ(packaged.size(), 13);
    EXPECT_EQ(plain.front(), u"ИНН организации"_s);
    EXPECT_EQ(plain[3], u"Отдел/подразделение организации"_s);
    EXPECT_EQ(plain[8], u"Входящие/Исходящие/Внутренние"_s);
    EXPECT_EQ(plain.back(), u"Документ"_s);
    EXPECT_EQ(packaged.back(), u"[Пакет\\]Документ"_s);
    EXPECT_EQ(plain.mid(0, 12), packaged.mid(0, 12));

    EXPECT_EQ(mFetchlingOptions::Get_StructureDelimiters(), (QStringList{u"\\"_s, u"-"_s, u"_"_s, u" "_s}));
    EXPECT_EQ(mFetchlingOptions::Get_LegalForms(), (QStringList{u"ОАО"_s, u"ООО"_s, u"ЗАО"_s, u"ПАО"_s, u"АО"_s}));
    EXPECT_EQ(mFetchlingOptions::Get_LegalFormsInBrackets(),
              (QStringList{u"(ОАО)"_s, u"(ООО)"_s, u"(ЗАО)"_s, u"(ПАО)"_s, u"(АО)"_s}));
}

TEST_F(StructuredOptionsTest, TheStructurePatternRoundTripsThroughTheStore)
{
    const QStringList elements = mFetchlingOptions::Get_StructureElements(true);
    EXPECT_EQ(options.Get_StructurePath(), mFetchlingOptions::GetDefault_StructurePath());
    EXPECT_EQ(mFetchlingOptions::GetDefault_StructurePath().split(u'?'),
              (QStringList{elements[2], u"\\"_s, elements[9], u"\\"_s, elements[6], u"\\"_s, u"Документ"_s}));

    const QString pattern = QStringList{elements[0], u"-"_s, elements[2], u"\\"_s, elements[12]}.join(u'?');
    options.Set_StructurePath(pattern);
    EXPECT_EQ(options.Get_StructurePath(), pattern);
    EXPECT_EQ(options.Get_StructurePath().split(u'?').last(), u"[Пакет\\]Документ"_s);
}

TEST_F(StructuredOptionsTest, ReadingTheExclusionTableStopsAtTheFirstEmptyName)
{
    EXPECT_TRUE(options.Get_DocNamesExclude(false).isEmpty());

    put(kExclude, u"Name1"_s, u"Акт сверки"_s);
    EXPECT_EQ(options.Get_DocNamesExclude(false), (QList<Row>{{false, u"Акт сверки"_s, u"Все"_s}}));
    EXPECT_EQ(options.Get_DocNamesExclude(true), (QList<Row>{{false, u"АКТ СВЕРКИ"_s, u"Все"_s}}));

    put(kExclude, u"Folder1"_s, u"Входящие"_s);
    put(kExclude, u"Name2"_s, u"счёт"_s);
    put(kExclude, u"Folder2"_s, u"исходящие"_s);
    put(kExclude, u"Name4"_s, u"никогда не читается"_s);
    EXPECT_EQ(options.Get_DocNamesExclude(true),
              (QList<Row>{{false, u"АКТ СВЕРКИ"_s, u"Входящие"_s}, {false, u"СЧЁТ"_s, u"исходящие"_s}}))
        << "the folder word is never converted; row 4 lies beyond the gap";
}

TEST_F(StructuredOptionsTest, WritingTheExclusionTableRenumbersWithoutGaps)
{
    put(kExclude, u"Name1"_s, u"Первый"_s);
    put(kExclude, u"Name2"_s, u"Второй"_s);
    put(kExclude, u"Folder2"_s, u"Исходящие"_s);
    const QList<Row> before = options.Get_DocNamesExclude(false);

    const QList<Row> table = {
        {true, u"Удаляемый"_s, u"Все"_s},
        {false, u"   "_s, u"Все"_s},
        {false, u"  Счёт-фактура \t "_s, u" Входящие "_s},
    };
    EXPECT_EQ(options.Set_DocNamesExclude(table), before);
    EXPECT_EQ(stored(kExclude, u"Name1"_s), platform::registry::Value(u"Счёт-фактура \t"_s)) << "spaces only";
    EXPECT_EQ(stored(kExclude, u"Folder1"_s), platform::registry::Value(u"Входящие"_s));
    EXPECT_EQ(stored(kExclude, u"Name2"_s), platform::registry::Value(QString())) << "the old row 2 is emptied";
    EXPECT_EQ(stored(kExclude, u"Folder2"_s), platform::registry::Value(u"Исходящие"_s)) << "left unread";
    EXPECT_EQ(options.Get_DocNamesExclude(false), (QList<Row>{{false, u"Счёт-фактура \t"_s, u"Входящие"_s}}));

    // What was read comes back unchanged when written again.
    const QList<Row> rows = {{false, u"А"_s, u"Все"_s}, {false, u"Б"_s, u"Внутренние"_s}};
    options.Set_DocNamesExclude(rows);
    EXPECT_EQ(options.Get_DocNamesExclude(false), rows);
    EXPECT_FALSE(stored(kExclude, u"Name3"_s).has_value()) << "nothing to empty: no value is made";
    options.Set_DocNamesExclude({});
    EXPECT_TRUE(options.Get_DocNamesExclude(false).isEmpty());
}

TEST_F(StructuredOptionsTest, DocumentTypeSwitches)
{
    EXPECT_FALSE(options.Get_DocType(u"Nonformalized"_s)) << "missing counts as off";
    EXPECT_FALSE(options.Set_DocType(u"Nonformalized"_s, true));
    EXPECT_EQ(stored(kDocTypes, u"Nonformalized"_s), platform::registry::Value(quint32{1}));
    EXPECT_TRUE(options.Get_DocType(u"Nonformalized"_s));
    EXPECT_TRUE(options.Set_DocType(u"Nonformalized"_s, false));
    EXPECT_EQ(stored(kDocTypes, u"Nonformalized"_s), platform::registry::Value(quint32{0}));
    put(kDocTypes, u"Invoice"_s, quint32{5});
    EXPECT_TRUE(options.Get_DocType(u"Invoice"_s)) << "any value other than 0 is on";
}

TEST_F(StructuredOptionsTest, DocTypesKeepsTheFirstOrganisationsItemOfASharedType)
{
    Organisation first({{u"Nonformalized"_s, u"Неформализованный"_s}, {u"Invoice"_s, u"Счёт-фактура"_s}});
    Organisation second({{u"invoice"_s, u"Другое название"_s}, {u"Act"_s, u"Акт"_s}});
    const QList<core::DocTypesProvider*> persons = {&first, &second};

    EXPECT_EQ(options.Get_DocTypes(persons, false), (QList<KeyAndName>{{u"Nonformalized"_s, u"Неформализованный"_s},
                                                                       {u"Invoice"_s, u"Счёт-фактура"_s},
                                                                       {u"Act"_s, u"Акт"_s}}));
    EXPECT_TRUE(options.Get_DocTypes(persons, true).isEmpty()) << "nothing switched on";

    options.Set_DocType(u"Act"_s, true);
    options.Set_DocType(u"Invoice"_s, true);
    EXPECT_EQ(options.Get_DocTypes(persons, true),
              (QList<KeyAndName>{{u"Invoice"_s, u"Счёт-фактура"_s}, {u"Act"_s, u"Акт"_s}}));
    EXPECT_TRUE(options.Get_DocTypes({}, false).isEmpty());
}

TEST_F(StructuredOptionsTest, DocTypesPassesOnAFailureOfAnOrganisation)
{
    Organisation broken({}, true);
    try {
        options.Get_DocTypes({&broken}, false);
        FAIL() << "the failure must reach the caller";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::mFetchlingOptions.Get_DocTypes]"_s));
    }
}

TEST_F(StructuredOptionsTest, OrganisationTicksDefaultToTickedAndReadOddValuesAsTicked)
{
    EXPECT_EQ(options.Get_OrgChecked(u"org-1"_s), 1);
    EXPECT_EQ(options.Set_OrgChecked(u"org-1"_s, 0), 1);
    EXPECT_EQ(stored(kTicks, u"org-1"_s), platform::registry::Value(quint32{0}));
    EXPECT_EQ(options.Get_OrgChecked(u"org-1"_s), 0);
    put(kTicks, u"dep7"_s, quint32{5});
    EXPECT_EQ(options.Get_OrgChecked(u"dep7"_s), 1);
    EXPECT_EQ(options.Set_OrgChecked(u"dep7"_s, 0), 1);
    put(kTicks, u"dep8"_s, static_cast<quint32>(-1));
    EXPECT_EQ(options.Get_OrgChecked(u"dep8"_s), 1);
}
