#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace core {

// The listeners of one source of events (a queue, the engine). Events are synchronous calls on the
// one thread, in the order the listeners were attached; the list owns none of them.
//
// A listener attached through an Attachment is detached when the attachment goes, and an attachment
// that outlives the list does nothing: the source and the listener may go in either order. A
// listener attached by pointer must be detached before it goes.
//
// The listeners attached when an event is raised hear it in turn; one that is detached before its
// turn (by itself, by another or because it went) does not.
template <typename Listener> class ListenerList final
{
    struct Entry
    {
        Listener* listener = nullptr;
        std::function<void()> whenGone;
    };
    using Entries = std::vector<Entry>;

public:
    // Keeps a listener attached for as long as it lives; movable, never copied.
    class Attachment final
    {
    public:
        Attachment() = default;
        ~Attachment() { release(); }
        Attachment(Attachment&& other) noexcept
            : m_entries(std::move(other.m_entries))
            , m_listener(std::exchange(other.m_listener, nullptr))
        {
        }
        Attachment& operator=(Attachment&& other) noexcept
        {
            if (this != &other) {
                release();
                m_entries = std::move(other.m_entries);
                m_listener = std::exchange(other.m_listener, nullptr);
            }
            return *this;
        }
        Attachment(const Attachment&) = delete;
        Attachment& operator=(const Attachment&) = delete;

        // Detaches now; nothing when the list is gone already.
        void release()
        {
            if (const auto entries = m_entries.lock())
                erase(*entries, m_listener);
            m_entries.reset();
            m_listener = nullptr;
        }
        // True while the list lives and holds the listener.
        bool isAttached() const
        {
            const auto entries = m_entries.lock();
            return entries && find(*entries, m_listener) != entries->cend();
        }

    private:
        friend class ListenerList;
        Attachment(const std::shared_ptr<Entries>& entries, Listener* listener)
            : m_entries(entries)
            , m_listener(listener)
        {
        }

        std::weak_ptr<Entries> m_entries;
        Listener* m_listener = nullptr;
    };

    ListenerList() = default;
    // The attachments still held learn that the list is gone; each whenGone runs once.
    ~ListenerList()
    {
        Entries left = std::move(*m_entries);
        m_entries.reset();
        for (Entry& entry : left) {
            if (entry.whenGone)
                entry.whenGone();
        }
    }
    ListenerList(const ListenerList&) = delete;
    ListenerList& operator=(const ListenerList&) = delete;

    // A listener is attached once; attaching it again changes nothing.
    void attach(Listener* listener)
    {
        if (listener != nullptr && find(*m_entries, listener) == m_entries->cend())
            m_entries->push_back({listener, {}});
    }
    void detach(Listener* listener) { erase(*m_entries, listener); }

    // Attaches for as long as the answer lives. Should the list go first (its source is destroyed),
    // whenGone runs from the list's destructor: it must neither throw nor reach back into the source.
    [[nodiscard]] Attachment attachScoped(Listener& listener, std::function<void()> whenGone = {})
    {
        erase(*m_entries, &listener);
        m_entries->push_back({&listener, std::move(whenGone)});
        return Attachment(m_entries, &listener);
    }

    bool isEmpty() const { return m_entries->empty(); }

    // Calls the method on each listener with the same arguments; a reference argument (a cancel
    // flag, a reason) carries each listener's answer on to the next.
    template <typename Method, typename... Args> void raise(Method method, Args&&... args) const
    {
        const auto entries = m_entries;
        std::vector<Listener*> order;
        order.reserve(entries->size());
        for (const Entry& entry : *entries)
            order.push_back(entry.listener);
        for (Listener* listener : order) {
            if (find(*entries, listener) != entries->cend())
                (listener->*method)(args...);
        }
    }

    // An event that carries a cancel flag: it starts False, each listener may change it, and the
    // last answer counts.
    template <typename Method> bool raiseCancel(Method method) const
    {
        bool cancel = false;
        raise(method, cancel);
        return cancel;
    }

private:
    static typename Entries::const_iterator find(const Entries& entries, const Listener* listener)
    {
        return std::find_if(entries.cbegin(), entries.cend(),
                            [listener](const Entry& entry) { return entry.listener == listener; });
    }
    static void erase(Entries& entries, const Listener* listener)
    {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [listener](const Entry& entry) { return entry.listener == listener; }),
                      entries.end());
    }

    // Shared with the attachments, which hold it weakly: they see when the list is gone.
    std::shared_ptr<Entries> m_entries = std::make_shared<Entries>();
};

} // namespace core
