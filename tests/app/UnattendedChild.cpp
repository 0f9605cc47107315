#include "UnattendedChild.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace apptest {

namespace {

const QString kProgram = QStringLiteral(FETCHLING_PROGRAM);

} // namespace

UnattendedChild::UnattendedChild(const QString& folder, const QString& sandbox)
    : m_folder(folder)
    , m_environment(QProcessEnvironment::systemEnvironment())
{
    // The unload folder is neither below the home nor beside it, among other users' homes: an
    // unattended run declines both.
    const QString home = m_folder + u"/users/me"_s;
    const QString runtime = m_folder + u"/runtime"_s;
    QDir().mkpath(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_environment.insert(u"HOME"_s, home);
    m_environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    m_environment.insert(u"N7_REGISTRY_DIR"_s, m_folder + u"/registry"_s);
    // No screen and no platform named: the program chooses to draw off screen by itself.
    m_environment.remove(u"DISPLAY"_s);
    m_environment.remove(u"WAYLAND_DISPLAY"_s);
    m_environment.remove(u"QT_QPA_PLATFORM"_s);

    const testsupport::ChildOutcome setup =
        testsupport::runLimited(kProgram, {u"--configure-demo"_s, sandbox, unloadFolder()}, m_environment, {}, 60s);
    if (setup.end != testsupport::ChildOutcome::End::Exited || setup.exitCode != 0)
        m_setupFailure = "--configure-demo failed: " + setup.describe();
}

QString UnattendedChild::unloadFolder() const
{
    return m_folder + u"/out"_s;
}

testsupport::ChildOutcome UnattendedChild::run(const testsupport::ProcessLimits& limits,
                                               std::chrono::milliseconds deadline) const
{
    return testsupport::runLimited(kProgram, {u"/AUTOSTART"_s}, m_environment, limits, deadline);
}

} // namespace apptest
