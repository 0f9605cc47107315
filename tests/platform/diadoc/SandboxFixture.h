#pragma once

#include <memory>

#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include "platform/diadoc/SandboxClientFactory.h"

namespace testsupport {

// A small sandbox written into a temporary folder: two organisations (one with a department
// tree, one with an unpaid tariff), a handful of documents with content files, two accounts and
// two certificates; and a factory whose clock the test moves by hand.
class SandboxFixture
{
public:
    SandboxFixture();

    // The sandbox.json the fixture writes; tests may change it before calling write().
    QJsonObject json;
    void write();
    QString url() const;
    QString folder() const { return m_dir.path(); }

    qint64 nowMs = 0;
    platform::diadoc::SandboxClientFactory factory;

    static QString documentId(int n);

private:
    QTemporaryDir m_dir;
};

} // namespace testsupport
