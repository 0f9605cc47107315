#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

#include "engine/ProtocolSource.h"

namespace core {
class Clock;
class UiServices;
class mFetchlingOptions;
class mLogFile;
class mUnzipper;
} // namespace core

namespace diadoc {
class mDiadoc;
}

namespace engine {
class Fetchling;
}

namespace platform::diadoc {
class DiadocClientFactory;
class DiadocList;
} // namespace platform::diadoc

namespace platform::zip {
class Libraries;
}

namespace app {

// One whole unloading without a window, as an unattended start does it: signs in with the stored
// settings, hands every ticked organisation and department to the engine over the stored period,
// lists and downloads, then writes the chosen protocols into the unload folder. The services are
// passed in, so a test runs it in virtual time and the program with the real ones.
class HeadlessRun final
{
public:
    // One node of the organisation tree, in the order the sign-in adds them.
    struct Node
    {
        QString key;      // "org<INN>/<KPP>" or a parent key with "|dep<id>"
        QString text;     // what the tree shows
        QString fullPath; // texts from the top of the tree down, joined by "\"
        bool ticked = false;
        bool organisation = false;
    };

    // What the run came to.
    struct Result
    {
        QString unloadFolder; // with its closing "/"
        QString from;         // the period, "dd.mm.yyyy"
        QString to;
        int ticked = 0;           // nodes handed to the engine
        int listRequests = 0;     // executed list requests
        int listed = 0;           // documents in the executed lists
        int unloaded = 0;         // the unloaded list
        int ignored = 0;          // the ignored list, repeats included
        int repeats = 0;          // documents listed twice, ignored as repeats
        int left = 0;             // documents still in a queue (a stopped run)
        int listFailures = 0;     // list requests that went to the retry queue
        int downloadFailures = 0; // downloads that went to the retry queue
        int folderRemovals = 0;
        bool stopped = false;
        QString stopReason;
        QString endText;       // "Выгрузка документов завершена." or "… прервана."
        QStringList protocols; // full names of the protocol files written, HTML, Excel, CSV
    };

    // The options, clock, ui and factory must outlive the run.
    HeadlessRun(core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
                platform::diadoc::DiadocClientFactory& factory);
    ~HeadlessRun();
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    // Signs in and unloads. Raises core::Error when the sign-in fails, when the account shows no
    // organisation or no node is ticked, when the unload folder or the period cannot be used, and
    // for every other failure of the run (the message is the error's description).
    Result run();

    // The run's engine and what the sign-in found, for a caller that looks closer after run().
    engine::Fetchling& fetchling();
    const engine::PersonsCollection& persons() const { return m_persons; }
    const std::vector<Node>& nodes() const { return m_nodes; }
    core::mLogFile& log();

    // The summary rows at the head of a protocol, "xls" for the Excel form, anything else for HTML.
    engine::SummaryRows summaryRows(const QString& kind) const;

private:
    class Watch;

    void signIn();
    void addOrganisations(const platform::diadoc::DiadocList& list, const QString& apiKey);
    void addDepartments(const platform::diadoc::DiadocList& list, const QString& parentKey, const QString& parentPath,
                        const QString& apiKey);
    QString prepareUnloadFolder() const;
    void writeProtocols();
    bool writeExcelProtocol(const QString& fileName);
    QString caption() const;

    core::mFetchlingOptions& m_options;
    core::Clock& m_clock;
    core::UiServices& m_ui;
    std::unique_ptr<platform::zip::Libraries> m_zipLibraries;
    std::unique_ptr<core::mUnzipper> m_unzipper;
    std::unique_ptr<core::mLogFile> m_log;
    std::unique_ptr<diadoc::mDiadoc> m_diadoc;
    engine::PersonsCollection m_persons;
    std::vector<Node> m_nodes;
    std::unique_ptr<Watch> m_watch;
    std::unique_ptr<engine::Fetchling> m_fetchling;
    Result m_result;
    QString m_startTime;
    QString m_endTime;
};

} // namespace app
