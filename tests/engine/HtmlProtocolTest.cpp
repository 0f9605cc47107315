#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "base/TextCodec.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"
#include "engine/HtmlProtocol.h"

using namespace Qt::StringLiterals;
using engine::HtmlProtocol;

namespace protocoltest {

namespace {

const QByteArray kCancelTable = core::TextCodec::toCp1251(
    u"<table><tr><td><b>Формирование протоокола выгрузки прервано пользователем.</b></td></tr></table>");

// The end of the j-th document row (counted from 1 over the whole page).
qsizetype endOfRow(const QByteArray& page, int j)
{
    static const QRegularExpression dataRow(u"<tr><td class='a[12]'>"_s);
    const QString text = QString::fromLatin1(page);
    auto matches = dataRow.globalMatch(text);
    qsizetype start = -1;
    for (int i = 0; i < j && matches.hasNext(); ++i)
        start = matches.next().capturedStart();
    return start < 0 ? -1 : page.indexOf("</tr>", start) + 5;
}

class HtmlProtocolTest : public ProtocolFixture
{
protected:
    QString fileName() const { return base + u"Протокол.htm"_s; }

    bool writeProtocol()
    {
        HtmlProtocol writer(source, summary, progress, ui);
        return writer.write(fileName());
    }

    QByteArray page() const { return contentOf(fileName()); }
};

TEST_F(HtmlProtocolTest, ASampleRunMatchesTheGoldenPageByteForByte)
{
    fillSampleRun();
    ASSERT_TRUE(writeProtocol());
    expectGolden(normalised(page()), u"protocol.htm"_s);

    QStringList expected{u"begin"_s};
    for (int step = 1; step <= 9; ++step)
        expected.append(u"step %1/9"_s.arg(step));
    expected.append(u"end"_s);
    EXPECT_EQ(progress.events, expected) << "two steps for the heading, one per document; the last equals StepCount";
}

TEST_F(HtmlProtocolTest, OutsideTextsCannotBreakThePage)
{
    fillSampleRun();
    ASSERT_TRUE(writeProtocol());
    const QString text = core::TextCodec::fromCp1251(page());
    EXPECT_FALSE(text.contains(u"<script>"_s));
    EXPECT_TRUE(text.contains(u"Договор &quot;Поставка&quot; &lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; "
                              u"Co — №5 &#10003;"_s))
        << "escaped, and a character windows-1251 lacks as a numeric reference";
    EXPECT_TRUE(text.contains(u"<td>Документ удалён &lt;в Диадок&gt;</td>"_s));
    // Every href is one quoted file URL without a quote, a blank or a non-ASCII character inside.
    static const QRegularExpression href(u"<a href='([^']*)'>"_s);
    auto links = href.globalMatch(text);
    int count = 0;
    while (links.hasNext()) {
        const QString url = links.next().captured(1);
        ++count;
        SCOPED_TRACE(url.toStdString());
        EXPECT_TRUE(url.startsWith(u"file://"_s));
        EXPECT_FALSE(url.contains(u' ') || url.contains(u'"') || url.contains(u'<'));
        for (const QChar c : url)
            EXPECT_LT(c.unicode(), 128);
    }
    EXPECT_EQ(count, 7);
    EXPECT_TRUE(text.startsWith(u"<html><meta charset=\"windows-1251\"><style>"_s));
}

// A NUL or another control character from outside would pass into the page as a raw byte: such
// characters are dropped from every text; tab and line ends stay, as a page shows them as blanks.
TEST_F(HtmlProtocolTest, CharactersNoProtocolHoldsAreDroppedFromEveryText)
{
    const struct
    {
        QString text;
        QString shown;
    } cases[] = {
        {u"Счёт"_s + QChar(0) + u" 5"_s, u"Счёт 5"_s},
        {u"\x01 А\x1F\x7F\u0085Б\x1B"_s, u" АБ"_s},
        {u"А"_s + QChar(0xDC00) + u"Б\uFFFF"_s, u"АБ"_s},
        {u"А\tБ\r\nВ"_s, u"А\tБ\r\nВ"_s},
        {u"<\x02&>"_s, u"&lt;&amp;&gt;"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(HtmlProtocol::escaped(c.text), c.shown);
    }

    romashka->Name = u"ООО"_s + QChar(0) + u" Ромашка"_s;
    auto doc = document(u"ORG_romashka"_s, u"Акт"_s + QChar(0) + u"\x01 12"_s);
    doc->Counteragent = u"АО\x07 Лютик"_s;
    doc->DocumentNumber = QChar(0) + u"15"_s;
    source.unloadedList = {doc};
    summary = {{u"Итог"_s, u"1\x01"_s}};
    ASSERT_TRUE(writeProtocol());
    const QByteArray bytes = page();
    for (const char c : bytes)
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n') << int(c);
    const QString text = core::TextCodec::fromCp1251(bytes);
    EXPECT_TRUE(text.contains(u">Акт 12</a>"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"<td>ООО Ромашка</td>"_s));
    EXPECT_TRUE(text.contains(u"<td>15</td>"_s));
    EXPECT_TRUE(text.contains(u"<td>АО Лютик</td>"_s));
    EXPECT_TRUE(text.contains(u"Итог 1<br>"_s));
}

TEST_F(HtmlProtocolTest, AnEmptyRunHasTheStyleTheHeadingAndTheEndOnly)
{
    summary = {{u"Итог"_s, u"0"_s}, {u"Пусто:"_s, {}}};
    ASSERT_TRUE(writeProtocol());
    const QByteArray bytes = page();
    const qsizetype heading = bytes.indexOf("</style>\r\n<h3>");
    ASSERT_GT(heading, 0);
    EXPECT_EQ(bytes.mid(heading + 10), core::TextCodec::toCp1251(u"<h3>Итог 0<br>Пусто: <br></h3>\r\n</html>"_s))
        << "an empty value keeps the blank after its caption";
    EXPECT_EQ(progress.events, (QStringList{u"begin"_s, u"step 1/2"_s, u"step 2/2"_s, u"end"_s}));

    // The style block: thirteen picture rules on their own lines, each a 16 x 16 PNG.
    const QList<QByteArray> lines = bytes.left(heading + 10).split('\n');
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[1], "td.a0{width:16px;}\r");
    for (int n = 1; n <= 13; ++n) {
        SCOPED_TRACE(n);
        const QByteArray prefix =
            "td.a" + QByteArray::number(n) + "{width:16px;background-image:url('data:image/png;base64,";
        ASSERT_TRUE(lines[n + 1].startsWith(prefix));
        ASSERT_TRUE(lines[n + 1].endsWith("');}\r"));
        const QByteArray png = QByteArray::fromBase64(lines[n + 1].mid(prefix.size()).chopped(5));
        EXPECT_TRUE(png.startsWith("\x89PNG"));
        EXPECT_EQ(png.mid(16, 8), QByteArray("\0\0\0\x10\0\0\0\x10", 8)) << "16 x 16";
    }
    EXPECT_EQ(lines[15], "td.pat{width:40%;word-wrap:break-word;}</style>\r");
}

TEST_F(HtmlProtocolTest, AnEmptySummaryGivesAnEmptyHeading)
{
    ASSERT_TRUE(writeProtocol());
    EXPECT_TRUE(page().endsWith("</style>\r\n<h3></h3>\r\n</html>"));
}

// Cancel at a step: what was written stays, an open table is closed, the cancel table and the end
// follow, nothing later is written, and the writing counts as done.
struct CancelCase
{
    int step;
    const char* what;
};

class HtmlProtocolCancelTest : public HtmlProtocolTest, public testing::WithParamInterface<CancelCase>
{
};

TEST_P(HtmlProtocolCancelTest, ClosesThePageProperly)
{
    fillSampleRun();
    ASSERT_TRUE(writeProtocol());
    const QByteArray full = page();
    progress.events.clear();

    const int step = GetParam().step;
    progress.cancelAtStep = step;
    ASSERT_TRUE(writeProtocol());
    const QByteArray cut = page();

    QByteArray expected;
    if (step == 1)
        expected = full.left(full.indexOf("<h3>") + 4);
    else if (step == 2)
        expected = full.left(full.indexOf("</h3>\r\n") + 7);
    else
        expected = full.left(endOfRow(full, step - 2)) + "</table>";
    expected += kCancelTable + "</html>";
    EXPECT_EQ(cut, expected);
    EXPECT_EQ(progress.events.size(), step + 2);
    EXPECT_EQ(progress.events.last(), u"end"_s);
}

INSTANTIATE_TEST_SUITE_P(Steps, HtmlProtocolCancelTest,
                         testing::Values(CancelCase{1, "before the summary rows"}, CancelCase{2, "after the heading"},
                                         CancelCase{4, "in the middle of the unloaded table"},
                                         CancelCase{5, "at the last row of the first table"},
                                         CancelCase{7, "in the waiting table"}, CancelCase{9, "at the very last step"}),
                         [](const testing::TestParamInfo<CancelCase>& param) {
                             return "Step" + std::to_string(param.param.step);
                         });

TEST_F(HtmlProtocolTest, IconsFollowPicturecode)
{
    const struct
    {
        const char16_t* status;
        int code;
    } cases[] = {
        {u"OutboundFinished", 0},
        {u"InboundFinished", 0},
        {u"OutboundWithRecipientSignature", 0},
        {u"InboundWithRecipientSignature", 0},
        {u"Outbound", 0},
        {u"Inbound", 0},
        {u"InboundNotFinished", 1},
        {u"", 1},
        {u"inboundfinished", 1},
        {u"InboundFinished ", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.status).toStdString());
        EXPECT_EQ(HtmlProtocol::picturecode(QString::fromUtf16(c.status)), c.code);
    }

