#pragma once

#include <QString>
#include <QVariant>

namespace platform::family {
class GlobalUtility;
}

namespace diadoc {

// Recognises the Diadoc client's errors, which reach the program only as description texts,
// by their fixed beginnings, ends and inner phrases; and gives the two sign-in errors a user
// can mend a Russian text.
class mDiadocErrors final
{
public:
    static constexpr char16_t kInvalidApiKeyText[] = u"Неверный ключ к Диадок API";
    static constexpr char16_t kWrongLoginText[] = u"Неверный логин или пароль";

    explicit mDiadocErrors(const platform::family::GlobalUtility& utility);

    // True when searchedText occurs in errorText, as the utility's text search finds it.
    bool ErrorIs(const QString& errorText, const QString& searchedText) const;
    // 1 when the error text begins with prefix, ends with suffix (both exactly) and holds middle
    // anywhere, 0 otherwise; a Null error gives 0. Empty parts match every error.
    int RangError(const QVariant& error, const QString& prefix, const QString& middle, const QString& suffix) const;
    // The Russian text for a wrong API key or a wrong login or password, else errorText itself.
    QString DiadocErrorTranslate(const QString& errorText) const;

private:
    const platform::family::GlobalUtility& m_utility;
};

} // namespace diadoc
