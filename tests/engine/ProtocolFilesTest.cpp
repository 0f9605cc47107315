#include <cstdio>

#include <unistd.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "core/MsgBox.h"
#include "engine/CsvProtocol.h"
#include "engine/HtmlProtocol.h"
#include "support/SmallDisk.h"

using namespace Qt::StringLiterals;

namespace protocoltest {

namespace {

enum class Kind
{
    Html,
    Csv,
};

// How the HTML and CSV protocols reach the disk: under their name only once they are complete.
class ProtocolFilesTest : public ProtocolFixture, public ::testing::WithParamInterface<Kind>
{
protected:
    QString nameIn(const QString& folder) const
    {
        return folder + (GetParam() == Kind::Html ? u"/Протокол.htm"_s : u"/Протокол.csv"_s);
    }

    bool write(const QString& fileName)
    {
        if (GetParam() == Kind::Html)
            return engine::HtmlProtocol(source, summary, progress, ui).write(fileName);
        return engine::CsvProtocol(source, progress, ui).write(fileName);
    }

    static QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    static bool holds(const QString& fileName, const QByteArray& content)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) && file.readAll() == content;
    }
};

TEST_P(ProtocolFilesTest, AWriterKilledMidWayLeavesNoPartOfItsProtocol)
{
    fillSampleRun();
    const QString folder = dir.filePath(u"protocols"_s);
    QDir().mkpath(folder);
    const QString fileName = nameIn(folder);
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "over an earlier protocol" : "a new protocol");
        QFile::remove(fileName);
        if (earlier) {
            QFile old(fileName);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("earlier");
        }
        const QStringList before = entries(folder);
        // The writer's process ends at once in the middle of the protocol, as a kill ends it.
        progress.onStep = [](int step) {
            if (step == 2)
                ::_exit(0);
        };
        EXPECT_EXIT(
            {
                write(fileName);
                ::_exit(3);
            },
            ::testing::ExitedWithCode(0), "");
        progress.onStep = {};
        EXPECT_EQ(entries(folder), before);
        if (earlier) {
            EXPECT_TRUE(holds(fileName, "earlier"));
        }
    }
}

TEST_P(ProtocolFilesTest, AProtocolThatMeetsAFullDiskLeavesNoFileUnderItsName)
{
    fillSampleRun();
    const QString disk = dir.filePath(u"disk"_s);
    const auto answer = testsupport::onSmallDisk(disk, 64 * 1024, [&]() -> int {
        const QString earlier = disk + u"/earlier"_s;
        const QString fresh = disk + u"/fresh"_s;
        QDir().mkpath(earlier);
        QDir().mkpath(fresh);
        QFile old(nameIn(earlier));
        if (!old.open(QIODevice::WriteOnly) || old.write("earlier") != 7)
            return 10;
        old.close();
        if (!testsupport::fillDisk(disk))
            return 11;
        ui.expectBox(core::msgbox::vbOK);
        ui.expectBox(core::msgbox::vbOK);
        if (write(nameIn(earlier)) || write(nameIn(fresh)))
            return 12;
        if (!entries(fresh).isEmpty())
            return 13;
        if (entries(earlier) != QStringList{QFileInfo(nameIn(earlier)).fileName()}
            || !holds(nameIn(earlier), "earlier"))
            return 14;
        return ui.boxes.size() == 2 && ui.boxes[1].prompt.endsWith(u", т.к. на диске закончилось место."_s) ? 0 : 15;
    });
    if (!answer)
        GTEST_SKIP() << "this machine lets no test mount a small disk";
    EXPECT_EQ(*answer, 0);
}

TEST_P(ProtocolFilesTest, ADiskWithALittleRoomLeftIsToldAsAFullDisk)
{
    fillSampleRun();
    // Enough rows that the writer's buffer goes out several times: the disk takes the first part
    // of one only in part, and the system names no reason for that short write.
    for (int i = 0; i < 400; ++i)
        source.unloadedList.push_back(source.unloadedList.front());
    const QString disk = dir.filePath(u"disk"_s);
    const auto answer = testsupport::onSmallDisk(disk, 64 * 1024, [&]() -> int {
        QFile filler(disk + u"/filler"_s);
        if (!filler.open(QIODevice::WriteOnly) || filler.write(QByteArray(64 * 1024 - 10 * 1024, 'f')) < 0
            || !filler.flush())
            return 10;
        filler.close();
        ui.expectBox(core::msgbox::vbOK);
        if (write(nameIn(disk)))
            return 11;
        if (ui.boxes.size() != 1)
            return 12;
        const QString expected = u"Не удалось записать файл протокола выгрузки \""_s + nameIn(disk)
                                 + u"\", т.к. на диске закончилось место."_s;
        if (ui.boxes[0].prompt != expected) {
            std::fprintf(stderr, "told: %s\n", qPrintable(ui.boxes[0].prompt));
            return 13;
        }
        return 0;
    });
    if (!answer)
        GTEST_SKIP() << "this machine lets no test mount a small disk";
    EXPECT_EQ(*answer, 0);
}

INSTANTIATE_TEST_SUITE_P(HtmlAndCsv, ProtocolFilesTest, ::testing::Values(Kind::Html, Kind::Csv),
                         [](const ::testing::TestParamInfo<Kind>& param) {
                             return param.param == Kind::Html ? "Html" : "Csv";
                         });

} // namespace

} // namespace protocoltest