    auto doc = document(u"ORG_vector"_s, u"Д"_s);
    doc->Status = u"InboundNotFinished"_s;
    source.docsMainQueue = {doc};
    ASSERT_TRUE(writeProtocol());
    EXPECT_TRUE(page().contains("<tr><td class='a2'>&nbsp;</td>"));
}

TEST_F(HtmlProtocolTest, StatusesAreJoinedOnlyBetweenNonEmptyTexts)
{
    auto none = document(u"ORG_vector"_s, u"Без статусов"_s);
    auto two = document(u"ORG_vector"_s, u"Два статуса"_s);
    two->RoamingNotificationStatus = u"RoamingNotificationStatusError"_s;
    two->SenderSignatureStatus = u"SenderSignatureCheckedAndInvalid"_s;
    source.docsMainQueue = {none, two};
    ASSERT_TRUE(writeProtocol());
    const QString text = core::TextCodec::fromCp1251(page());
    EXPECT_TRUE(text.contains(u"<td></td><td>"_s + u"</td></tr>"_s)) << "empty statuses and counterparty";
    EXPECT_TRUE(text.contains(
        u"<td>документ с ошибкой доставки в роуминг;<br>подпись отправителя проверена и невалидна</td>"_s));
}

TEST_F(HtmlProtocolTest, OrganisationKeepsItsBlanksWithoutADepartment)
{
    auto plain = document(u"ORG_romashka"_s, u"Без подразделения"_s);
    auto withDepartment = document(u"ORG_romashka"_s, u"С подразделением"_s);
    withDepartment->DepartmentName = u"Филиал «Север»"_s;
    source.docsMainQueue = {plain, withDepartment};
    ASSERT_TRUE(writeProtocol());
    const QString text = core::TextCodec::fromCp1251(page());
    EXPECT_TRUE(text.contains(u"<td>ООО «Ромашка» </td>"_s)) << "no head department in this protocol";
    EXPECT_TRUE(text.contains(u"<td>ООО «Ромашка», Филиал «Север»</td>"_s));
}

TEST_F(HtmlProtocolTest, AFolderOutsideTheUnloadFolderIsShownWhole)
{
    QTemporaryDir elsewhere;
    auto moved = document(u"ORG_vector"_s, u"Вне папки"_s);
    moved->PathForDownload = elsewhere.path() + u"/x/"_s;
    QDir().mkpath(moved->PathForDownload);
    auto gone = document(u"ORG_vector"_s, u"Удалённая папка"_s);
    gone->PathForDownload = base + u"нет такой/"_s;
    source.unloadedList = {moved, gone};
    ASSERT_TRUE(writeProtocol());
    const QString text = core::TextCodec::fromCp1251(page());
    EXPECT_TRUE(text.contains(u"<td>"_s + moved->PathForDownload + u"</td></tr>"_s));
    EXPECT_TRUE(text.contains(u"</td><td></td></tr></table>"_s)) << "a folder that no longer exists: empty cell";
}

TEST_F(HtmlProtocolTest, AFullDiskIsToldAsSuchAndEndsWithoutTheEndEvent)
{
    fillSampleRun();
    for (const qint64 room : {qint64{0}, qint64{100}, qint64{9000}, qint64{12000}}) {
        SCOPED_TRACE(room);
        progress.events.clear();
        ui.boxes.clear();
        FullDevice device(room);
        ui.expectBox(core::msgbox::vbOK);
        HtmlProtocol writer(source, summary, progress, ui);
        EXPECT_FALSE(writer.write(device, u"/data/Протокол.htm"_s));
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(
            ui.boxes[0].prompt,
            u"Не удалось записать файл протокола выгрузки \"/data/Протокол.htm\", т.к. на диске закончилось место."_s);
        EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbCritical);
        EXPECT_EQ(ui.boxes[0].title, QString::fromUtf16(core::kApplicationTitle));
        EXPECT_EQ(progress.events.first(), u"begin"_s);
        EXPECT_FALSE(progress.events.contains(u"end"_s));
        EXPECT_FALSE(device.isOpen()) << "the device is closed after a failure";
        EXPECT_EQ(device.written.size(), room);
    }
}

