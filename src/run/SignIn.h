#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "engine/ProtocolSource.h"
#include "run/NodeKey.h"

namespace core {
class UiServices;
class mFetchlingOptions;
} // namespace core

namespace diadoc {
class mDiadoc;
}

namespace platform::diadoc {
class DiadocList;
}

namespace run {

// One node of the organisation tree, in the order the sign-in adds them.
struct OrgNode
{
    NodeKey key;
    QString text;     // what the tree shows
    QString fullPath; // texts from the top of the tree down, joined by "\"
    bool ticked = false;
    bool isOrganisation() const { return key.isOrganisation(); }
};

// The organisations of the signed-in account: their records for the engine, keyed by
// organisation key, and the tree's nodes with their stored ticks.
struct Organisations
{
    std::shared_ptr<engine::PersonsCollection> persons = std::make_shared<engine::PersonsCollection>();
    std::vector<OrgNode> nodes;
};

// The sign-in with the stored settings, without a dialog: one connection with the API client key,
// the organisation list, and the tree's nodes. The window shows the outcome's text in its
// sign-in label; an unattended start refuses to run without organisations.
class SignIn final
{
public:
    // How a sign-in ended, one for each text of the sign-in label.
    enum class Result
    {
        NotAttempted,    // the settings name no account: nothing was tried
        SignedIn,        // organisations were found
        NoOrganisations, // connected, but the list had no organisation
        ListFailed,      // connected, but the list could not be had
        NotConnected,
    };

    struct Outcome
    {
        bool attempted = false; // the settings allowed a sign-in
        Result result = Result::NotAttempted;
        bool byLogin = false; // signed in (or tried to) with a login and password
        Organisations organisations;
        QString text;        // the sign-in label's text
        bool failed = false; // the text is one of the failure texts (dark red)
        QString connectionError;
        QString listError;
    };

    SignIn(const core::mFetchlingOptions& options, diadoc::mDiadoc& diadoc, core::UiServices& ui);

    // Whether a start-up signs in without asking: when the automatic sign-in is stored, and always
    // for an unattended start.
    static bool signsInAtStart(const core::mFetchlingOptions& options, bool autoStart);

    // Whether the settings name an account: a login for kind 1, a certificate for kind 2. A
    // missing password does not matter.
    bool hasAccount() const;

    // Signs in when the settings name an account.
    Outcome signIn() const;

private:
    void addOrganisations(Organisations& into, const platform::diadoc::DiadocList& list, const QString& apiKey) const;
    void addDepartments(Organisations& into, const platform::diadoc::DiadocList& list, const NodeKey& parent,
                        const QString& parentPath) const;

    const core::mFetchlingOptions& m_options;
    diadoc::mDiadoc& m_diadoc;
    core::UiServices& m_ui;
};

} // namespace run
