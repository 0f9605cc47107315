#include "HtmlProtocol.h"

#include <algorithm>

#include <QFileDevice>
#include <QIODevice>
#include <QUrl>

#include "ProtocolOutput.h"
#include "ProtocolPictures.h"
#include "ProtocolTexts.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/PrintableText.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "core/mErrorHandling.h"
#include "core/mOther.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"

using namespace Qt::StringLiterals;

namespace engine {

namespace {

constexpr char16_t kModule[] = u"Fetchling";
constexpr char16_t kCrLf[] = u"\r\n";

constexpr char16_t kTableStart[] =
    u"<table rules=rows style='border-collapse: collapse;border: 1px solid black;table-layout:fixed;width:100%'>";
// The typo in the cancel row is the system's own text.
constexpr char16_t kCancelTable[] =
    u"<table><tr><td><b>Формирование протоокола выгрузки прервано пользователем.</b></td></tr></table>";

constexpr char16_t kCommonHeaderCells[] = u"<tr><td class='a0'>&nbsp;</td>"
                                          u"<td width='250'><b>Документ</b></td>"
                                          u"<td width='90'><b>Получен / отправлен</b></td>"
                                          u"<td width='200'><b>Организация, подразделение</b></td>"
                                          u"<td width='90'><b>Дата документа</b></td>"
                                          u"<td width='120'><b>Номер документа</b></td>"
                                          u"<td width='150'><b>Тип документа</b></td>"
                                          u"<td width='95'><b>Вх. / исх. / внутренний</b></td>";

bool isDiskFull(const QString& description)
{
    const QString diskFull = QString::fromUtf16(core::failure::kDiskFull);
    return description == diskFull || description.endsWith(QStringView(kCrLf) + diskFull);
}

} // namespace

HtmlProtocol::HtmlProtocol(const ProtocolSource& source, const SummaryRows& aAddText, ProtocolProgress& progress,
                           core::UiServices& ui)
    : m_source(source)
    , m_addText(aAddText)
    , m_progress(progress)
    , m_ui(ui)
{
}

int HtmlProtocol::picturecode(const QString& sss)
{
    try {
        static constexpr QStringView kNormal[] = {
            u"OutboundFinished",
            u"InboundFinished",
            u"OutboundWithRecipientSignature",
            u"InboundWithRecipientSignature",
            u"Outbound",
            u"Inbound",
        };
        for (const QStringView normal : kNormal) {
            if (sss == normal)
                return 0;
        }
        return 1;
    } catch (...) {
        core::PropagateError(kModule, u"picturecode");
    }
}

QString HtmlProtocol::escaped(const QString& original)
{
    const QString text = core::PrintableText::cleaned(original);
    const auto special = [](QChar c) { return c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\''; };
    if (std::none_of(text.cbegin(), text.cend(), special))
        return text;
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            result += u"&amp;"_s;
            break;
        case u'<':
            result += u"&lt;"_s;
            break;
        case u'>':
            result += u"&gt;"_s;
            break;
        case u'"':
            result += u"&quot;"_s;
            break;
        case u'\'':
            result += u"&#39;"_s;
            break;
        default:
            result += c;
            break;
        }
    }
    return result;
}

QString HtmlProtocol::folderLink(const QString& folder)
{
    if (folder.isEmpty())
        return u"file://"_s;
    return QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded);
}

bool HtmlProtocol::write(const QString& aFileName)
{
    const auto file = ProtocolOutput::fileFor(core::mOther::GetShortPathEx(aFileName, false));
    return write(*file, aFileName);
}

bool HtmlProtocol::write(QIODevice& device, const QString& aFileName)
{
    m_progress.OnBegin();
    m_line = 2;
    try {
        const DocRecordList* lists[] = {&m_source.unloadedList, &m_source.ignoredList, &m_source.docsMainQueue,
                                        &m_source.docsSecondaryQueue, &m_source.unloadingList};
        m_stepCount = 2;
        for (const DocRecordList* list : lists)
            m_stepCount += static_cast<int>(list->size());
        m_numberStep = 0;
        m_cancel = false;

        m_line = 3;
        ProtocolOutput::open(device);
        ProtocolOutput out(device, ProtocolOutput::Missing::References);
        writePage(out);

        m_line = 10;
        if (m_cancel)
            out.write(kCancelTable);
        out.write(u"</html>");
        out.finish();
        ProtocolOutput::complete(device);
    } catch (...) {
        const core::Error error = core::currentError();
        ProtocolOutput::abandon(device);
        showFailure(aFileName, error.number(), error.description());
        return false;
    }
    m_progress.OnEnd();
    return true;
}

