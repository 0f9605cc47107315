#pragma once

#include <QString>
#include <QStringList>

namespace run {

// The key of a node of the organisation tree: the organisation's key ("org" INN "/" KPP) and, for
// a department or subdepartment, the chain of department ids down to the node's own. The engine
// and the persons' collection take it as one text, "org…|dep<id>|dep<id>"; the settings keep
// the node's tick under the part after the last "|".
class NodeKey final
{
public:
    NodeKey() = default;
    static NodeKey organisation(const QString& inn, const QString& kpp);
    // The key of a department directly below this node.
    NodeKey department(const QString& departmentId) const;
    // Reads a key as the engine takes it; a text that does not start with "org" gives an empty key.
    static NodeKey parse(const QString& text);

    bool isEmpty() const { return m_organisation.isEmpty(); }
    bool isOrganisation() const { return m_departments.isEmpty(); }
    const QString& organisationKey() const { return m_organisation; }
    // The node's own department; empty for an organisation.
    QString departmentId() const;
    // The node this one hangs below; an organisation's parent is empty.
    NodeKey parent() const;
    // Whether this node is the other one or lies below it.
    bool isWithin(const NodeKey& other) const;
    // The whole key.
    QString text() const;
    // The name under which the settings keep the node's tick.
    QString storedName() const;

    bool operator==(const NodeKey& other) const = default;

private:
    QString m_organisation;
    QStringList m_departments;
};

} // namespace run
