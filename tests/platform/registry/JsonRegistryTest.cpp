#include <cstdio>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "platform/registry/JsonRegistry.h"
#include "support/SmallDisk.h"

using namespace Qt::StringLiterals;
using namespace platform::registry;

namespace {

const QString kKey = u"Software\\Quorvel Labs\\N7_Fetchling\\Options"_s;

class JsonRegistryTest : public testing::Test
{
protected:
    QTemporaryDir folder;
    JsonRegistry store{folder.path()};
};

} // namespace

TEST_F(JsonRegistryTest, KeepsEveryValueTypeApart)
{
    const Value values[] = {Value(u"394802"_s), Value(quint32{394802}), Value(quint64{0xFFFFFFFFFFFFFFFFull}),
                            Value(QStringList{u"а"_s, QString(), u"б"_s}), Value(QByteArray("\x00\x01\xFF", 3))};
    int n = 0;
    for (const Value& value : values)
        store.write(Hive::User, kKey, u"v"_s + QString::number(n++), value);

    JsonRegistry reopened(folder.path());
    n = 0;
    for (const Value& value : values) {
        const auto read = reopened.read(Hive::User, kKey, u"v"_s + QString::number(n++));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(typeOf(*read), typeOf(value));
        EXPECT_EQ(*read, value);
    }
}

TEST_F(JsonRegistryTest, KeysAndNamesCompareWithoutRegardToCaseAndNamesKeepAnyCharacter)
{
    store.write(Hive::User, kKey + u"\\OrgCheccked"_s, u"org7701234567/"_s, quint32{1});
    store.write(Hive::User, kKey + u"\\OrgCheccked"_s, u"org7701234567|dep\\Отдел"_s, quint32{0});

    const QString otherCase = u"SOFTWARE\\quorvel labs\\n7_fetchling\\OPTIONS\\orgcheccked"_s;
    EXPECT_EQ(store.read(Hive::User, otherCase, u"ORG7701234567/"_s), Value(quint32{1}));
    EXPECT_EQ(store.read(Hive::User, otherCase, u"org7701234567|DEP\\отдел"_s), Value(quint32{0}));
    EXPECT_EQ(store.valueNames(Hive::User, otherCase),
              (QStringList{u"org7701234567/"_s, u"org7701234567|dep\\Отдел"_s}));
    EXPECT_TRUE(store.keyExists(Hive::User, u"software\\QUORVEL LABS"_s));
    EXPECT_EQ(store.subKeys(Hive::User, u"Software\\Quorvel Labs\\N7_Fetchling"_s), QStringList{u"Options"_s});
}

TEST_F(JsonRegistryTest, HivesAreSeparateAndTheMachineHiveIsReadOnly)
{
    JsonRegistry setup(folder.path(), JsonRegistry::MachineAccess::ReadWrite);
    setup.write(Hive::Machine, u"SOFTWARE\\Quorvel Labs\\Larimo9\\General"_s, u"RootPath"_s, u"/srv/larimo"_s);

    EXPECT_FALSE(store.read(Hive::User, u"SOFTWARE\\Quorvel Labs\\Larimo9\\General"_s, u"RootPath"_s));
    EXPECT_EQ(store.read(Hive::Machine, u"SOFTWARE\\Quorvel Labs\\Larimo9\\General"_s, u"RootPath"_s),
              Value(u"/srv/larimo"_s));
    EXPECT_THROW(store.write(Hive::Machine, kKey, u"x"_s, quint32{1}), core::Error);
}

TEST_F(JsonRegistryTest, EveryReadSeesTheLastWriteOfAnotherInstance)
{
    JsonRegistry other(folder.path());
    store.write(Hive::User, kKey, u"TasksLimit"_s, quint32{5});
    EXPECT_EQ(other.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{5}));
    other.write(Hive::User, kKey, u"TasksLimit"_s, quint32{6});
    EXPECT_EQ(store.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{6}));
    store.removeValue(Hive::User, kKey, u"TASKSLIMIT"_s);
    EXPECT_FALSE(other.read(Hive::User, kKey, u"TasksLimit"_s));
}

TEST_F(JsonRegistryTest, FilesAreReadableByTheOwnerOnly)
{
    store.write(Hive::User, kKey, u"Path"_s, u"/home/user/Документы"_s);
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(store.fileOf(Hive::User)).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(JsonRegistryTest, ACrashInTheMiddleOfAWriteLeavesTheOldFileWhole)
{
    store.write(Hive::User, kKey, u"Path"_s, u"старый"_s);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        JsonRegistry dying(folder.path());
        dying.setBeforeCommitHook([] { _exit(3); });
        dying.write(Hive::User, kKey, u"Path"_s, u"новый"_s);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 3) << "the child must die between writing and committing";

    JsonRegistry after(folder.path());
    EXPECT_EQ(after.read(Hive::User, kKey, u"Path"_s), Value(u"старый"_s));
    after.write(Hive::User, kKey, u"Path"_s, u"новый"_s);
    EXPECT_EQ(after.read(Hive::User, kKey, u"Path"_s), Value(u"новый"_s));
}

