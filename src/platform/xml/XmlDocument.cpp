#include "XmlDocument.h"

#include <cstring>
#include <string>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <pugixml.hpp>

#include "base/TextCodec.h"

using namespace Qt::StringLiterals;

namespace platform::xml {

namespace {

enum class Encoding
{
    Utf8,
    Cp1251,
    Latin1,
    Detect, // a byte-order mark or UTF-16/32 layout that pugixml recognises by itself
    Unsupported,
};

struct Declared
{
    Encoding encoding = Encoding::Utf8;
    QString name;
};

// The encoding the bytes declare. Only the first bytes are looked at: the declaration must
// stand at the very start of the file.
Declared declaredEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {Encoding::Utf8, u"utf-8"_s};
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || (bytes.size() >= 2 && bytes[0] == '\0')
        || (bytes.size() >= 2 && bytes[1] == '\0'))
        return {Encoding::Detect, u"utf-16"_s};

    static const QRegularExpression declaration(uR"(^\s*<\?xml\s[^>]*?\bencoding\s*=\s*["']([A-Za-z0-9._:-]*)["'])"_s);
    const QString head = QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 512)));
    const QRegularExpressionMatch match = declaration.match(head);
    if (!match.hasMatch())
        return {};
    const QString name = match.captured(1);
    const QString key = name.toLower();
    if (key == u"utf-8" || key == u"utf8" || key == u"us-ascii" || key == u"ascii")
        return {Encoding::Utf8, name};
    if (key == u"windows-1251" || key == u"cp1251" || key == u"x-cp1251" || key == u"win-1251")
        return {Encoding::Cp1251, name};
    if (key == u"iso-8859-1" || key == u"latin1" || key == u"latin-1")
        return {Encoding::Latin1, name};
    if (key.startsWith(u"utf-16") || key.startsWith(u"utf-32"))
        return {Encoding::Detect, name};
    return {Encoding::Unsupported, name};
}

QString describe(const pugi::xml_parse_result& result)
{
    return QString::fromUtf8(result.description()) + u" (позиция "_s + QString::number(result.offset) + u')';
}

// Every element keeps only its local name, so that queries need not know the sender's prefixes.
// A walk of the tree without recursion: a deeply nested hostile file cannot exhaust the stack.
void dropPrefixes(pugi::xml_node root)
{
    pugi::xml_node node = root;
    while (node) {
        if (node.type() == pugi::node_element) {
            const char* name = node.name();
            // Copied first: the name lives in the buffer that set_name writes to.
            if (const char* colon = std::strrchr(name, ':'))
                node.set_name(std::string(colon + 1).c_str());
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling())
            node = node.parent();
        if (!node || node == root)
            break;
        node = node.next_sibling();
    }
}

} // namespace

XmlDocument::XmlDocument()
    : m_document(std::make_unique<pugi::xml_document>())
{
}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::fail(QString reason)
{
    m_document->reset();
    m_parseError = std::move(reason);
    return false;
}

bool XmlDocument::load(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return fail(u"Файл не найден: "_s + path);
    // Only a regular file: reading a pipe or a device could wait for ever.
    if (!info.isFile())
        return fail(u"Не файл: "_s + path);
    if (info.size() > kMaxFileSize)
        return fail(u"Файл слишком велик для XML: "_s + path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(u"Не удалось открыть файл "_s + path + u": "_s + file.errorString());
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return fail(u"Файл слишком велик для XML: "_s + path);
    return loadBytes(bytes);
}

bool XmlDocument::loadBytes(QByteArrayView bytes)
{
    m_document->reset();
    m_parseError.clear();
    if (bytes.size() > kMaxFileSize)
        return fail(u"XML слишком велик"_s);

    const Declared declared = declaredEncoding(bytes);
    QByteArray utf8;
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    switch (declared.encoding) {
    case Encoding::Utf8:
        utf8 = bytes.toByteArray();
        break;
    case Encoding::Cp1251:
        // Converted here, for pugixml knows no windows-1251 and would take its bytes for UTF-8.
        utf8 = core::TextCodec::fromCp1251(bytes).toUtf8();
        break;
    case Encoding::Latin1:
        utf8 = bytes.toByteArray();
        encoding = pugi::encoding_latin1;
        break;
    case Encoding::Detect:
        utf8 = bytes.toByteArray();
        encoding = pugi::encoding_auto;
        break;
    case Encoding::Unsupported:
        return fail(u"Неподдерживаемая кодировка XML: "_s + declared.name);
    }
    // pugixml takes a zero byte for the end of the text; in an 8-bit file it is never legal XML.
    if (encoding != pugi::encoding_auto && utf8.contains('\0'))
        return fail(u"XML содержит нулевой байт"_s);

    const pugi::xml_parse_result result =
        m_document->load_buffer(utf8.constData(), static_cast<size_t>(utf8.size()), pugi::parse_default, encoding);
    if (!result)
        return fail(describe(result));

    int roots = 0;
    for (const pugi::xml_node child : m_document->children()) {
        if (child.type() == pugi::node_element)
            ++roots;
    }
    if (roots != 1)
        return fail(roots == 0 ? u"В XML нет корневого элемента"_s : u"В XML больше одного корневого элемента"_s);

    dropPrefixes(*m_document);
    return true;
}

XmlNode XmlDocument::documentElement() const
{
    return XmlNode(m_document->document_element().internal_object());
}

XmlNode XmlDocument::selectSingleNode(const QString& xpath) const
{
    return XmlNode(m_document->internal_object()).selectSingleNode(xpath);
}

} // namespace platform::xml
