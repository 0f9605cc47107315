#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/DemoSettings.h"
#include "base/Error.h"
#include "core/mFetchlingOptions.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;

namespace {

const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A store already pointed at the sample, so that a refused demo set-up has something to spoil.
class DemoSettingsTest : public testing::Test
{
protected:
    DemoSettingsTest()
    {
        app::DemoSettings::write(options, kSample, at(u"good"_s));
        QDir().mkpath(at(u"empty sandbox"_s));
        QFile file(at(u"a file"_s));
        file.open(QIODevice::WriteOnly);
    }

    QString at(const QString& name) const { return dir.filePath(name); }
    QByteArray storeBytes() const { return contentOf(store.registry.fileOf(platform::registry::Hive::User)); }

    QTemporaryDir dir;
    testsupport::TestRegistry store;
    core::mFetchlingOptions options{store.utility};
};

} // namespace

TEST_F(DemoSettingsTest, BadFoldersAreRefusedByNameAndTheStoreStaysAsItWas)
{
    struct Case
    {
        const char* name;
        QString sandbox;
        QString unload;
        QString named; // the path the message must name
    };
    const Case cases[] = {
        {"sandbox missing", at(u"no such"_s), at(u"out"_s), at(u"no such"_s)},
        {"sandbox without sandbox.json", at(u"empty sandbox"_s), at(u"out"_s), at(u"empty sandbox"_s)},
        {"sandbox is a file", at(u"a file"_s), at(u"out"_s), at(u"a file"_s)},
        {"unload folder is a file", kSample, at(u"a file"_s), at(u"a file"_s)},
        {"unload folder below a file", kSample, at(u"a file/out"_s), at(u"a file"_s)},
    };
    const QByteArray before = storeBytes();
    ASSERT_FALSE(before.isEmpty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            app::DemoSettings::write(options, c.sandbox, c.unload);
            ADD_FAILURE() << "the folders were taken";
        } catch (const core::Error& e) {
            EXPECT_TRUE(e.description().contains(c.named)) << e.description().toStdString();
        }
        EXPECT_EQ(storeBytes(), before);
    }
    EXPECT_EQ(options.GetDefault_Path(), at(u"good"_s) + u'/');
}

TEST_F(DemoSettingsTest, AMissingUnloadFolderBelowAFolderIsTaken)
{
    app::DemoSettings::write(options, kSample, at(u"new/deeper"_s));
    EXPECT_EQ(options.GetDefault_Path(), at(u"new/deeper"_s) + u'/');
    EXPECT_EQ(options.Get_DiadocServerURL(), QDir(kSample).absolutePath());
}
