#include <map>
#include <memory>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/UiServices.h"
#include "core/mAPI.h"
#include "core/mFolderSelectDialog.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"
#include "platform/shell/LinuxSpecialFolders.h"

using namespace Qt::StringLiterals;
using namespace platform::shell;

namespace {

// Special folders as a Windows machine reports them.
class FakeWindowsFolders final : public SpecialFolders
{
public:
    explicit FakeWindowsFolders(std::map<int, QString> paths)
        : m_paths(std::move(paths))
    {
    }
    QString folderPath(int csidl) const override
    {
        const auto found = m_paths.find(csidl);
        return found == m_paths.end() ? QString() : found->second;
    }
    QStringList otherSystemFolders() const override { return {}; }

private:
    std::map<int, QString> m_paths;
};

FakeWindowsFolders windows64()
{
    return FakeWindowsFolders({{CSIDL_PROFILE, u"C:\\Users\\Ivan"_s},
                               {CSIDL_APPDATA, u"C:\\Users\\Ivan\\AppData\\Roaming"_s},
                               {CSIDL_WINDOWS, u"C:\\Windows"_s},
                               {CSIDL_PROGRAM_FILES, u"C:\\Program Files (x86)"_s},
                               {CSIDL_COMMON_DESKTOPDIRECTORY, u"C:\\Users\\Public\\Desktop"_s}});
}

struct FolderCase
{
    QString path;
    bool banned;
    bool notRecommended;
};

void expectCases(const core::mAPI& api, std::initializer_list<FolderCase> cases)
{
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(api.IsFolderBanned(c.path), c.banned);
        EXPECT_EQ(api.IsFolderNotRecommended(c.path), c.notRecommended);
    }
}

TEST(FolderChecksWindows, ProfileUsersSystemAndProgramFolders)
{
    const FakeWindowsFolders folders = windows64();
    const core::mAPI api(folders);
    expectCases(api, {
                         {u"C:\\USERS\\IVAN\\DOCUMENTS\\"_s, false, true},
                         {u"C:\\Users\\Ivan\\"_s, false, true},
                         {u"C:\\USERS\\PETR\\"_s, true, true},
                         {u"C:\\USERS\\"_s, true, true},
                         {u"C:\\USERS\\PUBLIC\\DESKTOP\\OUT\\"_s, true, true},
                         {u"C:\\PROGRAM FILES\\X\\"_s, true, false},
                         {u"C:\\PROGRAM FILES (X86)\\X\\"_s, true, false},
                         {u"C:\\WINDOWS\\TEMP\\"_s, true, false},
                         {u"c:\\windows\\"_s, true, false},
                         {u"C:\\WINDOWSOLD\\"_s, false, false},
                         {u"C:\\USERSX\\"_s, false, false},
                         {u"D:\\"_s, false, false},
                         {u"D:\\OUT\\"_s, false, false},
                         {u"C:\\"_s, false, false},
                         // Cleaned before the test: ".." and doubled separators cannot slip past it.
                         {u"C:\\DATA\\..\\WINDOWS\\X\\"_s, true, false},
                         {u"C:\\\\WINDOWS\\\\X\\"_s, true, false},
                         {u"C:\\USERS\\IVAN\\..\\PETR\\"_s, true, true},
                         {u"C:\\WINDOWS\\..\\OUT\\"_s, false, false},
                         {u"C:\\WINDOWS"_s, true, false}, // no final backslash
                     });
}

TEST(FolderChecksWindows, ProgramFilesGivenAsTheNativeFolderBansTheOtherToo)
{
    FakeWindowsFolders folders({{CSIDL_PROFILE, u"C:\\Users\\Ivan"_s},
                                {CSIDL_WINDOWS, u"C:\\Windows"_s},
                                {CSIDL_PROGRAM_FILES, u"C:\\Program Files"_s}});
    const core::mAPI api(folders);
    EXPECT_TRUE(api.IsFolderBanned(u"C:\\Program Files (x86)\\App\\"_s));
    EXPECT_TRUE(api.IsFolderBanned(u"C:\\Program Files\\App\\"_s));
    EXPECT_FALSE(api.IsFolderBanned(u"C:\\Programs\\"_s));
    EXPECT_FALSE(api.IsFolderNotRecommended(u"C:\\Users\\Public\\"_s)); // no shared desktop given
}

