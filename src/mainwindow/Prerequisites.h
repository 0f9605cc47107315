#pragma once

namespace platform::registry {
class Registry;
}

namespace diadoc {
class mDiadoc;
}

namespace mainwindow {

// The two things the main window checks before it offers a sign-in: the release of the framework
// that the Diadoc client library runs on, and whether a client object can be created at all.
class Prerequisites
{
public:
    // The release from which the framework is recent enough (4.6.2).
    static constexpr int kRequiredFrameworkRelease = 394802;

    virtual ~Prerequisites() = default;

    // The framework's release number; 0 when it is absent.
    virtual int GetDotNet45VersionLong() const = 0;
    // True when a Diadoc client object can be created.
    virtual bool IsDiadocAPI() const = 0;
};

// The prerequisites as this system finds them: the framework's release is read from the machine
// hive of the settings store, where a set-up may record it; the client library is asked through
// the client factory. The framework has no meaning where nothing records its release, so an
// unrecorded release counts as recent enough; a recorded one, 0 included, is taken as it stands.
class SystemPrerequisites final : public Prerequisites
{
public:
    static constexpr char16_t kFrameworkKey[] = u"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";

    SystemPrerequisites(const platform::registry::Registry& registry, const diadoc::mDiadoc& diadoc);

    int GetDotNet45VersionLong() const override;
    bool IsDiadocAPI() const override;

private:
    const platform::registry::Registry& m_registry;
    const diadoc::mDiadoc& m_diadoc;
};

} // namespace mainwindow
