#include "mDiadocErrors.h"

#include "base/Error.h"
#include "core/mErrorHandling.h"
#include "platform/family/GlobalUtility.h"

using namespace Qt::StringLiterals;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"mDiadoc";
constexpr int kTypeMismatch = 13;

// The code block that the client puts in front of the service's own sign-in errors.
constexpr char16_t kServiceErrorBlock[] = u"##100";
constexpr char16_t kInvalidApiKeyPhrase[] = u"Invalid API client id";
constexpr char16_t kWrongLoginPhrase[] = u"Wrong password provided for login";

} // namespace

mDiadocErrors::mDiadocErrors(const platform::family::GlobalUtility& utility)
    : m_utility(utility)
{
}

bool mDiadocErrors::ErrorIs(const QString& errorText, const QString& searchedText) const
{
    try {
        return m_utility.TextPosition(searchedText, errorText) >= 1;
    } catch (...) {
        core::PropagateError(kModule, u"ErrorIs");
    }
}

int mDiadocErrors::RangError(const QVariant& error, const QString& prefix, const QString& middle,
                             const QString& suffix) const
{
    try {
        if (error.isNull())
            return 0;
        // A value that has no text form (a list, an object) is a caller's mistake, not a mismatch.
        if (!error.canConvert<QString>())
            throw core::Error(kTypeMismatch, u"Type mismatch"_s);
        const QString text = error.toString();
        if (text.size() < prefix.size() + middle.size() + suffix.size())
            return 0;
        if (!text.startsWith(prefix, Qt::CaseSensitive) || !text.endsWith(suffix, Qt::CaseSensitive))
            return 0;
        return middle.isEmpty() || ErrorIs(text, middle) ? 1 : 0;
    } catch (...) {
        core::PropagateError(kModule, u"RangError");
    }
}

QString mDiadocErrors::DiadocErrorTranslate(const QString& errorText) const
{
    try {
        if (!errorText.startsWith(QStringView(kServiceErrorBlock), Qt::CaseSensitive))
            return errorText;
        if (ErrorIs(errorText, QString::fromUtf16(kInvalidApiKeyPhrase)))
            return QString::fromUtf16(kInvalidApiKeyText);
        if (ErrorIs(errorText, QString::fromUtf16(kWrongLoginPhrase)))
            return QString::fromUtf16(kWrongLoginText);
        return errorText;
    } catch (...) {
        core::PropagateError(kModule, u"DiadocErrorTranslate");
    }
}

} // namespace diadoc
