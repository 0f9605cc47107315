#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FakeDiadoc.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadocDocuments.h"
#include "engine/FolderLayout.h"
#include "engine/MetadataFile.h"
#include "engine/NameCleaning.h"
#include "platform/diadoc/SandboxList.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using namespace platform::diadoc;
using engine::FolderLayout;
using engine::NameCleaning;

namespace {

const QString kDocumentId = u"0f3c2a1e-1111-4000-8000-00000000aaaa3b1d2c4e-2222-4000-8000-00000000e41b"_s;
const QString kPackageId = u"7c1d2e3f-3333-4000-8000-000000009d07"_s;

// The organisation a document names as its box, with a KPP the test chooses.
class BoxOrganization final : public DiadocOrganization
{
public:
    QString Inn() const override { return inn; }
    QString Kpp() const override { return kpp; }
    QString Name() const override { return name; }
    QString Guid() const override { return {}; }
    std::shared_ptr<DiadocList> Departments() const override { return std::make_shared<SandboxList>(); }
    std::shared_ptr<DiadocList> GetDocumentTypes() override { return std::make_shared<SandboxList>(); }
    std::shared_ptr<DiadocDocumentsTask> GetDocumentsTask() override { return nullptr; }
    QString inn = u"7701234567"_s;
    QString kpp = u"770101001"_s;
    QString name = u"ООО Ромашка"_s;
};

Variant day(int year, int month, int dayOfMonth)
{
    return Variant(QDateTime(QDate(year, month, dayOfMonth), QTime(0, 0)));
}

template <typename T> Variant object(std::shared_ptr<T> value)
{
    return Variant(std::static_pointer_cast<Object>(std::move(value)));
}

class FolderLayoutTest : public testing::Test
{
protected:
    FolderLayoutTest()
    {
        auto types = std::make_shared<fakediadoc::FakeOrganization>();
        types->types = {{u"XmlAcceptanceCertificate"_s, u"Акт выполненных работ"_s},
                        {u"Waybill"_s, u"ТОРГ-12/накладная\t"_s},
                        {u"Dotted"_s, u"Тип."_s}};
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->DiadocOrganization = types;
        persons.Add(person, u"org1"_s);
        layout.setPersons(&persons);
        layout.startRun(100, true);

        record.KeyОрганизацииВКоллекции = u"org1"_s;
        record.CategoryClass = u"Inbound"_s;
        doc = makeDoc(kDocumentId, u"Акт 12"_s);
    }

    std::shared_ptr<fakediadoc::FakeDocument> makeDoc(const QString& id, const QString& title)
    {
        auto d = std::make_shared<fakediadoc::FakeDocument>();
        d->documentId = id;
        d->organizationId = u"box-1"_s;
        d->title = title;
        d->typeNamedId = u"XmlAcceptanceCertificate"_s;
        d->organization = object(box);
        d->counteragent =
            object(std::make_shared<fakediadoc::FakeParty>(u"5001000002"_s, u"500101001"_s, u"АО Лютик"_s));
        return d;
    }

    // A package of count documents that doc belongs to.
    void putIntoPackage(int count)
    {
        doc->packageId = kPackageId;
        QList<std::shared_ptr<fakediadoc::FakeDocument>> members;
        for (int i = 0; i < count; ++i)
            members.append(makeDoc(u"member-%1"_s.arg(i), u"Член"_s));
        doc->package->documents = SandboxList::of(members);
    }

