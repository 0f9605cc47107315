#include "NameCleaning.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include "core/VbText.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "platform/family/GlobalUtility.h"

using namespace Qt::StringLiterals;

namespace engine {

namespace {

constexpr char16_t kModule[] = u"Fetchling";

// Apostrophe, quotation mark, grave accent, « and », in the order they are removed.
constexpr char16_t kQuotes[] = u"'\"`\u00AB\u00BB";

bool isControl(QChar character)
{
    return character.category() == QChar::Other_Control;
}

bool isBlankOrDot(QChar character)
{
    return character == u' ' || character == u'.';
}

QString withoutTrailingBlanksAndDots(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && isBlankOrDot(text.at(end - 1)))
        --end;
    text.truncate(end);
    return text;
}

} // namespace

NameCleaning::NameCleaning(const platform::family::GlobalUtility& utility)
    : m_utility(utility)
{
}

QString NameCleaning::ExcludeNegligible(const QString& name) const
{
    try {
        QString s = name;
        // Each form is tried once, in list order, on what the forms before it left.
        for (const QString& form : core::mFetchlingOptions::Get_LegalForms()) {
            const qsizetype n = form.size() + 1;
            if (s.size() > n && QStringView(s).first(n) == QString(form + u' '))
                s.remove(0, n);
        }
        for (const QString& form : core::mFetchlingOptions::Get_LegalFormsInBrackets()) {
            const qsizetype n = form.size() + 1;
            if (s.size() > n && QStringView(s).last(n) == QString(u' ' + form))
                s.chop(n);
        }
        s = core::Trim(s);
        return m_utility.RemoveChars(QString::fromUtf16(kQuotes), s, 0);
    } catch (...) {
        core::PropagateError(kModule, u"ExcludeNegligible");
    }
}

QString NameCleaning::ecrdisk(QString text)
{
    try {
        for (const char16_t bad : {u'/', u'\\', u'*', u'?', u':', u'&', u'<', u'>'})
            text.replace(QChar(bad), u'_');
        text.replace(u'"', u'\'');
        // Control characters cannot be typed into a folder name and some file systems refuse them.
        for (QChar& character : text) {
            if (isControl(character))
                character = u'_';
        }
        return text;
    } catch (...) {
        core::PropagateError(kModule, u"ecrdisk");
    }
}

QString NameCleaning::TrimNegligible(QString text)
{
    try {
        QString s = ecrdisk(std::move(text));
        qsizetype begin = 0;
        while (begin < s.size() && isBlankOrDot(s.at(begin)))
            ++begin;
        s.remove(0, begin);
        // Cut before the end is trimmed, so that a cut never leaves a blank or a dot at the end.
        return withoutTrailingBlanksAndDots(cutToByteBudget(s, kMaxNameBytes));
    } catch (...) {
        core::PropagateError(kModule, u"TrimNegligible");
    }
}

QString NameCleaning::cleanElement(QString text)
{
    for (QChar& character : text) {
        if (character == u'/' || character == u'\\' || isControl(character))
            character = u'_';
    }
    return text;
}

qsizetype NameCleaning::utf8Size(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            bytes += 1;
        } else if (unit < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3; // a lone surrogate is written as the replacement character
        }
    }
    return bytes;
}

QString NameCleaning::cutToByteBudget(const QString& text, qsizetype budget)
{
    if (budget <= 0)
        return {};
    if (utf8Size(text) <= budget)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    qsizetype bytes = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        const qsizetype piece = utf8Size(QStringView(text).sliced(end, next - end));
        if (bytes + piece > budget)
            break;
        bytes += piece;
        end = next;
    }
    return text.left(end);
}

QString NameCleaning::fitFolderName(const QString& name, const QString& suffix)
{
    const qsizetype suffixBytes = utf8Size(suffix);
    if (suffixBytes >= kMaxNameBytes)
        return cutToByteBudget(suffix, kMaxNameBytes);
    return cutToByteBudget(name, kMaxNameBytes - suffixBytes) + suffix;
}

QString NameCleaning::closeLevel(const QString& level)
{
    return withoutTrailingBlanksAndDots(cutToByteBudget(level, kMaxNameBytes));
}

} // namespace engine
