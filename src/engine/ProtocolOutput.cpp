#include "ProtocolOutput.h"

#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/TextCodec.h"
#include "core/FileFailure.h"

using namespace Qt::StringLiterals;

namespace engine {

namespace {

[[noreturn]] void raiseDeviceFailure(const QIODevice& device)
{
    const QString message = core::FileFailure::messageOfDevice(device);
    int number = core::failure::kPathFileAccessNumber;
    if (message == QStringView(core::failure::kDiskFull))
        number = core::failure::kDiskFullNumber;
    else if (message == u"Permission denied"_s)
        number = core::failure::kPermissionDeniedNumber;
    throw core::Error(number, message);
}

} // namespace

ProtocolOutput::ProtocolOutput(QIODevice& device, Missing missing)
    : m_device(device)
    , m_missing(missing)
{
}

void ProtocolOutput::open(QIODevice& device)
{
    if (device.isOpen())
        return;
    if (!device.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raiseDeviceFailure(device);
}

void ProtocolOutput::write(QStringView text)
{
    const QByteArray bytes = m_missing == Missing::References ? core::TextCodec::toCp1251WithReferences(text)
                                                              : core::TextCodec::toCp1251(text);
    // A device may take the bytes in parts; only a refusal is a failure.
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 n = m_device.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            fail();
        written += n;
        m_bytesWritten += n;
    }
}

void ProtocolOutput::finish()
{
    if (auto* file = qobject_cast<QFileDevice*>(&m_device); file != nullptr && !file->flush())
        fail();
}

void ProtocolOutput::fail() const
{
    raiseDeviceFailure(m_device);
}

} // namespace engine
