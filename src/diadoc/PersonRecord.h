#pragma once

#include <memory>

#include <QString>

#include "core/DocTypesProvider.h"
#include "core/KeyAndName.h"
#include "core/KeyedCollection.h"

namespace core {
class UiServices;
}

namespace platform::diadoc {
class DiadocOrganization;
}

namespace diadoc {

// One organisation the signed-in account may see, as the sign-in fills it: it loads the
// organisation's document types from Diadoc once, tells whether the API tariff is paid, and names
// a document type for folders, the metadata file and the protocols. Held by std::shared_ptr in the
// persons collection.
class PersonRecord final : public core::DocTypesProvider
{
public:
    // The service's refusal of an organisation whose API tariff is not paid, compared exactly.
    static constexpr char16_t kUnpaidTariffError[] =
        u"##100[Ошибка сервера Диадок]code:402, HTTP error: Доступ запрещён. Необходима оплата тарифа АПИ";

    enum LoadState
    {
        NotLoaded = 0,
        Loaded = 1,
        TariffNotPaid = 2,
        LoadFailed = 3,
    };

    // The boxes of a failed load are shown through ui, which must outlive the record.
    explicit PersonRecord(core::UiServices& ui);

    QString KeyDiadocAPI;
    std::shared_ptr<platform::diadoc::DiadocOrganization> DiadocOrganization;
    QString NodeID;
    QString Name;
    bool IsChildren = false;

    // Loads the document types only on the first call; true when they could be loaded.
    bool APIPayed();
    // The document types keyed by type key; loaded, with a message box when that fails, while
    // there is no collection yet. Never a null pointer.
    std::shared_ptr<const core::KeyedCollection<core::KeyAndName>> CollectionDocumentTypes() override;
    QString GetDocumentTypesError() const { return m_lastLoadError; }
    // "Любой" for "Any", the type's title when the organisation has it, else "ПРОЧИЕ".
    QString GetDocTypeName(const QString& aTypeNameId);

    LoadState loadState() const { return m_loadState; }

private:
    enum class LoadOutcome
    {
        Loaded,
        TariffNotPaid,
        Failed,
    };

    LoadOutcome loadDocumentTypes();

    core::UiServices& m_ui;
    LoadState m_loadState = NotLoaded;
    std::shared_ptr<core::KeyedCollection<core::KeyAndName>> m_documentTypes;
    QString m_lastLoadError;
};

} // namespace diadoc
