#include <QFile>

#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "base/TextCodec.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"
#include "engine/CsvProtocol.h"

using namespace Qt::StringLiterals;
using engine::CsvProtocol;

namespace protocoltest {

namespace {

class CsvProtocolTest : public ProtocolFixture
{
protected:
    QString fileName() const { return base + u"Протокол.csv"_s; }

    bool writeProtocol()
    {
        CsvProtocol writer(source, progress, ui);
        return writer.write(fileName());
    }

    QString text() const { return core::TextCodec::fromCp1251(contentOf(fileName())); }
};

TEST_F(CsvProtocolTest, ASampleRunMatchesTheGoldenFileByteForByte)
{
    fillSampleRun();
    ASSERT_TRUE(writeProtocol());
    expectGolden(contentOf(fileName()), u"protocol.csv"_s);
    EXPECT_EQ(progress.events, (QStringList{u"begin"_s, u"step 1/3"_s, u"step 2/3"_s, u"step 3/3"_s, u"end"_s}))
        << "one step per unloaded document; the other lists are not in this file";
}

TEST_F(CsvProtocolTest, AnEmptyListGivesAnEmptyFileAndNoStep)
{
    {
        QFile old(fileName());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old protocol");
    }
    fillSampleRun();
    source.unloadedList.clear();
    ASSERT_TRUE(writeProtocol());
    EXPECT_TRUE(QFile::exists(fileName()));
    EXPECT_EQ(contentOf(fileName()), QByteArray());
    EXPECT_EQ(progress.events, (QStringList{u"begin"_s, u"end"_s}));
}

TEST_F(CsvProtocolTest, ACancelAfterLineJLeavesExactlyJCompleteLines)
{
    fillSampleRun();
    ASSERT_TRUE(writeProtocol());
    const QList<QByteArray> full = contentOf(fileName()).split('\n');
    for (int j = 1; j <= 3; ++j) {
        SCOPED_TRACE(j);
        progress.events.clear();
        progress.cancelAtStep = j;
        ASSERT_TRUE(writeProtocol());
        EXPECT_EQ(contentOf(fileName()), full.mid(0, j).join('\n') + '\n');
        EXPECT_EQ(progress.events.size(), j + 2);
        EXPECT_EQ(progress.events.last(), u"end"_s);
    }
}

TEST_F(CsvProtocolTest, FieldsAreTrimmedAndQuotedOnlyWhenTheyMustBe)
{
    const struct
    {
        const char16_t* field;
        const char16_t* written;
    } cases[] = {
        {u"Счет 1", u"Счет 1"},
        {u"  Счет 1  ", u"Счет 1"},
        {u"   ", u""},
        {u"", u""},
        {u"А, Б", u"\"А, Б\""},
        {u"А; Б", u"\"А; Б\""},
        {u"Договор \"Поставка\"", u"\"Договор \"\"Поставка\"\"\""},
        {u"\"", u"\"\"\"\""},
        {u"строка\r\nещё", u"\"строка\r\nещё\""},
        {u"строка\nещё", u"\"строка\nещё\""},
        {u"\tтаб ", u"\tтаб"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.field).toStdString());
        EXPECT_EQ(CsvProtocol::writtenField(QString::fromUtf16(c.field)), QString::fromUtf16(c.written));
    }
}

// Characters no protocol can hold are dropped before the field is trimmed and quoted; tab and
// line ends stay. A text from outside that a spreadsheet would run as a formula gets an apostrophe;
// the program's own texts stay as they are.
TEST_F(CsvProtocolTest, FieldsLoseWhatNoProtocolHoldsAndOutsideFormulasGetAnApostrophe)
{
    using Source = CsvProtocol::Source;
    const struct
    {
        QString field;
        Source source;
        QString written;
    } cases[] = {
        {u"Счёт"_s + QChar(0) + u" 5"_s, Source::Outside, u"Счёт 5"_s},
        {u"\x01\x02 А\x1F\x7F\u0085Б \x1B"_s, Source::Outside, u"АБ"_s},
        {u"А"_s + QChar(0xD800) + u"Б\uFFFE\uFFFF"_s, Source::Outside, u"АБ"_s},
        {u"😀"_s, Source::Outside, u"😀"_s},
        {u"=1+1"_s, Source::Outside, u"'=1+1"_s},
        {u"=HYPERLINK(\"http://x\";\"y\")"_s, Source::Outside, u"\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\""_s},
        {u"+7 495"_s, Source::Outside, u"'+7 495"_s},
        {u"-2+3"_s, Source::Outside, u"'-2+3"_s},
        {u"@SUM(1)"_s, Source::Outside, u"'@SUM(1)"_s},
        {u"\t=1"_s, Source::Outside, u"'\t=1"_s},
        {u"\r=1"_s, Source::Outside, u"\"'\r=1\""_s},
        {u"  =1+1 "_s, Source::Outside, u"'=1+1"_s},
        {QChar(0) + u"=1+1"_s, Source::Outside, u"'=1+1"_s},
        {u"А=1+1"_s, Source::Outside, u"А=1+1"_s},
        {u"=1+1"_s, Source::Program, u"=1+1"_s},
        {u"-"_s, Source::Program, u"-"_s},
        {u"\tтаб "_s, Source::Program, u"\tтаб"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        EXPECT_EQ(CsvProtocol::writtenField(c.field, c.source), c.written);
    }
}

// Titles, names, numbers and folders come from outside; the date and the direction are the
// program's own.
TEST_F(CsvProtocolTest, EveryFieldFromOutsideIsGuardedAndTheFileHoldsNoControlCharacter)
{
    const QString formula = u"=1+1"_s + QChar(0) + u"\x01"_s;
    romashka->Name = formula;
    auto doc = document(u"ORG_romashka"_s, formula);
    doc->DepartmentName = u"Отдел"_s;
    doc->DocumentDate = formula;
    doc->DocumentNumber = u"-15"_s;
    doc->TypeNamedId = u"Unknown"_s;
    doc->Status = u"@Status"_s;
    doc->Counteragent = u"+Контрагент\x07"_s;
    doc->PathForDownload = folder(u"=1+1/Акт"_s);
    source.unloadedList = {doc};
    ASSERT_TRUE(writeProtocol());
    const QByteArray bytes = contentOf(fileName());
    for (const char c : bytes)
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n') << int(c);
    const QStringList fields = text().chopped(2).split(u';');
    ASSERT_EQ(fields.size(), 10) << text().toStdString();
    EXPECT_EQ(fields[0], u"'=1+1"_s);
    EXPECT_EQ(fields[2], u"\"'=1+1, Отдел\""_s);
    EXPECT_EQ(fields[3], u"'=1+1"_s);
    EXPECT_EQ(fields[4], u"'-15"_s);
    EXPECT_EQ(fields[8], u"'+Контрагент"_s);
    EXPECT_EQ(fields[9], u"'=1+1/Акт/"_s);
}

TEST_F(CsvProtocolTest, StatusesOfEachDocumentAreItsOwn)
{
    auto first = document(u"ORG_vector"_s, u"Первый"_s);
    first->TypeNamedId = u"Invoice"_s;
    first->Status = u"InboundFinished"_s;
    first->RevocationStatus = u"RevocationAccepted"_s;
    auto second = document(u"ORG_vector"_s, u"Второй"_s);
    second->TypeNamedId = u"Invoice"_s;
    second->Status = u"InboundFinished"_s;
    source.unloadedList = {first, second};
    ASSERT_TRUE(writeProtocol());
    const QStringList lines = text().split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].section(u';', 0, 0), u"Первый"_s);
    EXPECT_TRUE(lines[0].contains(u";\"аннулированный документ;документооборот завершен\";"_s))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(u";документооборот завершен;"_s)) << "one text: bare";
    EXPECT_FALSE(lines[1].contains(u"аннулированный"_s));
    EXPECT_EQ(lines[2], QString());
}

