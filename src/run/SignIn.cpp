#include "SignIn.h"

#include <algorithm>

#include "base/Error.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadoc.h"
#include "diadoc/mDiadocErrors.h"
#include "platform/diadoc/DiadocConnection.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/diadoc/DiadocOrganization.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {
constexpr char16_t kModule[] = u"SignIn";
const QString kCrLf = u"\r\n"_s;
} // namespace

SignIn::SignIn(const core::mFetchlingOptions& options, diadoc::mDiadoc& diadoc, core::UiServices& ui)
    : m_options(options)
    , m_diadoc(diadoc)
    , m_ui(ui)
{
}

bool SignIn::signsInAtStart(const core::mFetchlingOptions& options, bool autoStart)
{
    try {
        return autoStart || options.Get_AutomaticAutorization() != 0;
    } catch (...) {
        core::PropagateError(kModule, u"signsInAtStart");
    }
}

bool SignIn::hasAccount() const
{
    try {
        const int kind = m_options.Get_TypeDiadocAccount();
        if (kind == 1)
            return !m_options.Get_Login().isEmpty();
        if (kind == 2)
            return !m_options.GetDefault_Certificate().isEmpty();
        // Another kind signs in by certificate as it is stored; the connection tells what is wrong.
        return true;
    } catch (...) {
        core::PropagateError(kModule, u"hasAccount");
    }
}

SignIn::Outcome SignIn::signIn() const
{
    try {
        Outcome outcome;
        if (!hasAccount()) {
            outcome.text = u"Вы не авторизованы в Диадок. Требуется авторизация."_s;
            outcome.failed = true;
            return outcome;
        }
        outcome.attempted = true;
        const int kind = m_options.Get_TypeDiadocAccount();
        const QString login = m_options.Get_Login();
        const QString thumbprint = m_options.GetDefault_Certificate();
        outcome.byLogin = kind == 1;

        const QString apiKey = m_options.Get_KeyDiadocAPI().trimmed();
        const auto connection = m_diadoc.GetConnectionDiadocAPIEx(apiKey, outcome.connectionError);
        std::shared_ptr<platform::diadoc::DiadocList> list;
        if (connection) {
            try {
                list = connection->GetOrganizationList();
            } catch (const core::Error& e) {
                outcome.listError = e.description();
            }
            if (list)
                addOrganisations(outcome.organisations, *list, apiKey);
        }

        if (!outcome.organisations.persons->isEmpty()) {
            outcome.result = Result::SignedIn;
            if (kind == 1)
                outcome.text = u"Вы авторизованы в Диадок c логином \""_s + login + u"\"."_s;
            else
                outcome.text = u"Вы авторизованы в Диадок по сертификату"_s + kCrLf
                               + m_diadoc.GetNameCertificate(connection->Certificate());
            return outcome;
        }
        QString who;
        if (kind == 1) {
            who = u"с логином \""_s + login + u'"';
        } else {
            QString ignored;
            who = u"по сертификату "_s + m_diadoc.GetDiadocPersonalCertificateName(thumbprint, ignored);
        }
        const diadoc::mDiadocErrors errors(m_options.utility());
        outcome.failed = true;
        if (!connection) {
            outcome.result = Result::NotConnected;
            outcome.text = u"Вы не авторизованы в Диадок. Требуется авторизация."_s + kCrLf + u"Попытка авторизации "_s
                           + who + u" завершилась с ошибкой \""_s + errors.DiadocErrorTranslate(outcome.connectionError)
                           + u"\"."_s;
        } else if (outcome.listError.isEmpty()) {
            outcome.result = Result::NoOrganisations;
            outcome.text = u"Авторизация в Диадок "_s + who + u" прошла успешно."_s + kCrLf
                           + u"Но, запрос списка организаций не вернул ни одной организации."_s;
        } else {
            outcome.result = Result::ListFailed;
            outcome.text = u"Авторизация в Диадок "_s + who + u" прошла успешно."_s + kCrLf
                           + u"Но, запрос списка организаций завершился с ошибкой \""_s
                           + errors.DiadocErrorTranslate(outcome.listError) + u"\"."_s;
        }
        return outcome;
    } catch (...) {
        core::PropagateError(kModule, u"signIn");
    }
}

void SignIn::addOrganisations(Organisations& into, const platform::diadoc::DiadocList& list,
                              const QString& apiKey) const
{
    auto& persons = *into.persons;
    for (int i = 0; i < list.Count(); ++i) {
        const auto organization = list.itemAs<platform::diadoc::DiadocOrganization>(i);
        if (!organization)
            continue;
        const NodeKey key = NodeKey::organisation(organization->Inn(), organization->Kpp());
        const QString keyText = key.text();
        auto person = std::make_shared<diadoc::PersonRecord>(m_ui);
        person->DiadocOrganization = organization;
        person->NodeID = keyText;
        person->Name = organization->Name();
        person->KeyDiadocAPI = apiKey;
        if (persons.Contains(keyText)) {
            // Two boxes with one INN and KPP: the one with API access wins, the first one else.
            if (persons.Item(keyText)->APIPayed() || !person->APIPayed())
                continue;
            persons.Remove(keyText);
            std::erase_if(into.nodes, [&key](const OrgNode& node) { return node.key.isWithin(key); });
        }
        const auto departments = organization->Departments();
        person->IsChildren = departments && departments->Count() > 0;
        persons.Add(person, keyText);
        const QString text = person->Name + u" ("_s + organization->Inn() + u'/' + organization->Kpp() + u')';
        const bool paid = person->APIPayed();
        into.nodes.push_back({key, text, text, paid && m_options.Get_OrgChecked(key.storedName()) != 0});
        if (paid && departments)
            addDepartments(into, *departments, key, text);
    }
}

void SignIn::addDepartments(Organisations& into, const platform::diadoc::DiadocList& list, const NodeKey& parent,
                            const QString& parentPath) const
{
    for (int i = 0; i < list.Count(); ++i) {
        const auto department = list.itemAs<platform::diadoc::DiadocDepartment>(i);
        if (!department)
            continue;
        const NodeKey key = parent.department(department->id());
        const QString path = parentPath + u'\\' + department->Name();
        into.nodes.push_back({key, department->Name(), path, m_options.Get_OrgChecked(key.storedName()) != 0});
        if (const auto below = department->Subdepartments())
            addDepartments(into, *below, key, path);
    }
}

} // namespace run
