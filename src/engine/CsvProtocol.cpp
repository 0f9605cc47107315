#include "CsvProtocol.h"

#include <array>
#include <utility>

#include <QFileDevice>
#include <QIODevice>

#include "ProtocolOutput.h"
#include "ProtocolTexts.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/PrintableText.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "core/mOther.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"

using namespace Qt::StringLiterals;

namespace engine {

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

bool isDiskFull(const QString& description)
{
    const QString diskFull = QString::fromUtf16(core::failure::kDiskFull);
    return description == diskFull || description.endsWith(QStringView(kCrLf) + diskFull);
}

// A spreadsheet that opens the file would run such a text as a formula (CSV injection).
bool startsLikeAFormula(const QString& text)
{
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}

} // namespace

CsvProtocol::CsvProtocol(const ProtocolSource& source, ProtocolProgress& progress, core::UiServices& ui)
    : m_source(source)
    , m_progress(progress)
    , m_ui(ui)
{
}

QString CsvProtocol::writtenField(const QString& field, Source source)
{
    QString text = ProtocolTexts::trimBlanks(core::PrintableText::cleaned(field));
    if (source == Source::Outside && startsLikeAFormula(text))
        text.prepend(u'\'');
    text.replace(u'"', u"\"\""_s);
    const bool quoted = text.contains(u',') || text.contains(u';') || text.contains(u'"') || text.contains(u'\r')
                        || text.contains(u'\n');
    return quoted ? u'"' + text + u'"' : text;
}

bool CsvProtocol::write(const QString& aFileName)
{
    const auto file = ProtocolOutput::fileFor(core::mOther::GetShortPathEx(aFileName, false));
    return write(*file, aFileName);
}

bool CsvProtocol::write(QIODevice& device, const QString& aFileName)
{
    m_progress.OnBegin();
    try {
        const DocRecordList& list = m_source.unloadedList;
        const int stepCount = static_cast<int>(list.size());
        int numberStep = 0;
        bool rCancel = false;

        ProtocolOutput::open(device);
        ProtocolOutput out(device, ProtocolOutput::Missing::QuestionMarks);
        for (const auto& doc : list) {
            out.write(line(*doc));
            ++numberStep;
            m_progress.StepChange(stepCount, numberStep, rCancel);
            if (rCancel)
                break;
        }
        out.finish();
        ProtocolOutput::complete(device);
    } catch (...) {
        const core::Error error = core::currentError();
        ProtocolOutput::abandon(device);
        showFailure(aFileName, error.description());
        return false;
    }
    m_progress.OnEnd();
    return true;
}

QString CsvProtocol::line(const diadoc::AsyncDocRecord& doc) const
{
    if (m_source.persons == nullptr)
        throw core::objectNotSet();
    const auto person = ProtocolTexts::personOf(*m_source.persons, doc);
    // The statuses of a type the tables do not know are the service's codes, and the folder is
    // built from names: both count as text from outside.
    const std::array<std::pair<QString, Source>, 10> fields = {{
        {doc.DocumentName, Source::Outside},
        {ProtocolTexts::dateReceivedText(doc.Timestamp), Source::Program},
        {ProtocolTexts::organisationText(*person, doc), Source::Outside},
        {doc.DocumentDate, Source::Outside},
        {doc.DocumentNumber, Source::Outside},
        {person->GetDocTypeName(doc.TypeNamedId), Source::Outside},
        {ProtocolTexts::directionText(doc), Source::Program},
        {ProtocolTexts::statusesText(doc, u";"), Source::Outside},
        {doc.Counteragent, Source::Outside},
        {ProtocolTexts::relativeFolder(doc.PathForDownload, m_source.path, m_source.folders), Source::Outside},
    }};
    QString text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += u';';
        text += writtenField(fields[i].first, fields[i].second);
    }
    return text + kCrLf;
}

void CsvProtocol::showFailure(const QString& aFileName, const QString& description) const
{
    QString message = u"Не удалось записать файл протокола выгрузки \""_s + aFileName + u'"';
    if (isDiskFull(description))
        message += u", т.к. на диске закончилось место."_s;
    else
        message += u"."_s + kCrLf + u"Произошла ошибка: "_s + description;
    core::mOther::iMsgBox(m_ui, message, core::msgbox::vbCritical, QString::fromUtf16(core::kApplicationTitle));
}

} // namespace engine
