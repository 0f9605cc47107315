#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <QHash>
#include <QString>

#include "DiadocClientFactory.h"
#include "base/Error.h"

namespace platform::diadoc {

class SandboxService;

// Finds the sandbox a server address names: a file:// URL or a local folder path. Each folder is
// read once and shared, so that fault-rule attempts count across every client object.
class SandboxHub final
{
public:
    explicit SandboxHub(std::function<qint64()> clockMs);

    // The sandbox of the address; raises a connection error for any other address and the
    // sandbox file's fault for a folder whose sandbox.json is bad.
    std::shared_ptr<SandboxService> resolve(const QString& serverUrl);
    // As resolve, but nothing where resolve would raise.
    std::shared_ptr<SandboxService> tryResolve(const QString& serverUrl);
    static QString folderOf(const QString& serverUrl);

private:
    std::function<qint64()> m_clockMs;
    std::mutex m_mutex;
    QHash<QString, std::shared_ptr<SandboxService>> m_services;
};

// The emulated client library: creates client objects that reach sandboxes, or fails as an
// unregistered library does when told to.
class SandboxClientFactory final : public DiadocClientFactory
{
public:
    // The clock gives milliseconds; by default a steady clock of the process.
    explicit SandboxClientFactory(std::function<qint64()> clockMs = {});

    std::shared_ptr<DiadocClient> create() override;

    // From now on creation raises this error (429 "ActiveX component can't create object" by
    // default); nothing restores it.
    void failCreation(std::optional<core::Error> error = std::nullopt);
    void restoreCreation() { m_createError.reset(); }
    // The version text of a client whose address names no sandbox.
    void setLibraryVersion(QString version) { m_libraryVersion = std::move(version); }

    // The sandbox of an address, for tests that add fault rules.
    std::shared_ptr<SandboxService> service(const QString& serverUrl) { return m_hub->resolve(serverUrl); }

private:
    std::shared_ptr<SandboxHub> m_hub;
    std::optional<core::Error> m_createError;
    QString m_libraryVersion = QStringLiteral("2.14.6.210");
};

} // namespace platform::diadoc
