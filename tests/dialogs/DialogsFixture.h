#pragma once

#include <functional>
#include <ostream>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include "core/mFetchlingOptions.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "support/QtPrinters.h"
#include "support/Screenshot.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

class QWidget;

namespace dialogstest {

// The present moment of the dialog tests.
QDateTime now();

// A settings store, the emulated client library, a virtual clock at now() and scripted boxes:
// everything a dialog is built from.
struct DialogsFixture
{
    DialogsFixture();

    // Writes a sandbox of certificates into the fixture's folder and points the stored server
    // address at it.
    void writeCertificateSandbox(const QJsonArray& certificates);
    QString sandboxFolder() const { return m_sandbox.path(); }

    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    platform::diadoc::SandboxClientFactory factory;
    diadoc::mDiadoc diadoc{factory, options};
    testsupport::VirtualClock clock{now()};
    testsupport::ScriptedUiServices ui;

private:
    QTemporaryDir m_sandbox;
};

// Runs step inside the modal loop that the next Execute starts.
void whenShown(std::function<void()> step);

} // namespace dialogstest