    QString mold(const QStringList& elements, const Variant& date = day(2024, 3, 15))
    {
        layout.setPattern(elements.join(u'?'));
        return layout.MoldPath(record, *doc, date);
    }

    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    testsupport::ScriptedUiServices ui;
    engine::PersonsCollection persons;
    FolderLayout layout{options};
    diadoc::AsyncTskRecord record;
    std::shared_ptr<BoxOrganization> box = std::make_shared<BoxOrganization>();
    std::shared_ptr<fakediadoc::FakeDocument> doc;
};

struct PatternCase
{
    QStringList elements;
    QString expected;
};

TEST_F(FolderLayoutTest, EveryElementByItsExactText)
{
    const QList<PatternCase> cases{
        {{}, u""_s},
        {{u"Год"_s}, u""_s},
        {{u"Год"_s, u"\\"_s}, u"2024/"_s},
        {{u"-"_s, u"Год"_s, u"\\"_s}, u"2024/"_s},
        {{u"Год"_s, u"-"_s, u"\\"_s}, u"2024-/"_s},
        {{u"\\"_s, u"\\"_s, u"Год"_s, u"\\"_s}, u"2024/"_s},
        {{u"год"_s, u"\\"_s}, u""_s},
        {{u"Год"_s, u" "_s, u"Квартал"_s, u"_"_s, u"Месяц"_s, u"\\"_s}, u"2024 1кв_03/"_s},
        {{u"ИНН организации"_s, u"\\"_s}, u"7701234567/"_s},
        {{u"ИНН-КПП организации"_s, u"\\"_s}, u"7701234567-770101001/"_s},
        {{u"Наименование организации"_s, u"\\"_s}, u"Ромашка/"_s},
        {{u"Отдел/подразделение организации"_s, u"\\"_s}, u"Головная организация/"_s},
        {{u"ИНН контрагента"_s, u"-"_s, u"ИНН-КПП контрагента"_s, u"\\"_s}, u"5001000002-5001000002-500101001/"_s},
        {{u"Наименование контрагента"_s, u"\\"_s}, u"Лютик/"_s},
        {{u"Тип документа"_s, u"\\"_s, u"Входящие/Исходящие/Внутренние"_s, u"\\"_s},
         u"Акт выполненных работ/Входящий/"_s},
        {{u"Документ"_s}, u"Акт 12 ~e41b"_s},
        {{u"[Пакет\\]Документ"_s}, u"Акт 12 ~e41b"_s},
        {{u"Год"_s, u"-"_s, u"Документ"_s}, u"2024-Акт 12 ~e41b"_s},
        {{u"Документ"_s, u"Год"_s}, u"Акт 12 ~e41b"_s},
        {{u"Что-то ещё"_s, u"\\"_s}, u""_s},
    };
    for (const PatternCase& c : cases) {
        SCOPED_TRACE(c.elements.join(u'?').toStdString());
        layout.startRun(100, true);
        EXPECT_EQ(mold(c.elements), c.expected);
    }
}

TEST_F(FolderLayoutTest, TheDefaultPatternGivesTheExample)
{
    layout.setPattern(core::mFetchlingOptions::GetDefault_StructurePath());
    EXPECT_EQ(layout.elements().size(), 7);
    EXPECT_EQ(layout.MoldPath(record, *doc, day(2024, 3, 15)), u"Ромашка/2024/Лютик/Акт 12 ~e41b"_s);
}

TEST_F(FolderLayoutTest, EmptyAndMarkerDatesGiveTheirFolders)
{
    const QStringList dates{u"Год"_s, u"\\"_s, u"Квартал"_s, u"\\"_s, u"Месяц"_s, u"\\"_s};
    EXPECT_EQ(mold(dates, Variant()), u"0000/0кв/00/"_s);
    EXPECT_EQ(mold(dates, Variant(QString())), u"0000/0кв/00/"_s);
    EXPECT_EQ(mold(dates, day(1999, 11, 30)), u"1999/4кв/11/"_s);
    EXPECT_EQ(mold(dates, day(2024, 12, 31)), u"2024/4кв/12/"_s);
}

// Dates that the client gives as texts, read as under Russian settings: whether the text counts as
// no date, and the folders of a contract that carries it as its document date.
TEST_F(FolderLayoutTest, DateTextsGiveTheFoldersOfTheDateTheyName)
{
    struct Case
    {
        QString text;
        bool empty;
        QString year, quarter, month, day;
    };
    const Case cases[] = {
        {u"15.03.2024"_s, false, u"2024"_s, u"1кв"_s, u"03"_s, u"15"_s},
        {u"1.1.2024"_s, false, u"2024"_s, u"1кв"_s, u"01"_s, u"01"_s},
        {u"5.3.2024"_s, false, u"2024"_s, u"1кв"_s, u"03"_s, u"05"_s},
        {u"31.12.2024"_s, false, u"2024"_s, u"4кв"_s, u"12"_s, u"31"_s},
        {u"15.03.2024 14:05"_s, false, u"2024"_s, u"1кв"_s, u"03"_s, u"15"_s},
        {u"15.03.2024 14:05:09"_s, false, u"2024"_s, u"1кв"_s, u"03"_s, u"15"_s},
        {u"1.7.2024 9:05:09"_s, false, u"2024"_s, u"3кв"_s, u"07"_s, u"01"_s},
        {u"  1.10.2024  "_s, false, u"2024"_s, u"4кв"_s, u"10"_s, u"01"_s},
        {u"2024-03-15"_s, false, u"2024"_s, u"1кв"_s, u"03"_s, u"15"_s},
        {u"2024-03-15T14:05:09"_s, false, u"2024"_s, u"1кв"_s, u"03"_s, u"15"_s},
        // A valid date other than the marker's text is a date, even the first day of the count.
        {u"30.12.1899"_s, false, u"1899"_s, u"4кв"_s, u"12"_s, u"30"_s},
        {u"30.11.1999"_s, false, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        // The marker's text, and every text that is no date, stand for no date: the contract is
        // filed under the marker's folders.
        {u"30.11.1999 00:00:00"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"01.01.0001"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"1.1.1"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u""_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"abc"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"31.02.2024"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"15.13.2024"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"15.03.2024 24:00"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"15.03.2024 14:60"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"15.03.2024 14"_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
        {u"15.03.2024г."_s, true, u"1999"_s, u"4кв"_s, u"11"_s, u"30"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(diadoc::mDiadocDocuments::IsDateEmpty(Variant(c.text)), c.empty);
        doc->type = u"Contract"_s;
        doc->documentDate = Variant(c.text);
        const Variant folderDate = diadoc::mDiadocDocuments::DocDateForPathFolder(*doc);
        EXPECT_EQ(FolderLayout::FolderYear(folderDate), c.year);
        EXPECT_EQ(layout.FolderQuarter(folderDate), c.quarter);
        EXPECT_EQ(FolderLayout::FolderMonth(folderDate), c.month);
        EXPECT_EQ(FolderLayout::FolderDay(folderDate), c.day);
    }
}

TEST_F(FolderLayoutTest, OrganisationWithoutKppGivesTheInnAlone)
{
    box->kpp.clear();
    EXPECT_EQ(mold({u"ИНН-КПП организации"_s, u"\\"_s}), u"7701234567/"_s);
}

TEST_F(FolderLayoutTest, MissingCounterpartyAndDepartmentGetTheirDefaults)
{
    doc->counteragent = Variant::nothing();
    EXPECT_EQ(mold({u"ИНН контрагента"_s, u"\\"_s, u"ИНН-КПП контрагента"_s, u"\\"_s, u"Наименование контрагента"_s,
                    u"\\"_s}),
              u"0000000000/0000000000/__________/"_s);

    doc->department = object(std::make_shared<fakediadoc::FakeDepartment>(u"d1"_s, u"  .  "_s));
    EXPECT_EQ(mold({u"Отдел/подразделение организации"_s, u"\\"_s}), u"Головная организация/"_s);
    doc->department = object(std::make_shared<fakediadoc::FakeDepartment>(u"d1"_s, u"ООО Филиал «Север» "_s));
    EXPECT_EQ(mold({u"Отдел/подразделение организации"_s, u"\\"_s}), u"ООО Филиал «Север»/"_s);
}

TEST_F(FolderLayoutTest, LegalFormsGoOnlyWhenAskedAndNamesAreCutBeforeTrimming)
{
    layout.startRun(100, false);
    EXPECT_EQ(mold({u"Наименование организации"_s, u"\\"_s}), u"ООО Ромашка/"_s);

    box->name = u"Abc. def"_s;
    layout.startRun(5, false);
    EXPECT_EQ(mold({u"Наименование организации"_s, u"\\"_s}), u"Abc/"_s);
}

TEST_F(FolderLayoutTest, PackageFolderOnlyForGroupedPackagesOfSeveralDocuments)
{
    const QStringList pattern = core::mFetchlingOptions::GetDefault_StructurePath().split(u'?');
    putIntoPackage(3);
    EXPECT_EQ(mold(pattern), u"Ромашка/2024/Лютик/Акт 12 ~e41b"_s) << "grouping off";

    options.Set_GroupIntoPackages(1);
    layout.startRun(100, true);
    EXPECT_EQ(mold(pattern), u"Ромашка/2024/Лютик/Пакет_2024-03-15 3 ~9d07/Акт 12 ~e41b"_s);
    layout.startRun(100, true);
    EXPECT_EQ(mold({u"Документ"_s}, Variant()), u"Пакет_0000-00-00 3 ~9d07/Акт 12 ~e41b"_s);
    layout.startRun(100, true);
    EXPECT_EQ(mold({u"Год"_s, u" "_s, u"Документ"_s}), u"2024 Пакет_2024-03-15 3 ~9d07/Акт 12 ~e41b"_s);

    layout.startRun(100, true);
    putIntoPackage(1);
    EXPECT_EQ(mold(pattern), u"Ромашка/2024/Лютик/Акт 12 ~e41b"_s) << "a package of one";

    layout.startRun(100, true);
    doc->packageId.clear();
    EXPECT_EQ(mold(pattern), u"Ромашка/2024/Лютик/Акт 12 ~e41b"_s) << "no package";
}

TEST_F(FolderLayoutTest, APackageIsAskedForOncePerRun)
{
    options.Set_GroupIntoPackages(1);
    putIntoPackage(3);
    layout.setPattern(u"Документ"_s);
    for (int i = 0; i < 3; ++i) {
        auto member = makeDoc(u"member-%1"_s.arg(i), u"Член"_s);
        member->packageId = kPackageId;
        member->package = doc->package;
        const Variant date = layout.DateForPathFolder(*member);
        layout.MoldPath(record, *member, date);
    }
    EXPECT_EQ(layout.packageRequests(), 1);
    layout.startRun(100, true);
    layout.DateForPathFolder(*doc);
    EXPECT_EQ(layout.packageRequests(), 1) << "a new run asks again";
}

TEST_F(FolderLayoutTest, ThePackageDateIsTheLatestDateOfItsDocuments)
{
    options.Set_GroupIntoPackages(1);
    putIntoPackage(2);
    auto early = makeDoc(u"a"_s, u"A"_s);
    early->documentDate = Variant(u"2024-03-01"_s);
    auto late = makeDoc(u"b"_s, u"B"_s);
    late->documentDate = Variant(u"2024-04-02"_s);
    doc->package->documents = SandboxList::of(QList{early, late});
    EXPECT_EQ(FolderLayout::FolderMonth(layout.DateForPathFolder(*doc)), u"04"_s);
}

TEST_F(FolderLayoutTest, TwoDocumentsNeverShareAFolder)
{
    QTemporaryDir out;
    layout.setUnloadFolder(out.path() + u'/');
    const QStringList pattern{u"Документ"_s};
    EXPECT_EQ(mold(pattern), u"Акт 12 ~e41b"_s);

    // Same title, identifier ending in the same four characters.
    auto first = doc;
    doc = makeDoc(u"0f3c2a1e-9999-4000-8000-00000000bbbb3b1d2c4e-2222-4000-8000-00000001e41b"_s, u"Акт 12"_s);
    EXPECT_EQ(mold(pattern), u"Акт 12 ~0001e41b"_s);
    doc = makeDoc(u"x-00000001e41b"_s, u"Акт 12"_s);
    EXPECT_EQ(mold(pattern), u"Акт 12 ~x-00000001e41b"_s) << "eight characters collide as well";

    doc = first;
    EXPECT_EQ(mold(pattern), u"Акт 12 ~e41b"_s) << "the same document keeps its folder";
}

TEST_F(FolderLayoutTest, AFolderOnDiskBelongsToTheDocumentWhoseShortcutItHolds)
{
    QTemporaryDir out;
    layout.setUnloadFolder(out.path());
    QDir(out.path()).mkpath(u"Акт 12 ~e41b"_s);
    QFile foreign(out.filePath(u"Акт 12 ~e41b/"_s + engine::MetadataFile::documentLinkName(u"other-e41b"_s)));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.close();
    EXPECT_EQ(mold({u"Документ"_s}), u"Акт 12 ~0000e41b"_s);

    layout.startRun(100, true);
    ASSERT_TRUE(QFile::remove(foreign.fileName()));
    QFile own(out.filePath(u"Акт 12 ~e41b/"_s + engine::MetadataFile::documentLinkName(kDocumentId)));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    EXPECT_EQ(mold({u"Документ"_s}), u"Акт 12 ~e41b"_s) << "its own folder of an earlier run";
}

TEST_F(FolderLayoutTest, LongCyrillicTitlesStayWithinTheFileSystemsLimit)
{
    const QString title = QString(300, u'Ж');
    doc->title = title;
    layout.startRun(100, true);
    EXPECT_EQ(mold({u"Документ"_s}), QString(100, u'Ж') + u" ~e41b"_s);

    layout.startRun(999, true);
    const QString name = mold({u"Год"_s, u"-"_s, u"Документ"_s});
    EXPECT_LE(NameCleaning::utf8Size(name), NameCleaning::kMaxNameBytes);
    EXPECT_TRUE(name.startsWith(u"2024-ЖЖЖ"_s));
    EXPECT_TRUE(name.endsWith(u"Ж ~e41b"_s));
}

// Elements after the document element add to the document folder's name: the whole name is cut
// to the limit, and what is cut is the title, so that the suffix that tells documents apart stays.
TEST_F(FolderLayoutTest, ElementsAfterTheDocumentStillGiveANameWithinTheLimitWithItsSuffix)
{
    doc->title = QString(200, u'Ж');
    doc->counteragent =
        object(std::make_shared<fakediadoc::FakeParty>(u"5001000002"_s, u"500101001"_s, QString(300, u'Щ')));
    const struct
    {
        QStringList elements;
        QString nameEnd;   // how the document folder's name ends
        QString pathStart; // how the path starts, before the document folder
        QString after;     // the levels after the document folder
    } cases[] = {
        {{u"Документ"_s, u"Год"_s, u"\\"_s}, u"Ж ~e41b2024"_s, {}, u"/"_s},
        {{u"Документ"_s, u"-"_s, u"Год"_s, u"\\"_s, u"Месяц"_s, u"\\"_s}, u"Ж ~e41b2024"_s, {}, u"/03/"_s},
        {{u"Документ"_s, u"Документ"_s}, u"Ж ~e41b"_s, {}, {}},
        {{u"Год"_s, u"\\"_s, u"Документ"_s, u"Квартал"_s, u"\\"_s}, u"Ж ~e41b1кв"_s, u"2024/"_s, u"/"_s},
        {{u"Документ"_s, u"Документ"_s, u"Год"_s, u"\\"_s}, u"Ж ~e41b2024"_s, {}, u"/"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elements.join(u'?').toStdString());
        layout.startRun(999, true);
        const QString path = mold(c.elements);
        ASSERT_TRUE(path.startsWith(c.pathStart)) << path.toStdString();
        ASSERT_TRUE(path.endsWith(c.after)) << path.toStdString();
        const QString name = path.mid(c.pathStart.size()).chopped(c.after.size());
        EXPECT_FALSE(name.contains(u'/'));
        EXPECT_LE(NameCleaning::utf8Size(name), NameCleaning::kMaxNameBytes) << name.toStdString();
        EXPECT_GE(NameCleaning::utf8Size(name), NameCleaning::kMaxNameBytes - 1) << "only as much is cut as must be";
        EXPECT_TRUE(name.startsWith(u"ЖЖЖ"_s));
        EXPECT_TRUE(name.endsWith(c.nameEnd)) << name.toStdString();
    }

    // A tail longer than the limit by itself leaves the suffix and as much of the tail as fits.
    layout.startRun(999, true);
    const QString name = mold({u"Документ"_s, u"Наименование контрагента"_s, u"\\"_s}).chopped(1);
    EXPECT_LE(NameCleaning::utf8Size(name), NameCleaning::kMaxNameBytes);
    EXPECT_TRUE(name.startsWith(u" ~e41bЩЩЩ"_s)) << name.toStdString();
}

TEST_F(FolderLayoutTest, NoElementAddsALevelOrBreaksAFileSystem)
{
    doc->typeNamedId = u"Waybill"_s;
    doc->title = u"Акт 1/2\x01 от 01.02..."_s;
    EXPECT_EQ(mold({u"Тип документа"_s, u"\\"_s, u"Документ"_s}), u"ТОРГ-12_накладная_/Акт 1_2_ от 01.02 ~e41b"_s);
    doc->typeNamedId = u"Dotted"_s;
    EXPECT_EQ(mold({u"Тип документа"_s, u"\\"_s}), u"Тип/"_s);
    doc->typeNamedId = u"Unknown"_s;
    EXPECT_EQ(mold({u"Тип документа"_s, u"\\"_s}), u"ПРОЧИЕ/"_s);
}

TEST_F(FolderLayoutTest, AnUnknownOrganisationKeyFailsWithThePlace)
{
    record.KeyОрганизацииВКоллекции = u"nobody"_s;
    try {
        mold({u"Тип документа"_s});
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_TRUE(e.description().contains(u"MoldPath"_s)) << e.description().toStdString();
    }
}

} // namespace