TEST_F(JsonRegistryTest, ADamagedFileIsReportedAndNeverOverwritten)
{
    store.write(Hive::User, kKey, u"Path"_s, u"x"_s);
    QFile file(store.fileOf(Hive::User));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"format\":1,\"keys\":[");
    file.close();

    EXPECT_THROW(store.read(Hive::User, kKey, u"Path"_s), core::Error);
    EXPECT_THROW(store.write(Hive::User, kKey, u"Path"_s, u"y"_s), core::Error);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("{\"format\":1,\"keys\":["));
}

TEST_F(JsonRegistryTest, AMissingFolderReadsAsEmptyAndIsCreatedOnWrite)
{
    JsonRegistry fresh(folder.path() + u"/a/b"_s);
    EXPECT_FALSE(fresh.read(Hive::User, kKey, u"Path"_s));
    EXPECT_FALSE(fresh.keyExists(Hive::User, kKey));
    fresh.write(Hive::User, kKey, u"Path"_s, u"x"_s);
    EXPECT_TRUE(fresh.keyExists(Hive::User, kKey));
}

TEST_F(JsonRegistryTest, AFileOfTheWrongStructureIsReportedByName)
{
    const QByteArray contents[] = {
        "[]",
        "{\"format\":1}",
        "{\"format\":1,\"keys\":{}}",
        "{\"format\":1,\"keys\":[1]}",
        "{\"format\":1,\"keys\":[{\"values\":[]}]}",
        "{\"format\":1,\"keys\":[{\"path\":\"Software\",\"values\":{}}]}",
        "{\"format\":1,\"keys\":[{\"path\":\"Software\",\"values\":[{\"type\":\"SZ\",\"data\":\"x\"}]}]}",
        "{\"format\":1,\"keys\":[{\"path\":\"Software\",\"values\":[{\"name\":\"Path\",\"data\":\"x\"}]}]}",
        "{\"format\":1,\"keys\":[{\"path\":\"Software\",\"values\":[{\"name\":\"Path\",\"type\":\"DWORD\"}]}]}",
    };
    const QString path = store.fileOf(Hive::User);
    for (const QByteArray& content : contents) {
        SCOPED_TRACE(content.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        JsonRegistry fresh(folder.path());
        try {
            fresh.read(Hive::User, kKey, u"Path"_s);
            ADD_FAILURE() << "the file was read as a store";
        } catch (const core::Error& e) {
            EXPECT_TRUE(e.description().contains(path)) << e.description().toStdString();
        }
        EXPECT_THROW(fresh.write(Hive::User, kKey, u"Path"_s, u"y"_s), core::Error);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), content) << "the file is left as it was";
    }
}

TEST_F(JsonRegistryTest, WhatIsNoRegularFileIsRefusedAtOnce)
{
    const QString path = store.fileOf(Hive::User);
    // A pipe would block the first read for ever; a folder cannot be read at all.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    try {
        store.read(Hive::User, kKey, u"Path"_s);
        ADD_FAILURE() << "a pipe was read as a store";
    } catch (const core::Error& e) {
        EXPECT_TRUE(e.description().contains(path)) << e.description().toStdString();
    }
    EXPECT_THROW(store.write(Hive::User, kKey, u"Path"_s, u"y"_s), core::Error);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo(path).isFile()) << "the pipe stays";

    const QString machine = store.fileOf(Hive::Machine);
    ASSERT_TRUE(QDir().mkdir(machine));
    EXPECT_THROW(store.read(Hive::Machine, kKey, u"Path"_s), core::Error);
}

