#include "ProtocolOutput.h"

#include <QByteArray>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/TextCodec.h"
#include "core/FileFailure.h"

using namespace Qt::StringLiterals;

namespace engine {

namespace {

// The system's reason for a failed write of the device, "Path/File access error" when it gave none.
QString reasonOf(QIODevice& device)
{
    const QString message = core::FileFailure::messageOfDevice(device);
    // A file's buffer that the disk took only in part (its last free blocks) fails without a
    // reason of the system: the next write of the rest is refused with it ("No space left").
    if (auto* file = qobject_cast<QFileDevice*>(&device);
        file != nullptr && file->isOpen() && message == core::FileFailure::unnamedMessage() && !file->flush())
        return core::FileFailure::messageOfDevice(*file);
    return message;
}

[[noreturn]] void raiseDeviceFailure(QIODevice& device)
{
    const QString message = reasonOf(device);
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

std::unique_ptr<QFileDevice> ProtocolOutput::fileFor(const QString& fileName)
{
    // A device such as /dev/full cannot be replaced by a renamed file, nor should it be.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile())
        return std::make_unique<QFile>(fileName);
    return std::make_unique<QSaveFile>(fileName);
}

void ProtocolOutput::open(QIODevice& device)
{
    if (device.isOpen())
        return;
    if (!device.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raiseDeviceFailure(device);
}

void ProtocolOutput::complete(QIODevice& device)
{
    if (auto* file = qobject_cast<QSaveFile*>(&device); file != nullptr) {
        if (!file->commit())
            raiseDeviceFailure(*file);
        return;
    }
    device.close();
}

void ProtocolOutput::abandon(QIODevice& device)
{
    if (auto* file = qobject_cast<QSaveFile*>(&device); file != nullptr) {
        if (!file->isOpen())
            return;
        // A cancelled save file closes and removes its temporary file on the commit, which fails.
        file->cancelWriting();
        file->commit();
        return;
    }
    device.close();
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