void HtmlProtocol::writePage(ProtocolOutput& out)
{
    m_line = 4;
    writeStyle(out);
    out.write(u"<h3>");

    m_line = 5;
    m_numberStep = 1;
    if (stepCancelled())
        return;

    m_line = 6;
    for (const SummaryRow& row : m_addText)
        out.write(QString(escaped(row.caption) + u' ' + escaped(row.value) + u"<br>"_s));
    out.write(u"</h3>\r\n");

    m_line = 7;
    m_numberStep = 2;
    if (stepCancelled())
        return;

    m_line = 8;
    const QString otherHeaders = u"<td width='200'><b>Статус</b></td><td width='200'><b>Контрагент</b></td>"_s;
    const Section sections[] = {
        {&m_source.unloadedList, u"<h3>Выгружены:</h3>",
         u"<td width='200'><b>Статусы</b></td><td width='200'><b>Контрагент</b></td>"
         u"<td width='350'><b>Папка<br>"_s
             + escaped(m_source.path) + u"</b></td></tr>"_s,
         LastCell::Folder},
        {&m_source.ignoredList, u"<h3>Не выгружены:</h3>",
         otherHeaders + u"<td width='350'><b>Причина невыгрузки</b></td></tr>"_s, LastCell::ErrorDescription},
        {&m_source.docsMainQueue, u"<h3>Документы На выгрузку:</h3>",
         u"<td width='200'><b>Статус</b></td><td width='350'><b>Контрагент</b></td></tr>"_s, LastCell::None},
        {&m_source.docsSecondaryQueue, u"<h3>Документы На повтор попытки выгрузки:</h3>",
         otherHeaders + u"<td width='350'><b>Причина повтора</b></td></tr>"_s, LastCell::ErrorDescription},
        {&m_source.unloadingList, u"<h3>Документы Выгружаются:</h3>",
         otherHeaders + u"<td width='350'><b>Причина повтора</b></td></tr>"_s, LastCell::LastErrorDescription},
    };
    for (const Section& section : sections) {
        if (section.list->isEmpty())
            continue;
        out.write(QString(QStringView(section.heading) + QStringView(kTableStart) + QStringView(kCrLf)
                          + QStringView(kCommonHeaderCells) + section.headerCells));
        for (const auto& doc : *section.list) {
            out.write(documentRow(*doc, section.lastCell));
            ++m_numberStep;
            if (stepCancelled()) {
                out.write(u"</table>");
                return;
            }
        }
        out.write(u"</table>");
    }
}

void HtmlProtocol::writeStyle(ProtocolOutput& out) const
{
    // The encoding is declared so that a browser outside a Cyrillic locale reads the page right.
    out.write(u"<html><meta charset=\"windows-1251\"><style>td {text-align:left; background-repeat:no-repeat}\r\n"
              u"td.a0{width:16px;}\r\n");
    for (int n = 1; n <= ProtocolPictures::kCount; ++n) {
        out.write(QString(u"td.a"_s + QString::number(n) + u"{width:16px;background-image:url('data:image/png;base64,"_s
                          + ProtocolPictures::base64(n) + u"');}\r\n"_s));
    }
    out.write(u"td.pat{width:40%;word-wrap:break-word;}</style>\r\n");
}

QString HtmlProtocol::documentRow(const diadoc::AsyncDocRecord& doc, LastCell lastCell) const
{
    QString row = u"<tr><td class='a"_s + QString::number(picturecode(doc.Status) + 1) + u"'>&nbsp;</td>"_s;
    row += u"<td class='pat'><a href='"_s + escaped(folderLink(doc.Path)) + u"'>"_s + escaped(doc.DocumentName)
           + u"</a></td>"_s;
    row += u"<td>"_s + ProtocolTexts::dateReceivedText(doc.Timestamp) + u"</td>"_s;
    if (m_source.persons == nullptr)
        throw core::objectNotSet();
    const auto person = ProtocolTexts::personOf(*m_source.persons, doc);
    row += u"<td>"_s + escaped(ProtocolTexts::organisationTextHtml(*person, doc)) + u"</td>"_s;
    row += u"<td>"_s + escaped(doc.DocumentDate) + u"</td>"_s;
    row += u"<td>"_s + escaped(doc.DocumentNumber) + u"</td>"_s;
    row += u"<td>"_s + escaped(person->GetDocTypeName(doc.TypeNamedId)) + u"</td>"_s;
    row += u"<td>"_s + escaped(ProtocolTexts::directionText(doc)) + u"</td>"_s;

    QStringList statuses = ProtocolTexts::statusParts(doc);
    for (QString& part : statuses)
        part = escaped(part);
    row += u"<td>"_s + ProtocolTexts::joinStatuses(statuses, u";<br>") + u"</td>"_s;

    row += u"<td>"_s + escaped(ProtocolTexts::trimBlanks(doc.Counteragent));
    switch (lastCell) {
    case LastCell::None:
        return row + u"</td></tr>"_s;
    case LastCell::Folder:
        row += u"</td><td>"_s
               + escaped(ProtocolTexts::relativeFolder(doc.PathForDownload, m_source.path, m_source.folders));
        break;
    case LastCell::ErrorDescription:
        row += u"</td><td>"_s + escaped(doc.ErrorDescription);
        break;
    case LastCell::LastErrorDescription:
        row += u"</td><td>"_s + escaped(ProtocolTexts::trimBlanks(doc.LastErrorDescription));
        break;
    }
    return row + u"</td></tr>"_s;
}

bool HtmlProtocol::stepCancelled()
{
    m_progress.StepChange(m_stepCount, m_numberStep, m_cancel);
    return m_cancel;
}

void HtmlProtocol::showFailure(const QString& aFileName, int number, const QString& description) const
{
    QString message = u"Не удалось записать файл протокола выгрузки \""_s + aFileName + u'"';
    if (isDiskFull(description)) {
        message += u", т.к. на диске закончилось место."_s;
    } else {
        message += u"."_s + kCrLf + kCrLf + u"Произошла ошибка:"_s + kCrLf + u"Fetchling.WriteProtocolHtml"_s + kCrLf
                   + u"Строка = "_s + QString::number(m_line) + kCrLf + u".Number = "_s + QString::number(number)
                   + kCrLf + u".Description = \""_s + description + u"\"."_s;
    }
    core::mOther::iMsgBox(m_ui, message, core::msgbox::vbCritical, QString::fromUtf16(core::kApplicationTitle));
}

} // namespace engine
