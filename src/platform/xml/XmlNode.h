#pragma once

#include <optional>

#include <QString>

namespace pugi {
struct xml_node_struct;
}

namespace platform::xml {

// A node of a loaded XmlDocument: a light handle that is valid while its document lives. A null
// node stands for what an XPath did not find (Nothing).
class XmlNode final
{
public:
    XmlNode() = default;

    bool isNull() const { return m_node == nullptr; }
    // The element's name without any namespace prefix.
    QString name() const;
    // The attribute's value, or no value (a null answer) when the element has no such attribute.
    // Attribute names compare exactly.
    std::optional<QString> getAttribute(const QString& attributeName) const;
    // The first node that the XPath selects with this node as context, or a null node. Element
    // names of the document are local names, so plain name tests and *[local-name()='X'] both
    // ignore namespaces. An XPath that does not compile raises core::Error.
    XmlNode selectSingleNode(const QString& xpath) const;

private:
    friend class XmlDocument;
    explicit XmlNode(pugi::xml_node_struct* node)
        : m_node(node)
    {
    }

    pugi::xml_node_struct* m_node = nullptr;
};

} // namespace platform::xml
