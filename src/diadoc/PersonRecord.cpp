#include "PersonRecord.h"

#include "base/Error.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "core/mErrorHandling.h"
#include "core/mOther.h"
#include "mDiadocDocuments.h"
#include "platform/diadoc/DiadocDocumentType.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/diadoc/DiadocOrganization.h"

using namespace Qt::StringLiterals;
using core::KeyAndName;
using platform::diadoc::DiadocDocumentType;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"PersonRecord";
constexpr char16_t kCrLf[] = u"\r\n";

using TypesCollection = core::KeyedCollection<KeyAndName>;

QString boxTitle()
{
    return QString::fromUtf16(core::kApplicationTitle) + u" Диадок АПИ."_s;
}

} // namespace

PersonRecord::PersonRecord(core::UiServices& ui)
    : m_ui(ui)
{
}

PersonRecord::LoadOutcome PersonRecord::loadDocumentTypes()
{
    std::shared_ptr<platform::diadoc::DiadocList> list;
    try {
        if (!DiadocOrganization)
            throw core::objectNotSet();
        list = DiadocOrganization->GetDocumentTypes();
        m_lastLoadError.clear();
    } catch (...) {
        m_lastLoadError = core::currentError().description();
    }
    if (m_lastLoadError == QString::fromUtf16(kUnpaidTariffError))
        return LoadOutcome::TariffNotPaid;
    if (!m_lastLoadError.isEmpty())
        return LoadOutcome::Failed;

    // The new collection stands at once, so that a failure while it is filled leaves the items
    // added so far.
    m_documentTypes = std::make_shared<TypesCollection>();
    if (!list)
        throw core::objectNotSet();
    for (int i = 0; i < list->Count(); ++i) {
        const auto type = list->itemAs<DiadocDocumentType>(i);
        if (!type)
            throw core::objectNotSet();
        const QString key = type->Name();
        // The service may list a type twice; the first one stays rather than failing the sign-in.
        if (m_documentTypes->Contains(key))
            continue;
        m_documentTypes->Add(mDiadocDocuments::NewKeyAndName(key, type->Title()), key);
    }
    return LoadOutcome::Loaded;
}

bool PersonRecord::APIPayed()
{
    try {
        if (m_loadState == NotLoaded) {
            switch (loadDocumentTypes()) {
            case LoadOutcome::Loaded:
                m_loadState = Loaded;
                break;
            case LoadOutcome::TariffNotPaid:
                m_loadState = TariffNotPaid;
                m_documentTypes = std::make_shared<TypesCollection>();
                break;
            case LoadOutcome::Failed:
                m_loadState = LoadFailed;
                m_documentTypes = std::make_shared<TypesCollection>();
                break;
            }
        }
        return m_loadState == Loaded;
    } catch (...) {
        core::PropagateError(kModule, u"APIPayed");
    }
}

std::shared_ptr<const TypesCollection> PersonRecord::CollectionDocumentTypes()
{
    try {
        if (m_documentTypes)
            return m_documentTypes;
        switch (loadDocumentTypes()) {
        case LoadOutcome::Loaded:
            break;
        case LoadOutcome::TariffNotPaid:
            core::mOther::iMsgBox(m_ui,
                                  u"Организация: "_s + Name + kCrLf + u"Не удалось получить список типов документов."_s
                                      + kCrLf + u"Доступ запрещен. Необходима оплата тарифа АПИ."_s,
                                  core::msgbox::vbCritical, boxTitle());
            m_documentTypes = std::make_shared<TypesCollection>();
            break;
        case LoadOutcome::Failed:
            core::mOther::iMsgBox(m_ui,
                                  u"Организация: "_s + Name + kCrLf + u"В "_s + u"PersonRecord"_s
                                      + u" Get CollectionDocumentTypes() методом DiadocОрганизация.GetDocumentTypes() "
                                        u"не удалось получить список типов документов организации."_s
                                      + kCrLf + u"Ошибка: "_s + m_lastLoadError,
                                  core::msgbox::vbCritical, boxTitle());
            m_documentTypes = std::make_shared<TypesCollection>();
            break;
        }
        return m_documentTypes;
    } catch (...) {
        core::PropagateError(kModule, u"CollectionDocumentTypes");
    }
}

QString PersonRecord::GetDocTypeName(const QString& aTypeNameId)
{
    if (aTypeNameId == u"Any"_s)
        return u"Любой"_s;
    try {
        if (const KeyAndName* type = CollectionDocumentTypes()->find(aTypeNameId))
            return type->Name;
    } catch (...) {
        // A type list that cannot be read names every type "ПРОЧИЕ".
    }
    return u"ПРОЧИЕ"_s;
}

} // namespace diadoc
