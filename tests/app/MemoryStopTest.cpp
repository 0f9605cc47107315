#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "UnattendedChild.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using testsupport::ChildOutcome;

const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);
const QString kMemoryCause = QString::fromUtf16(apptest::kMemoryCause);
const QString kBadAllocation = u"\"bad allocation\""_s;
const QString kCrash = u"Сбой программы"_s;

// Far more than the limit below: the service reads a content file whole before it hands it out.
constexpr qint64 kHugeContentBytes = qint64(1) << 30;
// The program starts and unloads the whole sample under less (300 MB, as the limits test shows).
constexpr qint64 kLimitBytes = qint64(400) << 20;

bool copyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(source);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(source, target))
            return false;
    }
    return true;
}

// The bundled sample with one more content file for its last document: a sparse file of a
// gigabyte, which costs no disk and cannot be read under the limit. Every document before it is
// unloaded as usual; the allocation for that file fails inside the started run, at the same place
// whatever the timing.
QString sandboxWithHugeContent(const QString& folder, QString& hugeName)
{
    const QString sandbox = folder + u"/sandbox"_s;
    if (!copyFolder(kSample, sandbox))
        return {};
    QFile json(sandbox + u"/sandbox.json"_s);
    if (!json.open(QIODevice::ReadOnly))
        return {};
    QJsonObject root = QJsonDocument::fromJson(json.readAll()).object();
    json.close();
    QJsonArray documents = root.value(u"documents"_s).toArray();
    if (documents.isEmpty())
        return {};
    QJsonObject last = documents.last().toObject();
    QJsonArray content = last.value(u"content"_s).toArray();
    hugeName = u"Приложение к договору.pdf"_s;
    content.append(QString(u"content/"_s + hugeName));
    last[u"content"_s] = content;
    documents.replace(documents.size() - 1, last);
    root[u"documents"_s] = documents;

    QFile huge(sandbox + u"/content/"_s + hugeName);
    if (!huge.open(QIODevice::WriteOnly) || !huge.resize(kHugeContentBytes))
        return {};
    if (!json.open(QIODevice::WriteOnly | QIODevice::Truncate) || json.write(QJsonDocument(root).toJson()) <= 0)
        return {};
    return sandbox;
}

int printedCount(const QString& output, const QString& name)
{
    const QRegularExpression count(QRegularExpression::escape(name) + uR"(: (\d+))"_s);
    const QRegularExpressionMatch match = count.match(output);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QStringList filesNamed(const QString& folder, const QString& name)
{
    QStringList found;
    QDirIterator it(folder, {name}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

// An allocation that fails anywhere inside a started unattended run is the run's memory stop: the
// run ends as stopped and says why, its protocols are attempted, its counts are printed, and it
// exits 2, with the documents unloaded before it on disk. Exit 1 is for a run that could not start.
TEST(MemoryStop, AnAllocationThatFailsInsideTheRunStopsItWithExitTwo)
{
    if (!testsupport::addressSpaceLimitsWork())
        GTEST_SKIP() << "a sanitized program cannot start under an address-space limit";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString hugeName;
    const QString sandbox = sandboxWithHugeContent(dir.path(), hugeName);
    ASSERT_FALSE(sandbox.isEmpty()) << "the sandbox fixture could not be written";
    const apptest::UnattendedChild child(dir.path(), sandbox);
    ASSERT_EQ(child.setupFailure(), "");

    const ChildOutcome outcome = child.run({.addressSpaceBytes = kLimitBytes}, 180s);

    ASSERT_EQ(outcome.end, ChildOutcome::End::Exited) << outcome.describe();
    EXPECT_EQ(outcome.exitCode, 2) << outcome.describe();
    EXPECT_TRUE(outcome.output.contains(kMemoryCause)) << outcome.describe();
    EXPECT_TRUE(outcome.output.contains(kBadAllocation)) << outcome.describe();
    EXPECT_FALSE(outcome.output.contains(kCrash)) << outcome.describe();

    // The counts: the lists were read and the documents before the huge one were unloaded.
    EXPECT_GT(printedCount(outcome.output, u"Списков"_s), 0) << outcome.describe();
    const int unloaded = printedCount(outcome.output, u"выгружено"_s);
    EXPECT_GT(unloaded, 0) << outcome.describe();
    EXPECT_GE(filesNamed(child.unloadFolder(), u"DCInfo.n7l"_s).size(), unloaded);
    EXPECT_TRUE(filesNamed(child.unloadFolder(), hugeName).isEmpty());

    // The protocols were attempted: each is either written, where the line says, or said unwritten.
    const QRegularExpression protocolLine(uR"(^Протокол(?: не записан)?: (.+?)\r?$)"_s,
                                          QRegularExpression::MultilineOption);
    int protocols = 0;
    for (auto it = protocolLine.globalMatch(outcome.output); it.hasNext();) {
        const QRegularExpressionMatch line = it.next();
        ++protocols;
        if (!line.captured(0).contains(u"не записан"_s)) {
            EXPECT_TRUE(QFileInfo::exists(line.captured(1))) << line.captured(0).toStdString();
        }
    }
    EXPECT_GT(protocols, 0) << outcome.describe();
}

} // namespace
