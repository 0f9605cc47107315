#include "SandboxClientFactory.h"

#include <utility>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>

#include "SandboxClient.h"
#include "SandboxLoader.h"
#include "SandboxService.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

SandboxHub::SandboxHub(std::function<qint64()> clockMs)
    : m_clockMs(std::move(clockMs))
{
}

QString SandboxHub::folderOf(const QString& serverUrl)
{
    const QString address = serverUrl.trimmed();
    if (address.startsWith(u"file://"_s, Qt::CaseInsensitive))
        return QUrl(address).toLocalFile();
    if (address.isEmpty() || address.contains(u"://"_s))
        return {};
    return address;
}

std::shared_ptr<SandboxService> SandboxHub::resolve(const QString& serverUrl)
{
    const QString folder = folderOf(serverUrl);
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        SandboxService::raise(QString::fromUtf16(sandboxtext::kNoConnection), -2147012867);
    const QString key = info.canonicalFilePath();
    {
        const std::lock_guard lock(m_mutex);
        if (const auto found = m_services.constFind(key); found != m_services.constEnd())
            return found.value();
    }
    auto service = std::make_shared<SandboxService>(SandboxLoader::load(key), m_clockMs);
    const std::lock_guard lock(m_mutex);
    return *m_services.insert(key, service);
}

std::shared_ptr<SandboxService> SandboxHub::tryResolve(const QString& serverUrl)
{
    try {
        return resolve(serverUrl);
    } catch (const core::Error&) {
        return nullptr;
    }
}

SandboxClientFactory::SandboxClientFactory(std::function<qint64()> clockMs)
{
    if (!clockMs) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        clockMs = [timer] { return timer->elapsed(); };
    }
    m_hub = std::make_shared<SandboxHub>(std::move(clockMs));
}

std::shared_ptr<DiadocClient> SandboxClientFactory::create()
{
    if (m_createError)
        throw *m_createError;
    return std::make_shared<SandboxClient>(m_hub, m_libraryVersion);
}

void SandboxClientFactory::failCreation(std::optional<core::Error> error)
{
    m_createError =
        error ? *error : core::Error(kCannotCreateObjectNumber, QString::fromUtf16(kCannotCreateObjectText));
}

} // namespace platform::diadoc
