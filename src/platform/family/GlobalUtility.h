#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace platform::registry {
class Registry;
}

namespace platform::family {

// The family's global utility object: registry access below the user's hive, text search and
// tokens, the quarter of a date, character removal and the reversible transform of stored
// credentials. Key paths are relative; this object picks the hive.
class GlobalUtility final
{
public:
    explicit GlobalUtility(registry::Registry& registry);

    // 1-based position of phrase in text, 0 when it does not occur (exact comparison).
    int TextPosition(const QString& phrase, const QString& text) const;
    // The index-th piece (from 1) of text split at separator; empty when there is none.
    QString GetToken(const QString& text, const QString& separator, int index) const;

    // Stores a text as a string value and a whole number (or a number rounded to one) as a
    // 32-bit value; any other kind of value is refused.
    void RegistrySetValue(const QString& keyPath, const QString& name, const QVariant& value);
    int RegistryGetLong(const QString& keyPath, const QString& name, int defaultValue) const;
    int RegistryGetLongVar(const QString& keyPath, const QString& name, const QVariant& defaultValue) const;
    QString RegistryGetString(const QString& keyPath, const QString& name, const QVariant& defaultValue) const;
    // A batch of writes below the user's hive that reach the store together (Registry::beginBatch).
    void RegistryBeginBatch();
    void RegistryCommitBatch();
    void RegistryDiscardBatch() noexcept;

    bool FileExists(const QString& path) const;
    int QuarterOfDate(const QDate& date) const;
    QString RemoveTrailingChar(const QString& path, const QString& character) const;
    QString RemoveChars(const QString& characters, QString text, int mode) const;
    // Mode 0 gives the stored form, mode 1 the plain form back; an empty text stays empty, and a
    // stored form that does not decode gives the empty text.
    QString TransformCredential(const QString& text, int mode) const;

private:
    registry::Registry& m_registry;
};

} // namespace platform::family
