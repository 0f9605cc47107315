#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/ListenerList.h"

namespace {

struct Listener
{
    virtual ~Listener() = default;
    virtual void OnEvent(std::vector<std::string>& heard) = 0;
    virtual void OnCancel(bool& cancel) { static_cast<void>(cancel); }
};

using Listeners = core::ListenerList<Listener>;

// Notes its name when it hears an event, and may act then.
struct Named final : Listener
{
    explicit Named(std::string aName)
        : name(std::move(aName))
    {
    }
    void OnEvent(std::vector<std::string>& heard) override
    {
        heard.push_back(name);
        if (act)
            act();
    }
    void OnCancel(bool& cancel) override
    {
        seenCancel.push_back(cancel);
        cancel = answer;
    }
    std::string name;
    std::function<void()> act;
    bool answer = false;
    std::vector<bool> seenCancel;
};

TEST(ListenerListTest, EventsGoToTheListenersInAttachOrderAndEachAttachesOnce)
{
    Listeners list;
    Named a("a"), b("b"), c("c");
    list.attach(&b);
    const auto held = list.attachScoped(a);
    list.attach(&c);
    list.attach(&b);
    list.attach(nullptr);
    std::vector<std::string> heard;
    list.raise(&Listener::OnEvent, heard);
    EXPECT_EQ(heard, (std::vector<std::string>{"b", "a", "c"}));
}

TEST(ListenerListTest, ACancelFlagStartsFalseAndTheLastAnswerCounts)
{
    Listeners list;
    Named a("a"), b("b");
    list.attach(&a);
    list.attach(&b);
    a.answer = true;
    EXPECT_FALSE(list.raiseCancel(&Listener::OnCancel)) << "b answered false after a's true";
    EXPECT_EQ(b.seenCancel, std::vector<bool>{true});
    b.answer = true;
    EXPECT_TRUE(list.raiseCancel(&Listener::OnCancel));
    EXPECT_EQ(a.seenCancel, (std::vector<bool>{false, false}));
}

// A listener that goes while an event is raised is not called after it went; the others still hear
// the event, and one attached meanwhile hears the next.
TEST(ListenerListTest, AListenerDetachedDuringAnEventIsNotCalledAfterwards)
{
    Listeners list;
    auto doomed = std::make_unique<Named>("doomed");
    Named first("first"), last("last"), late("late");
    list.attach(&first);
    auto doomedAttachment = std::make_unique<Listeners::Attachment>(list.attachScoped(*doomed));
    list.attach(&last);
    first.act = [&] {
        doomedAttachment.reset();
        doomed.reset();
        list.attach(&late);
    };
    std::vector<std::string> heard;
    list.raise(&Listener::OnEvent, heard);
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "last"}));
    first.act = {};
    heard.clear();
    list.raise(&Listener::OnEvent, heard);
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "last", "late"}));
}

// The source and the listener may go in either order (run under the sanitizers, this shows that
// nothing touches what went first).
TEST(ListenerListTest, AnAttachmentLetsGoWhicheverGoesFirst)
{
    {
        auto list = std::make_unique<Listeners>();
        auto listener = std::make_unique<Named>("x");
        int gone = 0;
        auto attachment = list->attachScoped(*listener, [&] { ++gone; });
        EXPECT_TRUE(attachment.isAttached());
        list.reset();
        EXPECT_EQ(gone, 1) << "the listener learns that the source went";
        EXPECT_FALSE(attachment.isAttached());
        attachment.release();
        listener.reset();
    }
    {
        auto list = std::make_unique<Listeners>();
        auto listener = std::make_unique<Named>("x");
        int gone = 0;
        {
            const auto attachment = list->attachScoped(*listener, [&] { ++gone; });
        }
        listener.reset();
        EXPECT_TRUE(list->isEmpty());
        std::vector<std::string> heard;
        list->raise(&Listener::OnEvent, heard);
        EXPECT_TRUE(heard.empty());
        list.reset();
        EXPECT_EQ(gone, 0) << "nobody is told of a source that a released attachment no longer holds";
    }
}

TEST(ListenerListTest, AMovedAttachmentKeepsTheListenerAndTheEmptyOneHoldsNothing)
{
    Listeners list;
    Named a("a");
    Listeners::Attachment kept;
    {
        auto made = list.attachScoped(a);
        kept = std::move(made);
    }
    EXPECT_TRUE(kept.isAttached());
    std::vector<std::string> heard;
    list.raise(&Listener::OnEvent, heard);
    EXPECT_EQ(heard, std::vector<std::string>{"a"});
    kept = Listeners::Attachment();
    EXPECT_TRUE(list.isEmpty());
}

} // namespace