TEST_F(CsvProtocolTest, OrganisationShowsTheHeadDepartmentOnlyWhereThereAreDepartments)
{
    auto head = document(u"ORG_romashka"_s, u"А"_s);
    auto branch = document(u"ORG_romashka"_s, u"Б"_s);
    branch->DepartmentName = u"Филиал «Север»"_s;
    auto plain = document(u"ORG_vector"_s, u"В"_s);
    source.unloadedList = {head, branch, plain};
    ASSERT_TRUE(writeProtocol());
    const QStringList lines = text().split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], u"А;;\"ООО «Ромашка», Головное подразделение\";;;ПРОЧИЕ;;;;"_s);
    EXPECT_EQ(lines[1], u"Б;;\"ООО «Ромашка», Филиал «Север»\";;;ПРОЧИЕ;;;;"_s);
    EXPECT_EQ(lines[2], u"В;;\"АО \"\"Вектор\"\" <Юг>\";;;ПРОЧИЕ;;;;"_s);
}

TEST_F(CsvProtocolTest, CharactersWindows1251LacksBecomeQuestionMarks)
{
    auto doc = document(u"ORG_vector"_s, u"Акт ✓ № 1 — ok"_s);
    source.unloadedList = {doc};
    ASSERT_TRUE(writeProtocol());
    EXPECT_TRUE(contentOf(fileName()).startsWith(core::TextCodec::toCp1251(u"Акт ? № 1 — ok;"_s)));
}

