#include "XmlNode.h"

#include <pugixml.hpp>

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace platform::xml {

namespace {

// Automation's "invalid procedure call or argument", the number a refused query gives.
constexpr int kInvalidArgumentNumber = 5;

} // namespace

QString XmlNode::name() const
{
    return QString::fromUtf8(pugi::xml_node(m_node).name());
}

std::optional<QString> XmlNode::getAttribute(const QString& attributeName) const
{
    const pugi::xml_attribute attribute = pugi::xml_node(m_node).attribute(attributeName.toUtf8().constData());
    if (!attribute)
        return std::nullopt;
    return QString::fromUtf8(attribute.value());
}

XmlNode XmlNode::selectSingleNode(const QString& xpath) const
{
    if (m_node == nullptr)
        return {};
    try {
        const pugi::xpath_query query(xpath.toUtf8().constData());
        const pugi::xpath_node found = query.evaluate_node(pugi::xml_node(m_node));
        // An attribute is read with getAttribute, so a query that ends on one finds no node.
        return XmlNode(found.node().internal_object());
    } catch (const pugi::xpath_exception& e) {
        throw core::Error(kInvalidArgumentNumber,
                          u"Ошибка в выражении XPath \""_s + xpath + u"\": "_s + QString::fromUtf8(e.what()),
                          u"XmlDocument"_s);
    }
}

} // namespace platform::xml