TEST_F(HtmlProtocolTest, AFullDiskBehindARealFileIsFoundWhenTheFileIsFlushed)
{
    if (!QFile::exists(u"/dev/full"_s))
        GTEST_SKIP() << "no /dev/full here";
    ui.expectBox(core::msgbox::vbOK);
    HtmlProtocol writer(source, summary, progress, ui);
    EXPECT_FALSE(writer.write(u"/dev/full"_s));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.boxes[0].prompt.endsWith(u", т.к. на диске закончилось место."_s));
}

TEST_F(HtmlProtocolTest, AnyOtherFailureNamesTheErrorWithItsNumber)
{
    fillSampleRun();
    source.ignoredList.first()->KeyОрганизацииВКоллекции = u"ORG_unknown"_s;
    ui.expectBox(core::msgbox::vbOK);
    EXPECT_FALSE(writeProtocol());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, u"Не удалось записать файл протокола выгрузки \""_s + fileName()
                                      + u"\".\r\n\r\nПроизошла ошибка:\r\nFetchling.WriteProtocolHtml\r\nСтрока = 8"
                                        u"\r\n.Number = 5\r\n.Description = \"Invalid procedure call or argument\"."_s);
    EXPECT_FALSE(progress.events.contains(u"end"_s));
    EXPECT_FALSE(QFile::exists(fileName())) << "no partly written page under the protocol's name";
    EXPECT_EQ(QDir(base).entryList(QDir::Files | QDir::Hidden), QStringList()) << "nor anywhere beside it";
}

TEST_F(HtmlProtocolTest, AFileThatCannotBeOpenedIsAFailureBeforeAnyStep)
{
    ui.expectBox(core::msgbox::vbOK);
    HtmlProtocol writer(source, summary, progress, ui);
    EXPECT_FALSE(writer.write(base));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.boxes[0].prompt.contains(u"\r\nСтрока = 3\r\n"_s)) << ui.boxes[0].prompt.toStdString();
    EXPECT_EQ(progress.events, QStringList{u"begin"_s});
}

TEST_F(HtmlProtocolTest, AnExistingProtocolIsReplacedWhole)
{
    {
        QFile old(fileName());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    ASSERT_TRUE(writeProtocol());
    EXPECT_TRUE(page().endsWith("</h3>\r\n</html>"));
    EXPECT_LT(page().size(), 20000);
}

} // namespace

} // namespace protocoltest
