#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/ProtocolSource.h"
#include "support/ScriptedUiServices.h"

namespace diadoc {
class AsyncDocRecord;
class PersonRecord;
} // namespace diadoc

namespace platform::diadoc {
class SandboxService;
}

namespace protocoltest {

// Records the begin, step and end events of a writer and asks to stop at a chosen step.
class RecordingProgress final : public engine::ProtocolProgress
{
public:
    void OnBegin() override { events.append(QStringLiteral("begin")); }
    void StepChange(int StepCount, int NumberStep, bool& rCancel) override;
    void OnEnd() override { events.append(QStringLiteral("end")); }

    int cancelAtStep = 0; // the NumberStep at which rCancel is set; 0: never
    std::function<void(int NumberStep)> onStep;
    QStringList events;
};

// A device that takes a given number of bytes and then fails as a full disk does.
class FullDevice final : public QIODevice
{
public:
    explicit FullDevice(qint64 room);
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    qint64 m_room;
};

// A small run of two organisations and every kind of list, with the folders of the unloaded
// documents created below a temporary unload folder.
class ProtocolFixture : public testing::Test
{
protected:
    ProtocolFixture();
    ~ProtocolFixture() override;

    // The run the golden files show: three unloaded documents (a package with a power of
    // attorney and a hostile title among them) and one document in each other list.
    void fillSampleRun();
    std::shared_ptr<diadoc::AsyncDocRecord> document(const QString& organisationKey, const QString& name);
    // A folder below the unload folder, created on disk; it ends with "/".
    QString folder(const QString& relative) const;
    // The file's bytes with the temporary unload folder replaced by "{BASE}/".
    QByteArray normalised(const QByteArray& bytes) const;
    static QByteArray contentOf(const QString& path);
    // Compares with a golden file byte for byte; FETCHLING_UPDATE_GOLDEN=1 rewrites it instead.
    static void expectGolden(const QByteArray& actual, const QString& goldenName);

    testsupport::ScriptedUiServices ui;
    QTemporaryDir dir;
    QString base; // the unload folder, ending with "/"
    std::shared_ptr<platform::diadoc::SandboxService> service;
    std::shared_ptr<diadoc::PersonRecord> romashka; // with departments, a trailing blank in its name
    std::shared_ptr<diadoc::PersonRecord> vector;   // without departments
    engine::PersonsCollection persons;
    engine::ProtocolSource source;
    engine::SummaryRows summary;
    RecordingProgress progress;
};

} // namespace protocoltest
