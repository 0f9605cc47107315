#include <QDirIterator>
#include <QFile>

#include "AsyncContentsTestFixture.h"

using namespace Qt::StringLiterals;
using platform::diadoc::FaultEffect;

namespace contentstest {
namespace {

constexpr int kDocuments = 1000;

// A thousand generated documents downloaded five at a time, with faults of every kind spread over
// them: every document must end unloaded or ignored with a reason, whatever the mode.
class RunTest : public ContentsFixture, public ::testing::WithParamInterface<bool>
{
protected:
    RunTest()
        : ContentsFixture(kDocuments, 3)
    {
    }
};

TEST_P(RunTest, ThousandDocumentsAllEndUnloadedOrIgnoredWithReasons)
{
    const bool zip = GetParam();
    // Every 10th document meets one fault; the kinds rotate.
    const struct
    {
        QString operation;
        FaultEffect effect;
        QString text;
        int firstAttempts;
    } faults[] = {
        {u"SaveContentResult"_s, FaultEffect::Error, u"WIN32[0x00000005]Access is denied."_s, 0},
        {u"SaveContentResult"_s, FaultEffect::Error, u"bad allocation"_s, 2},
        {u"SaveContentResult"_s, FaultEffect::False, {}, 1},
        {u"SaveContentResult"_s, FaultEffect::False, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::NoFiles, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::Hostile, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::Corrupt, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::Truncated, {}, 0},
        {zip ? u"SaveAllContentZipAsync"_s : u"SaveAllContentAsync"_s, FaultEffect::Error,
         u"COM1C[0x80004005]Unspecified error"_s, 1},
        {zip ? u"SaveAllContentZipAsync"_s : u"SaveAllContentAsync"_s, FaultEffect::Nothing, {}, 1},
    };
    for (int n = 10, k = 0; n <= kDocuments; n += 10, ++k) {
        const auto& f = faults[k % std::size(faults)];
        fault(n, f.operation, f.effect, f.text, f.firstAttempts);
    }

    auto& q = makeQueue(5);
    int most = 0;
    trace.onChanged = [&](bool&) { most = std::max(most, q.Count(3)); };
    for (int n = 1; n <= kDocuments; ++n)
        add(n, zip);
    // The repeat of a document already taken.
    add(1, zip, out + u"/repeat"_s);
    const auto results = drain();

    EXPECT_LE(most, 5);
    EXPECT_GE(most, 2);
    EXPECT_EQ(q.Count(1) + q.Count(2) + q.Count(3), 0);
    EXPECT_EQ(q.Count(4) + q.Count(5), kDocuments + 1);
    EXPECT_EQ(static_cast<int>(results.size()), q.Count(4));
    EXPECT_GT(q.Count(4), kDocuments * 8 / 10);
    for (const Record& r : q.UnloadedList()) {
        EXPECT_TRUE(r->ErrorDescription.isEmpty()) << r->ErrorDescription.toStdString();
        EXPECT_FALSE(QDir(r->PathForDownload).isEmpty(QDir::Files)) << r->PathForDownload.toStdString();
        EXPECT_FALSE(QFile::exists(r->PathForDownload + u"/content.zip"_s));
    }
    int repeats = 0;
    for (const Record& r : q.IgnoredList()) {
        EXPECT_FALSE(r->ErrorDescription.isEmpty()) << numberOf(r);
        repeats += r->ErrorDescription == QString::fromUtf16(diadoc::AsyncContents::kRepeatReason) ? 1 : 0;
    }
    EXPECT_EQ(repeats, 1);

    // Nothing written outside the documents' folders.
    QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        EXPECT_TRUE(path.startsWith(out + u"/doc"_s)) << path.toStdString();
    }
    QDirIterator outside(dir.path(), QDir::Files);
    EXPECT_FALSE(outside.hasNext());
}

INSTANTIATE_TEST_SUITE_P(BothModes, RunTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Zip" : "Folder"; });

} // namespace
} // namespace contentstest