TEST(FolderChecksWindows, OldSharedDesktopWarnsForItsAllUsersFolder)
{
    FakeWindowsFolders folders(
        {{CSIDL_PROFILE, u"C:\\Documents and Settings\\Ivan"_s},
         {CSIDL_COMMON_DESKTOPDIRECTORY, u"C:\\Documents and Settings\\All Users\\Рабочий стол"_s}});
    const core::mAPI api(folders);
    EXPECT_TRUE(api.IsFolderNotRecommended(u"C:\\ALL USERS\\X\\"_s));
    EXPECT_TRUE(api.IsFolderNotRecommended(u"c:\\documents and settings\\all users\\рабочий стол\\x\\"_s));
    EXPECT_FALSE(api.IsFolderNotRecommended(u"C:\\OUT\\"_s));
}

TEST(FolderChecksWindows, MissingSpecialFoldersRefuseNothing)
{
    const FakeWindowsFolders folders({});
    const core::mAPI api(folders);
    expectCases(api, {{u"C:\\OUT\\"_s, false, false}, {u"\\OUT\\"_s, false, false}, {u"/srv/out/"_s, false, false}});
    EXPECT_EQ(api.GetPath(CSIDL_PROFILE), QString());
}

TEST(FolderChecksWindows, GetPathEndsAtTheFirstNul)
{
    FakeWindowsFolders folders({{CSIDL_APPDATA, u"C:\\Data"_s + QChar(u'\0') + u"junk"_s}});
    const core::mAPI api(folders);
    EXPECT_EQ(api.GetPathAPPDATA(), u"C:\\Data"_s);
}

TEST(FolderChecksLinux, HomeSystemAndProgramFolders)
{
    const LinuxSpecialFolders folders(u"/home/ivan"_s, QString());
    const core::mAPI api(folders);
    expectCases(api, {
                         {u"/home/ivan/out/"_s, false, true},
                         {u"/home/ivan"_s, false, true},
                         {u"/home/petr/out/"_s, true, false},
                         {u"/home/"_s, true, false},
                         {u"/home/ivanov/"_s, true, false},
                         {u"/usr/share/"_s, true, false},
                         {u"/opt/app/"_s, true, false},
                         {u"/etc/"_s, true, false},
                         {u"/proc/1/"_s, true, false},
                         {u"/var/lib/x/"_s, true, false},
                         {u"/var/tmp/out/"_s, false, false},
                         {u"/media/ivan/usb/"_s, false, false},
                         {u"/run/media/ivan/usb/"_s, false, false},
                         {u"/srv/edi/"_s, false, false},
                         {u"/tmp/out/"_s, false, false},
                         {u"/usrdata/"_s, false, false},
                         {u"/"_s, true, false},
                         {u"/srv/../etc/x/"_s, true, false},
                         {u"//usr//share/"_s, true, false},
                         {u"/home/ivan/../petr/"_s, true, false},
                     });
}

TEST(FolderChecksLinux, HomeDirectlyBelowTheRootDoesNotBanEverything)
{
    const LinuxSpecialFolders folders(u"/root"_s, QString());
    const core::mAPI api(folders);
    expectCases(api, {
                         {u"/root/out/"_s, false, true},
                         {u"/srv/edi/"_s, false, false},
                         {u"/tmp/"_s, false, false},
                         {u"/etc/"_s, true, false},
                         {u"/opt/x/"_s, true, false},
                     });
}

// On Linux "/" is the system itself, unlike a Windows drive: it and its first-level folders never
// take a run's files, while a drive mounted below /mnt, /media or /srv and a scratch folder may.
TEST(FolderChecksLinux, TheRootAndItsSystemFoldersAreRefusedForEveryUser)
{
    struct Case
    {
        QString path;
        bool bannedForIvan;
        bool bannedForRoot;
    };
    const Case cases[] = {
        {u"/"_s, true, true},
        {u"//"_s, true, true},
        {u"/var/"_s, true, true},
        {u"/var/log/"_s, true, true},
        {u"/var/log/edi/"_s, true, true},
        {u"/var/spool/"_s, true, true},
        {u"/var/tmp/"_s, true, true},
        {u"/var/tmp/out/"_s, false, false},
        {u"/usr/"_s, true, true},
        {u"/opt/"_s, true, true},
        {u"/run/"_s, true, true},
        {u"/run/user/0/"_s, true, true},
        {u"/run/media/"_s, true, true},
        {u"/run/media/ivan/usb/"_s, false, false},
        {u"/home/"_s, true, true},
        {u"/home"_s, true, true},
        {u"/home/petr/"_s, true, true},
        {u"/home/ivan/out/"_s, false, true},
        {u"/root/"_s, true, true},
        {u"/root/out/"_s, true, false},
        {u"/srv/"_s, true, true},
        {u"/srv/edi/"_s, false, false},
        {u"/mnt/"_s, true, true},
        {u"/mnt/usb/"_s, false, false},
        {u"/mnt/bench/"_s, false, false},
        {u"/media/"_s, true, true},
        {u"/media/ivan/disk/"_s, false, false},
        {u"/tmp/"_s, false, false},
        {u"/tmp/out/"_s, false, false},
        {u"/dev/shm/"_s, true, true},
        {u"/data/edi/"_s, false, false},
        {u"/mnt/../var/x/"_s, true, true},
        {u"/srv/edi/../../"_s, true, true},
    };
    const LinuxSpecialFolders ivan(u"/home/ivan"_s, QString());
    const LinuxSpecialFolders root(u"/root"_s, QString());
    const core::mAPI asIvan(ivan);
    const core::mAPI asRoot(root);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(asIvan.IsFolderBanned(c.path), c.bannedForIvan);
        EXPECT_EQ(asRoot.IsFolderBanned(c.path), c.bannedForRoot);
    }
}

