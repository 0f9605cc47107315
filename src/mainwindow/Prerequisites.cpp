#include "Prerequisites.h"

#include "core/mErrorHandling.h"
#include "core/mRegistryTools.h"
#include "diadoc/mDiadoc.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

constexpr char16_t kModule[] = u"frmDiadocUnloadDocs";
constexpr int kView32 = 2;
constexpr int kView64 = 1;
constexpr qint32 kNotRecorded = -1;

} // namespace

SystemPrerequisites::SystemPrerequisites(const platform::registry::Registry& registry, const diadoc::mDiadoc& diadoc)
    : m_registry(registry)
    , m_diadoc(diadoc)
{
}

int SystemPrerequisites::GetDotNet45VersionLong() const
{
    try {
        core::mRegistryTools tools(m_registry);
        const QString key = QString::fromUtf16(kFrameworkKey);
        // The 32-bit view first, then the 64-bit one, as the framework's own set-up records it.
        qint32 release =
            tools.ReadRegistryLong(core::mRegistryTools::HKEY_LOCAL_MACHINE, key, u"Release"_s, kNotRecorded, kView32);
        if (release == kNotRecorded || release == 0) {
            const qint32 other = tools.ReadRegistryLong(core::mRegistryTools::HKEY_LOCAL_MACHINE, key, u"Release"_s,
                                                        kNotRecorded, kView64);
            if (other != kNotRecorded)
                release = other;
        }
        return release == kNotRecorded ? kRequiredFrameworkRelease : release;
    } catch (...) {
        core::PropagateError(kModule, u"GetDotNet45VersionLong");
    }
}

bool SystemPrerequisites::IsDiadocAPI() const
{
    return m_diadoc.IsDiadocAPI();
}

} // namespace mainwindow
