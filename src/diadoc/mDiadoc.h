#pragma once

#include <memory>

#include <QString>

namespace core {
class mFetchlingOptions;
}

namespace platform::diadoc {
class DiadocCertificate;
class DiadocClient;
class DiadocClientFactory;
class DiadocConnection;
class DiadocList;
} // namespace platform::diadoc

namespace diadoc {

// Creating the Diadoc client, signing in with the stored sign-in settings and naming
// certificates. A failing client call never raises out of here: its description goes into the
// error text argument, which every guarded call overwrites, and the result is empty.
class mDiadoc final
{
public:
    // The built-in API client identifier, used whenever a caller passes an empty key.
    static constexpr char16_t kDefaultApiClientId[] = u"tallowGrange-3f9a1c7e52d04b8a9e6f21c4d8b07a5e";
    // Used when the stored server URL is empty.
    static constexpr char16_t kDefaultServerUrl[] = u"https://diadoc-api.kontur.ru:443";
    static constexpr char16_t kUnknownVersion[] = u"?.??.?.???";

    mDiadoc(platform::diadoc::DiadocClientFactory& factory, const core::mFetchlingOptions& options);

    std::shared_ptr<platform::diadoc::DiadocClient> GetDiadocAPIEx(const QString& keyDiadocAPI,
                                                                   QString& errorText) const;
    bool IsDiadocAPI(QString& errorText) const;
    bool IsDiadocAPI() const;
    QString GetVersionDiadocAPI(QString& errorText) const;
    QString GetVersionDiadocAPI() const;
    std::shared_ptr<platform::diadoc::DiadocConnection> GetConnectionDiadocAPIEx(const QString& keyDiadocAPI,
                                                                                 QString& errorText) const;
    std::shared_ptr<platform::diadoc::DiadocList> GetDiadocPersonalCertificates(QString& errorText) const;
    QString GetDiadocPersonalCertificateName(const QString& thumbprint, QString& errorText) const;

    static QString GetNameCertificate(const std::shared_ptr<platform::diadoc::DiadocCertificate>& certificate);
    // The built-in identifier becomes its display mask: thirteen asterisks and its last two characters.
    static QString KeyDiadocAPIToVisualKey(const QString& key);
    // Either display mask (or fifteen asterisks) becomes the built-in identifier.
    static QString VisualKeyToKeyDiadocAPI(const QString& visualKey);

private:
    platform::diadoc::DiadocClientFactory& m_factory;
    const core::mFetchlingOptions& m_options;
};

} // namespace diadoc
