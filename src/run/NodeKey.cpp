#include "NodeKey.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {
const QString kDepartmentMark = u"|dep"_s;
}

NodeKey NodeKey::organisation(const QString& inn, const QString& kpp)
{
    NodeKey key;
    key.m_organisation = u"org"_s + inn + u'/' + kpp;
    return key;
}

NodeKey NodeKey::department(const QString& departmentId) const
{
    NodeKey key = *this;
    key.m_departments.append(departmentId);
    return key;
}

NodeKey NodeKey::parse(const QString& text)
{
    NodeKey key;
    if (!text.startsWith(u"org"_s))
        return key;
    QStringList parts = text.split(kDepartmentMark);
    key.m_organisation = parts.takeFirst();
    key.m_departments = parts;
    return key;
}

QString NodeKey::departmentId() const
{
    return m_departments.isEmpty() ? QString() : m_departments.constLast();
}

NodeKey NodeKey::parent() const
{
    if (isOrganisation())
        return {};
    NodeKey key = *this;
    key.m_departments.removeLast();
    return key;
}

bool NodeKey::isWithin(const NodeKey& other) const
{
    if (m_organisation != other.m_organisation || m_departments.size() < other.m_departments.size())
        return false;
    return m_departments.mid(0, other.m_departments.size()) == other.m_departments;
}

QString NodeKey::text() const
{
    QString key = m_organisation;
    for (const QString& id : m_departments)
        key += kDepartmentMark + id;
    return key;
}

QString NodeKey::storedName() const
{
    return isOrganisation() ? m_organisation : u"dep"_s + m_departments.constLast();
}

} // namespace run