TEST_F(CsvProtocolTest, TheFolderIsRelativeOnlyBelowTheUnloadFolder)
{
    QTemporaryDir elsewhere;
    auto below = document(u"ORG_vector"_s, u"Ниже"_s);
    below->PathForDownload = folder(u"Вектор/Акт"_s);
    auto same = document(u"ORG_vector"_s, u"Сама папка"_s);
    same->PathForDownload = base;
    auto outside = document(u"ORG_vector"_s, u"Вне"_s);
    outside->PathForDownload = elsewhere.path() + u'/';
    auto gone = document(u"ORG_vector"_s, u"Нет"_s);
    gone->PathForDownload = base + u"нет/"_s;
    source.unloadedList = {below, same, outside, gone};
    ASSERT_TRUE(writeProtocol());
    const QStringList lines = text().split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0].section(u';', 9), u"Вектор/Акт/"_s);
    EXPECT_EQ(lines[1].section(u';', 9), QString());
    EXPECT_EQ(lines[2].section(u';', 9), elsewhere.path() + u'/');
    EXPECT_EQ(lines[3].section(u';', 9), QString());
}

TEST_F(CsvProtocolTest, AFullDiskIsToldAsSuchAndEndsWithoutTheEndEvent)
{
    fillSampleRun();
    for (const qint64 room : {qint64{0}, qint64{150}, qint64{400}}) {
        SCOPED_TRACE(room);
        progress.events.clear();
        ui.boxes.clear();
        FullDevice device(room);
        ui.expectBox(core::msgbox::vbOK);
        CsvProtocol writer(source, progress, ui);
        EXPECT_FALSE(writer.write(device, u"/data/Протокол.csv"_s));
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(
            ui.boxes[0].prompt,
            u"Не удалось записать файл протокола выгрузки \"/data/Протокол.csv\", т.к. на диске закончилось место."_s);
        EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbCritical);
        EXPECT_EQ(ui.boxes[0].title, QString::fromUtf16(core::kApplicationTitle));
        EXPECT_FALSE(progress.events.contains(u"end"_s));
        EXPECT_EQ(device.written.size(), room);
    }
}

TEST_F(CsvProtocolTest, AFullDiskBehindARealFileIsFoundWhenTheFileIsFlushed)
{
    if (!QFile::exists(u"/dev/full"_s))
        GTEST_SKIP() << "no /dev/full here";
    fillSampleRun();
    ui.expectBox(core::msgbox::vbOK);
    CsvProtocol writer(source, progress, ui);
    EXPECT_FALSE(writer.write(u"/dev/full"_s));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.boxes[0].prompt.endsWith(u", т.к. на диске закончилось место."_s));
}

TEST_F(CsvProtocolTest, AnyOtherFailureGivesTheErrorsDescription)
{
    fillSampleRun();
    source.unloadedList[1]->KeyОрганизацииВКоллекции = u"ORG_unknown"_s;
    ui.expectBox(core::msgbox::vbOK);
    EXPECT_FALSE(writeProtocol());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, u"Не удалось записать файл протокола выгрузки \""_s + fileName()
                                      + u"\".\r\nПроизошла ошибка: Invalid procedure call or argument"_s);
    EXPECT_EQ(progress.events, (QStringList{u"begin"_s, u"step 1/3"_s}));
    EXPECT_FALSE(QFile::exists(fileName())) << "no partly written protocol under its name";
}

} // namespace

} // namespace protocoltest
