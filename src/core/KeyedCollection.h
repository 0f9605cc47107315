#pragma once

#include <utility>
#include <vector>

#include <QHash>
#include <QString>

#include "base/Error.h"

namespace core {

// An ordered collection whose items may carry a text key. Keys compare without regard to case and
// a key can be added only once; positions count from 1. Lookups that fail raise the errors that
// callers of such collections expect.
template <typename T> class KeyedCollection final
{
public:
    static constexpr int kDuplicateKeyNumber = 457;
    static constexpr int kInvalidArgumentNumber = 5;
    static constexpr int kSubscriptNumber = 9;

    int Count() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }

    void Add(T item, const QString& key = {})
    {
        if (!key.isEmpty()) {
            const QString folded = key.toCaseFolded();
            if (m_positionOf.contains(folded))
                throw Error(kDuplicateKeyNumber,
                            QStringLiteral("This key is already associated with an element of this collection"));
            m_positionOf.insert(folded, m_items.size());
        }
        m_items.push_back({key, std::move(item)});
    }

    bool Contains(const QString& key) const { return !key.isEmpty() && m_positionOf.contains(key.toCaseFolded()); }

    const T& Item(const QString& key) const { return m_items[indexOfKey(key)].value; }
    T& Item(const QString& key) { return m_items[indexOfKey(key)].value; }
    // Position counted from 1.
    const T& Item(int position) const { return m_items[indexOfPosition(position)].value; }
    T& Item(int position) { return m_items[indexOfPosition(position)].value; }

    const T* find(const QString& key) const
    {
        if (key.isEmpty())
            return nullptr;
        const auto found = m_positionOf.constFind(key.toCaseFolded());
        return found == m_positionOf.cend() ? nullptr : &m_items[*found].value;
    }

    QString KeyAt(int position) const { return m_items[indexOfPosition(position)].key; }

    void Remove(const QString& key) { removeAt(indexOfKey(key)); }
    void Remove(int position) { removeAt(indexOfPosition(position)); }

    auto begin() const { return Iterator{m_items.cbegin()}; }
    auto end() const { return Iterator{m_items.cend()}; }

private:
    struct Entry
    {
        QString key;
        T value;
    };

    struct Iterator
    {
        typename std::vector<Entry>::const_iterator it;
        const T& operator*() const { return it->value; }
        Iterator& operator++()
        {
            ++it;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return it != other.it; }
    };

    std::size_t indexOfKey(const QString& key) const
    {
        const auto found = m_positionOf.constFind(key.toCaseFolded());
        if (key.isEmpty() || found == m_positionOf.cend())
            throw Error(kInvalidArgumentNumber, QStringLiteral("Invalid procedure call or argument"));
        return *found;
    }

    std::size_t indexOfPosition(int position) const
    {
        if (position < 1 || position > Count())
            throw Error(kSubscriptNumber, QStringLiteral("Subscript out of range"));
        return static_cast<std::size_t>(position - 1);
    }

    void removeAt(std::size_t index)
    {
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
        m_positionOf.clear();
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (!m_items[i].key.isEmpty())
                m_positionOf.insert(m_items[i].key.toCaseFolded(), i);
        }
    }

    std::vector<Entry> m_items;
    QHash<QString, std::size_t> m_positionOf;
};

} // namespace core