TEST(FolderChecksWindows, ProfileDirectlyOnTheDriveDoesNotBanTheDrive)
{
    FakeWindowsFolders folders({{CSIDL_PROFILE, u"C:\\Ivan"_s}, {CSIDL_WINDOWS, u"C:\\Windows"_s}});
    const core::mAPI api(folders);
    EXPECT_FALSE(api.IsFolderBanned(u"C:\\OUT\\"_s));
    EXPECT_TRUE(api.IsFolderBanned(u"C:\\WINDOWS\\OUT\\"_s));
    EXPECT_TRUE(api.IsFolderNotRecommended(u"C:\\IVAN\\OUT\\"_s));
}

TEST(FolderChecksLinux, ApplicationDataFolderIsCreatedWhenMissing)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString config = temp.path() + u"/home/.config"_s;
    const LinuxSpecialFolders folders(temp.path() + u"/home"_s, config);
    const core::mAPI api(folders);
    EXPECT_EQ(api.GetPathAPPDATA(), config);
    EXPECT_TRUE(QDir(config).exists());
    EXPECT_EQ(api.GetPath(CSIDL_COMMON_DESKTOPDIRECTORY), QString());
}

TEST(FolderChecksLinux, CurrentUserHasTheRealHome)
{
    const LinuxSpecialFolders folders = LinuxSpecialFolders::forCurrentUser();
    EXPECT_EQ(folders.folderPath(CSIDL_PROFILE), QDir::homePath());
}

// A folder chooser that remembers how it was asked.
class ChooserUi final : public core::UiServices
{
public:
    QString answer;
    QString askedTitle;
    QString askedStart;
    int calls = 0;

    bool isUnattended() const override { return false; }
    int msgBox(const QString&, int, const QString&) override
    {
        ADD_FAILURE() << "unexpected box";
        return 0;
    }
    QString inputBox(const QString&, const QString&, const QString&) override
    {
        ADD_FAILURE() << "unexpected input box";
        return {};
    }
    QString browseForFolder(const QString& title, const QString& startFolder) override
    {
        ++calls;
        askedTitle = title;
        askedStart = startFolder;
        return answer;
    }
    core::MousePointer mousePointer() const override { return core::MousePointer::Default; }
    void setMousePointer(core::MousePointer) override {}
    void processEvents() override {}
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return nullptr; }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return nullptr; }
};

TEST(FolderChooser, ConfirmedFolderReplacesTheArgument)
{
    ChooserUi ui;
    ui.answer = u"/srv/edi"_s;
    QString folder = u"/srv/old"_s;
    EXPECT_TRUE(
        core::RunSHBrowseForFolder(ui, folder, QString::fromUtf16(core::kSelectFolderTitle), core::BIF_NEWDIALOGSTYLE));
    EXPECT_EQ(folder, u"/srv/edi"_s);
    EXPECT_EQ(ui.askedStart, u"/srv/old"_s); // opens at the folder chosen before
    EXPECT_EQ(ui.askedTitle, u"Выберите папку c файлами"_s);
    EXPECT_EQ(ui.askedTitle.at(15), QChar(u'c')); // a Latin c, not the Cyrillic one
}

TEST(FolderChooser, CancelLeavesTheFolderUnchanged)
{
    ChooserUi ui;
    QString folder = u"/srv/old"_s;
    EXPECT_FALSE(core::RunSHBrowseForFolder(ui, folder, u"T"_s, core::BIF_NEWDIALOGSTYLE));
    EXPECT_EQ(folder, u"/srv/old"_s);
    EXPECT_EQ(ui.calls, 1);
}

} // namespace