TEST_F(JsonRegistryTest, AFolderThatCannotBeReadIsReportedByName)
{
    // A file where the folder should be: as unreadable for every user as a folder without rights.
    const QString notAFolder = folder.path() + u"/registry"_s;
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    JsonRegistry blocked(notAFolder);
    try {
        blocked.read(Hive::User, kKey, u"Path"_s);
        ADD_FAILURE() << "a file was read as the store's folder";
    } catch (const core::Error& e) {
        EXPECT_TRUE(e.description().contains(notAFolder)) << e.description().toStdString();
    }

    const QString locked = folder.path() + u"/locked"_s;
    JsonRegistry lockedStore(locked);
    lockedStore.write(Hive::User, kKey, u"Path"_s, u"x"_s);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    if (QFileInfo(locked + u"/user.json"_s).exists()) {
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "this user reads folders without rights";
    }
    JsonRegistry lockedAgain(locked);
    EXPECT_THROW(lockedAgain.read(Hive::User, kKey, u"Path"_s), core::Error);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// 0 when a change of the store in the folder, which takes no new file, is refused as read-only.
int changeIsRefusedAsReadOnly(const QString& storeFolder)
{
    JsonRegistry store(storeFolder);
    try {
        store.write(Hive::User, kKey, u"Path"_s, u"y"_s);
        return 1;
    } catch (const core::Error& e) {
        const QString expected = u"Папка реестра доступна только для чтения: "_s + storeFolder;
        if (e.description() != expected) {
            std::fprintf(stderr, "told: %s\n", qPrintable(e.description()));
            return 2;
        }
    }
    return store.read(Hive::User, kKey, u"Path"_s) == Value(u"x"_s) ? 0 : 3;
}

TEST_F(JsonRegistryTest, AStoreInAReadOnlyFolderIsToldAsSuchNotAsBusy)
{
    const QString disk = folder.path() + u"/disk"_s;
    const auto answer = testsupport::onSmallDisk(disk, 64 * 1024, [&]() -> int {
        JsonRegistry(disk).write(Hive::User, kKey, u"Path"_s, u"x"_s);
        if (::mount(nullptr, QFile::encodeName(disk).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return 10;
        return changeIsRefusedAsReadOnly(disk);
    });
    if (answer) {
        EXPECT_EQ(*answer, 0);
        return;
    }
    // No file system of our own to make read-only: a folder without the right to write does, for
    // every user but the administrator.
    if (::geteuid() == 0)
        GTEST_SKIP() << "this machine lets no test mount a read-only disk";
    const QString readOnly = folder.path() + u"/read-only"_s;
    JsonRegistry(readOnly).write(Hive::User, kKey, u"Path"_s, u"x"_s);
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_EQ(changeIsRefusedAsReadOnly(readOnly), 0);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(JsonRegistryTest, ABatchIsSeenByItsOwnReadsAndStoredByOneReplacementOfTheFile)
{
    store.write(Hive::User, kKey, u"TasksLimit"_s, quint32{5});
    store.write(Hive::User, kKey, u"DocsLimit"_s, quint32{7});
    int replacements = 0;
    store.setBeforeCommitHook([&] { ++replacements; });
    JsonRegistry other(folder.path());

    store.beginBatch(Hive::User);
    store.write(Hive::User, kKey, u"TasksLimit"_s, quint32{6});
    store.write(Hive::User, kKey, u"Path"_s, u"/srv/выгрузка"_s);
    store.removeValue(Hive::User, kKey, u"DocsLimit"_s);
    EXPECT_EQ(store.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{6}));
    EXPECT_FALSE(store.read(Hive::User, kKey, u"DocsLimit"_s));
    EXPECT_EQ(store.valueNames(Hive::User, kKey), (QStringList{u"Path"_s, u"TasksLimit"_s}));
    EXPECT_EQ(other.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{5})) << "nothing is stored yet";
    EXPECT_EQ(replacements, 0);
    // Another program writes meanwhile: its value survives the commit.
    other.write(Hive::User, kKey, u"TimeOut"_s, quint32{100});

    store.commitBatch();
    EXPECT_EQ(replacements, 1);
    EXPECT_EQ(other.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{6}));
    EXPECT_EQ(other.read(Hive::User, kKey, u"Path"_s), Value(u"/srv/выгрузка"_s));
    EXPECT_FALSE(other.read(Hive::User, kKey, u"DocsLimit"_s));
    EXPECT_EQ(other.read(Hive::User, kKey, u"TimeOut"_s), Value(quint32{100}));

    store.write(Hive::User, kKey, u"TasksLimit"_s, quint32{8});
    EXPECT_EQ(replacements, 2) << "after the commit every write is stored at once again";
}

TEST_F(JsonRegistryTest, ADiscardedOrFailedBatchStoresNothing)
{
    store.write(Hive::User, kKey, u"TasksLimit"_s, quint32{5});
    store.beginBatch(Hive::User);
    store.write(Hive::User, kKey, u"TasksLimit"_s, quint32{6});
    store.discardBatch();
    EXPECT_EQ(store.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{5}));

    store.setBeforeCommitHook([] { throw core::Error(28, u"Disk full"_s); });
    store.beginBatch(Hive::User);
    store.write(Hive::User, kKey, u"TasksLimit"_s, quint32{6});
    store.write(Hive::User, kKey, u"DocsLimit"_s, quint32{9});
    EXPECT_THROW(store.commitBatch(), core::Error);
    store.setBeforeCommitHook({});
    JsonRegistry reopened(folder.path());
    EXPECT_EQ(reopened.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{5}));
    EXPECT_FALSE(reopened.read(Hive::User, kKey, u"DocsLimit"_s));
    EXPECT_EQ(store.read(Hive::User, kKey, u"TasksLimit"_s), Value(quint32{5})) << "the failed batch is closed";

    store.beginBatch(Hive::User);
    EXPECT_THROW(store.beginBatch(Hive::User), core::Error) << "one batch at a time";
    store.discardBatch();
    EXPECT_THROW(store.beginBatch(Hive::Machine), core::Error) << "the machine hive stays read only";
}
