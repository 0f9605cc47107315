#include <functional>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "base/TextCodec.h"
#include "platform/diadoc/SandboxGenerator.h"

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(FETCHLING_PROGRAM);
const QString kProtocolPrefix = u"Протокол выгрузки документов из Диадок от "_s;
const QString kMetadataFile = u"DCInfo.n7l"_s;
// Of 5,000 generated documents the sample's period and choices file some 3,300.
constexpr int kDocuments = 5000;
constexpr int kRunMs = 240000;

// Unattended runs of the program, each line with a settings store and an unload folder of its own,
// over one generated sandbox.
class KillRestartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::diadoc::SandboxGenerator::Settings settings;
        settings.documents = kDocuments;
        platform::diadoc::SandboxGenerator::write(m_dir.filePath(u"sandbox"_s), settings);
    }

    QString outOf(const QString& line) const { return m_dir.filePath(line + u"/out"_s); }

    QProcessEnvironment configure(const QString& line)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"N7_REGISTRY_DIR"_s, m_dir.filePath(line + u"/registry"_s));
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(kProgram, {u"--configure-demo"_s, m_dir.filePath(u"sandbox"_s), outOf(line)});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return environment;
    }

    // Runs /AUTOSTART to its end; its exit code.
    static int runToEnd(const QProcessEnvironment& environment)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(kProgram, {u"/AUTOSTART"_s});
        if (!process.waitForFinished(kRunMs)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // Starts /AUTOSTART and kills it (SIGKILL, nothing of it runs on) as soon as ready holds; false
    // when the run ended before that.
    static bool runAndKill(const QProcessEnvironment& environment, const std::function<bool()>& ready)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(kProgram, {u"/AUTOSTART"_s});
        QElapsedTimer waited;
        waited.start();
        while (!waited.hasExpired(kRunMs)) {
            if (ready()) {
                process.kill();
                process.waitForFinished();
                return true;
            }
            if (process.waitForFinished(50))
                return false;
        }
        process.kill();
        process.waitForFinished();
        return false;
    }

    static QStringList filesBelow(const QString& folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
        return files;
    }

    static int metadataFiles(const QString& folder)
    {
        int count = 0;
        QDirIterator it(folder, {kMetadataFile}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            ++count;
        }
        return count;
    }

    static bool hasProtocol(const QString& folder)
    {
        return !QDir(folder).entryList({kProtocolPrefix + u'*'}, QDir::Files).isEmpty();
    }

    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Every metadata file is whole XML, and every file under a protocol's name is a whole protocol:
    // the page ends with its closing tag, the CSV with a whole line (as many as the page's rows of
    // unloaded documents), the workbook with the end record of its archive.
    static void expectWhole(const QString& folder)
    {
        for (const QString& path : filesBelow(folder)) {
            const QString name = QFileInfo(path).fileName();
            if (name == kMetadataFile) {
                QXmlStreamReader xml(core::TextCodec::fromCp1251(contentOf(path)));
                while (!xml.atEnd())
                    xml.readNext();
                EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
                continue;
            }
            if (!name.startsWith(kProtocolPrefix))
                continue;
            const QByteArray bytes = contentOf(path);
            if (name.endsWith(u".htm"_s)) {
                EXPECT_TRUE(bytes.endsWith("</html>")) << path.toStdString();
            } else if (name.endsWith(u".csv"_s)) {
                EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n")) << path.toStdString();
                const QString page = path.chopped(4) + u".htm"_s;
                if (QFile::exists(page)) {
                    const QByteArray html = contentOf(page);
                    const qsizetype unloaded = html.indexOf(core::TextCodec::toCp1251(u"<h3>Выгружены:</h3>"_s));
                    const qsizetype next = html.indexOf("<h3>", unloaded + 1);
                    const QByteArray rows = html.mid(unloaded, next < 0 ? -1 : next - unloaded);
                    EXPECT_EQ(bytes.count("\r\n"),
                              unloaded < 0 ? 0 : rows.count("<tr><td class='a") - rows.count("<tr><td class='a0'"))
                        << path.toStdString();
                }
            } else if (name.endsWith(u".xlsx"_s)) {
                EXPECT_TRUE(bytes.startsWith("PK\x03\x04") && bytes.size() > 22
                            && bytes.mid(bytes.size() - 22, 4) == "PK\x05\x06")
                    << path.toStdString();
            } else {
                ADD_FAILURE() << "a file under a protocol's name that is no protocol: " << path.toStdString();
            }
        }
    }

    // Every file below the folder but the protocols, by relative path; the metadata file without
    // the moment it was written.
    static QMap<QString, QByteArray> tree(const QString& folder)
    {
        static const QRegularExpression uploaded(u" UploadedDateTime=\"[^\"]*\""_s);
        QMap<QString, QByteArray> files;
        for (const QString& path : filesBelow(folder)) {
            const QString relative = QDir(folder).relativeFilePath(path);
            if (relative.startsWith(kProtocolPrefix))
                continue;
            QByteArray bytes = contentOf(path);
            if (relative.endsWith(kMetadataFile))
                bytes = core::TextCodec::toCp1251(core::TextCodec::fromCp1251(bytes).remove(uploaded));
            files.insert(relative, bytes);
        }
        return files;
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(KillRestartTest, ARunKilledAtSeveralPointsAndRunAgainGivesTheTreeOfARunNeverKilled)
{
    const QProcessEnvironment clean = configure(u"clean"_s);
    ASSERT_EQ(runToEnd(clean), 0);
    const QMap<QString, QByteArray> expected = tree(outOf(u"clean"_s));
    const int filed = metadataFiles(outOf(u"clean"_s));
    ASSERT_GT(filed, 1000);

    const QProcessEnvironment killed = configure(u"killed"_s);
    const QString out = outOf(u"killed"_s);
    struct Point
    {
        const char* name;
        std::function<bool()> ready;
    };
    const Point points[] = {
        {"a fifth of the documents filed", [&] { return metadataFiles(out) >= filed / 5; }},
        {"three fifths filed", [&] { return metadataFiles(out) >= filed * 3 / 5; }},
        {"every document filed, the protocols being written", [&] { return metadataFiles(out) >= filed; }},
        {"the first protocol written", [&] { return hasProtocol(out); }},
    };
    int kills = 0;
    for (const Point& point : points) {
        SCOPED_TRACE(point.name);
        kills += runAndKill(killed, point.ready) ? 1 : 0;
        expectWhole(out);
    }
    EXPECT_GE(kills, 3) << "the runs were killed where the test meant to";

    ASSERT_EQ(runToEnd(killed), 0);
    expectWhole(out);
    const QMap<QString, QByteArray> actual = tree(out);
    EXPECT_EQ(actual.keys(), expected.keys());
    int differing = 0;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (actual.value(it.key()) != it.value() && ++differing <= 10)
            ADD_FAILURE() << "differs from the clean run: " << it.key().toStdString();
    }
    EXPECT_EQ(differing, 0);
}

} // namespace
