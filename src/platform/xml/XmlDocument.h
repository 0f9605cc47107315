#pragma once

#include <memory>

#include <QByteArrayView>
#include <QString>

#include "XmlNode.h"

namespace pugi {
class xml_document;
}

namespace platform::xml {

// Reads a small XML file (a power of attorney and the like) for namespace-blind XPath queries.
// Input in windows-1251 is converted to UTF-8 first; every element loses its namespace prefix
// once parsed, so names match by local name whatever namespace the sender used. Entities other
// than the predefined ones and character references are never expanded, and nothing outside the
// file is ever read.
class XmlDocument final
{
public:
    // Files larger than this are refused unread: the documents read here are a few kilobytes.
    static constexpr qint64 kMaxFileSize = qint64{4} * 1024 * 1024;

    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Loads the file; false with parseError() set when it cannot be read or is not well-formed
    // XML. A failed load leaves the document empty.
    bool load(const QString& path);
    // The same for XML held in memory.
    bool loadBytes(QByteArrayView bytes);
    // Why the last load failed; empty after a successful load.
    const QString& parseError() const { return m_parseError; }

    // The root element, or a null node when nothing is loaded.
    XmlNode documentElement() const;
    // The first node that the XPath selects with the document as context, or a null node.
    XmlNode selectSingleNode(const QString& xpath) const;

private:
    bool fail(QString reason);

    std::unique_ptr<pugi::xml_document> m_document;
    QString m_parseError;
};

} // namespace platform::xml
