#include "mDiadoc.h"

#include "GuardedCall.h"
#include "base/Error.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "platform/diadoc/DiadocClientFactory.h"

using namespace Qt::StringLiterals;
using platform::diadoc::DiadocCertificate;
using platform::diadoc::DiadocClient;
using platform::diadoc::DiadocConnection;
using platform::diadoc::DiadocList;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"mDiadoc";

QString defaultApiClientId()
{
    return QString::fromUtf16(mDiadoc::kDefaultApiClientId);
}

QString displayMask()
{
    return QString(13, u'*') + defaultApiClientId().right(2);
}

} // namespace

mDiadoc::mDiadoc(platform::diadoc::DiadocClientFactory& factory, const core::mFetchlingOptions& options)
    : m_factory(factory)
    , m_options(options)
{
}

std::shared_ptr<DiadocClient> mDiadoc::GetDiadocAPIEx(const QString& keyDiadocAPI, QString& errorText) const
{
    try {
        auto client = guarded(errorText, [&] { return m_factory.create(); });
        if (!client)
            return nullptr;
        const QString key = keyDiadocAPI.isEmpty() ? defaultApiClientId() : keyDiadocAPI;
        client->setApiClientId(VisualKeyToKeyDiadocAPI(key));
        QString url = m_options.Get_DiadocServerURL();
        if (url.isEmpty())
            url = QString::fromUtf16(kDefaultServerUrl);
        client->setServerUrl(url);
        return client;
    } catch (...) {
        core::PropagateError(kModule, u"GetDiadocAPIEx");
    }
}

bool mDiadoc::IsDiadocAPI(QString& errorText) const
{
    try {
        return GetDiadocAPIEx(QString(), errorText) != nullptr;
    } catch (...) {
        core::PropagateError(kModule, u"IsDiadocAPI");
    }
}

bool mDiadoc::IsDiadocAPI() const
{
    QString errorText;
    return IsDiadocAPI(errorText);
}

QString mDiadoc::GetVersionDiadocAPI(QString& errorText) const
{
    try {
        const auto client = GetDiadocAPIEx(QString(), errorText);
        if (!client)
            return QString::fromUtf16(kUnknownVersion);
        return guarded(errorText, [&] { return client->GetFullVersion(); });
    } catch (...) {
        core::PropagateError(kModule, u"GetVersionDiadocAPI");
    }
}

QString mDiadoc::GetVersionDiadocAPI() const
{
    QString errorText;
    return GetVersionDiadocAPI(errorText);
}

std::shared_ptr<DiadocConnection> mDiadoc::GetConnectionDiadocAPIEx(const QString& keyDiadocAPI,
                                                                    QString& errorText) const
{
    try {
        const auto client = GetDiadocAPIEx(keyDiadocAPI, errorText);
        if (!client)
            return nullptr;
        if (m_options.Get_TypeDiadocAccount() == 1) {
            const QString login = m_options.Get_Login();
            const QString password = m_options.GetDefault_Password();
            return guarded(errorText, [&] { return client->CreateConnectionByLogin(login, password); });
        }
        const QString thumbprint = m_options.GetDefault_Certificate();
        return guarded(errorText, [&] { return client->CreateConnectionByCertificate(thumbprint, QString()); });
    } catch (...) {
        core::PropagateError(kModule, u"GetConnectionDiadocAPIEx");
    }
}

std::shared_ptr<DiadocList> mDiadoc::GetDiadocPersonalCertificates(QString& errorText) const
{
    try {
        const auto client = GetDiadocAPIEx(QString(), errorText);
        if (!client)
            return nullptr;
        return guarded(errorText, [&] { return client->GetPersonalCertificates(); });
    } catch (...) {
        core::PropagateError(kModule, u"GetDiadocPersonalCertificates");
    }
}

QString mDiadoc::GetDiadocPersonalCertificateName(const QString& thumbprint, QString& errorText) const
{
    try {
        const auto client = GetDiadocAPIEx(QString(), errorText);
        if (!client)
            return u"? ("_s + errorText + u')';
        const auto certificate = guarded(errorText, [&] { return client->GetPersonalCertificate(thumbprint); });
        if (!certificate)
            return u"? ("_s + errorText + u')';
        return GetNameCertificate(certificate);
    } catch (...) {
        core::PropagateError(kModule, u"GetDiadocPersonalCertificateName");
    }
}

QString mDiadoc::GetNameCertificate(const std::shared_ptr<DiadocCertificate>& certificate)
{
    try {
        if (!certificate)
            return {};
        const QString name = certificate->Name();
        const QString organization = certificate->OrganizationName();
        const QString inn = certificate->Inn();
        const QString kpp = certificate->Kpp();
        QString text = name;
        if (!inn.isEmpty() || !kpp.isEmpty())
            text += u", "_s;
        if (!inn.isEmpty())
            text += inn;
        if (!inn.isEmpty() && !kpp.isEmpty())
            text += u" - "_s;
        if (!kpp.isEmpty())
            text += kpp;
        if (!organization.isEmpty() && organization != name)
            text += u", "_s + organization;
        // The "c" after "действителен" is the Latin letter, as the program has always written it.
        text += u" (действителен c "_s + certificate->BeginDate().toString(u"dd.MM.yyyy"_s) + u" по "_s
                + certificate->EndDate().toString(u"dd.MM.yyyy"_s) + u')';
        return text;
    } catch (...) {
        core::PropagateError(kModule, u"GetNameCertificate");
    }
}

QString mDiadoc::KeyDiadocAPIToVisualKey(const QString& key)
{
    return key == defaultApiClientId() ? displayMask() : key;
}

QString mDiadoc::VisualKeyToKeyDiadocAPI(const QString& visualKey)
{
    if (visualKey == displayMask() || visualKey == QString(15, u'*'))
        return defaultApiClientId();
    return visualKey;
}

} // namespace diadoc
