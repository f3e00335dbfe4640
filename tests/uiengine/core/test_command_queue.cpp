#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {

class PlainElement : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
};

TEST(CommandRecord, ConstructorsLeaveResultHandledElapsedAtDefaults)
{
    PlainElement e;
    TPDAUIEngineCommand empty;
    EXPECT_EQ(empty.target, nullptr);
    EXPECT_TRUE(empty.name.IsEmpty());
    EXPECT_EQ(empty.value1, 0);
    EXPECT_EQ(empty.value2, 0);
    EXPECT_EQ(empty.data, 0);

    TPDAUIEngineCommand named(&e, "go");
    TPDAUIEngineCommand point(&e, "tap", 3, 4);
    TPDAUIEngineCommand withData(&e, "obj", (intptr_t)0x1234);
    for (const TPDAUIEngineCommand* c : {&empty, &named, &point, &withData}) {
        EXPECT_EQ(c->result, 0);
        EXPECT_EQ(c->handled, 1);
        EXPECT_EQ(c->elapsed, 0);
    }
    EXPECT_EQ(named.target, &e);
    EXPECT_EQ(named.name, "go");
    EXPECT_EQ(point.value1, 3);
    EXPECT_EQ(point.value2, 4);
    EXPECT_EQ(withData.data, (intptr_t)0x1234);
}

TEST(CommandRecord, CopyAssignmentCopiesEveryFieldAndOwnsItsName)
{
    PlainElement e;
    TPDAUIEngineCommand a(&e, "first", 1, 2);
    a.data = 7;
    a.result = 1;
    a.handled = 0;
    a.elapsed = 99;
    TPDAUIEngineCommand b;
    b = a;
    a.name = "changed";
    EXPECT_EQ(b.target, &e);
    EXPECT_EQ(b.name, "first");
    EXPECT_EQ(b.value1, 1);
    EXPECT_EQ(b.value2, 2);
    EXPECT_EQ(b.data, 7);
    EXPECT_EQ(b.result, 1);
    EXPECT_EQ(b.handled, 0);
    EXPECT_EQ(b.elapsed, 99);
}

TEST(CommandRecord, ElementCommandNameRoundTrip)
{
    EXPECT_EQ(TPDAUIEngineCommand::MakeElementCommandName(1005, "refresh"),
              "PDAUIEngineElement:1005:refresh");

    struct Case {
        const char* name;
        bool recognised;
        int id;
        const char* command;
    } cases[] = {
        {"PDAUIEngineElement:42:select", true, 42, "select"},
        {"PDAUIEngineElement:42:a:b", true, 42, "a:b"},     // only the second ':' cuts
        {"PDAUIEngineElement:42", true, 42, ""},            // no command part
        {"PDAUIEngineElement:42:", true, 42, ""},
        {"PDAUIEngineElement:x:y", true, 0, "y"},           // no digits read as 0
        {"PDAUIEngineElement:-7:neg", true, -7, "neg"},
        {"pdauiengineelement:42:select", false, 0, ""},     // prefix is case-sensitive
        {"select", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        int id = 0;
        DString command("unchanged");
        bool ok = TPDAUIEngineCommand::ParseElementCommand(c.name, &id, &command);
        EXPECT_EQ(ok, c.recognised) << c.name;
        if (ok) {
            EXPECT_EQ(id, c.id) << c.name;
            EXPECT_EQ(command, c.command) << c.name;
        }
    }
    EXPECT_FALSE(TPDAUIEngineCommand::ParseElementCommand(nullptr, nullptr, nullptr));
}

TEST(CommandRecord, DownloadCompletionNeedsFiveParts)
{
    const char* p = "PDAUIEngineDownloadManager.GetBitmapAsyncEndInUIThread";
    struct Case {
        DString name;
        bool ok;
        int id;
        bool okFlag;
        const char* file;
        const char* mime;
        bool flag;
    } cases[] = {
        {DString(p) << "(12,1,/tmp/tempuiedm1,image/png,0)", true, 12, true, "/tmp/tempuiedm1", "image/png", false},
        {DString(p) << "(3,0,f,image/jpeg,1)", true, 3, false, "f", "image/jpeg", true},
        // An empty MIME type is a part of its own; the flag stays in its place.
        {DString(p) << "(3,1,f,,1)", true, 3, true, "f", "", true},
        {DString(p) << "(3,1,f,image/png,1,extra)", true, 3, true, "f", "image/png", true},
        {DString(p) << "(3,1,f,image/png)", false, 0, false, "", "", false},
        {DString(p) << "()", false, 0, false, "", "", false},
        {DString(p), false, 0, false, "", "", false},
        // Only "1" is true.
        {DString(p) << "(3,true,f,m,yes)", true, 3, false, "f", "m", false},
        {DString("Other(1,1,f,m,1)"), false, 0, false, "", "", false},
    };
    for (const Case& c : cases) {
        TPDAUIEngineCommand::TDownloadCompletion out;
        bool ok = TPDAUIEngineCommand::ParseDownloadCompletion(c.name.c_str(), &out);
        EXPECT_EQ(ok, c.ok) << c.name.c_str();
        if (ok) {
            EXPECT_EQ(out.requestId, c.id) << c.name.c_str();
            EXPECT_EQ(out.ok, c.okFlag) << c.name.c_str();
            EXPECT_EQ(out.file, c.file) << c.name.c_str();
            EXPECT_EQ(out.mimeType, c.mime) << c.name.c_str();
            EXPECT_EQ(out.flag, c.flag) << c.name.c_str();
        }
    }
}

TEST(CommandQueue, PopsOldestFirstAndLeavesResultAndHandledAlone)
{
    TPDAUIEngineCommandQueue queue;
    PlainElement e;
    TPDAUIEngineCommand out;
    EXPECT_FALSE(queue.Pop(out));
    for (int i = 0; i < 25; ++i) { // past the first growth steps
        TPDAUIEngineCommand c(i % 2 ? &e : nullptr, "n", i, -i);
        c.name << i;
        c.data = i * 10;
        c.elapsed = i + 1;
        // The posted record's own answer fields do not travel.
        c.result = 1;
        c.handled = 0;
        EXPECT_EQ(queue.Post(c), 1);
    }
    EXPECT_EQ(queue.Count(), 25);

    // The working record keeps whatever result and handled it holds, so a drain
    // hands them from one command to the next.
    for (int i = 0; i < 25; ++i) {
        const unsigned char result = (unsigned char)(i % 3 == 0);
        const unsigned char handled = (unsigned char)(i % 2);
        out.result = result;
        out.handled = handled;
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.target, i % 2 ? &e : nullptr);
        EXPECT_EQ(out.name, (DString("n") << i));
        EXPECT_EQ(out.value1, i);
        EXPECT_EQ(out.value2, -i);
        EXPECT_EQ(out.data, i * 10);
        EXPECT_EQ(out.elapsed, i + 1);
        EXPECT_EQ(out.result, result);
        EXPECT_EQ(out.handled, handled);
    }
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_TRUE(queue.IsEmpty());
}

// Posts and pops interleaved so the oldest record sits anywhere in the queue's
// storage when it grows, is purged or is cleared: order and contents survive.
TEST(CommandQueue, OrderSurvivesGrowthAndPurgesFromAnyStartingPoint)
{
    for (int offset = 0; offset < 23; ++offset) {
        SCOPED_TRACE(offset);
        TPDAUIEngineCommandQueue queue;
        PlainElement doomed;
        TPDAUIEngineCommand out;
        int next = 0, posted = 0;
        // Move the oldest record along the storage first.
        for (int i = 0; i < offset; ++i) {
            queue.Post(TPDAUIEngineCommand(nullptr, "x", posted++, 0));
            ASSERT_TRUE(queue.Pop(out));
            ASSERT_EQ(out.value1, next++);
        }
        // Then enough to grow past several sizes, every third aimed at doomed.
        std::vector<int> expected;
        for (int i = 0; i < 70; ++i) {
            const bool purged = i % 3 == 1;
            queue.Post(TPDAUIEngineCommand(purged ? &doomed : nullptr, "x", posted, 0));
            if (!purged)
                expected.push_back(posted);
            ++posted;
        }
        EXPECT_EQ(queue.PurgeTarget(&doomed), 70 / 3);
        ASSERT_EQ(queue.Count(), (int)expected.size());
        for (int value : expected) {
            ASSERT_TRUE(queue.Pop(out));
            EXPECT_EQ(out.value1, value);
            EXPECT_EQ(out.target, nullptr);
        }
        EXPECT_FALSE(queue.Pop(out));
        // Still usable after draining.
        queue.Post(TPDAUIEngineCommand(nullptr, "again"));
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.name, "again");
    }
}

// Names long and short, one after the other through the same slots: each
// arrives whole, whatever the slot held before.
TEST(CommandQueue, NamesOfAnyLengthArriveWhole)
{
    TPDAUIEngineCommandQueue queue;
    const std::string lengths[] = {std::string(1000, 'a'), "", "short", std::string(300, 'b'),
                                   std::string(20, 'c'), std::string(5000, 'd'), "e"};
    TPDAUIEngineCommand out;
    for (int round = 0; round < 30; ++round) {
        for (const std::string& name : lengths)
            queue.Post(TPDAUIEngineCommand(nullptr, name.c_str()));
        for (const std::string& name : lengths) {
            ASSERT_TRUE(queue.Pop(out));
            ASSERT_EQ(std::string(out.name.c_str(), (size_t)out.name.Length()), name);
        }
    }
}

TEST(CommandQueue, PostKeepsItsOwnCopy)
{
    TPDAUIEngineCommandQueue queue;
    TPDAUIEngineCommand c(nullptr, "before");
    queue.Post(c);
    c.name = "after";
    TPDAUIEngineCommand out;
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out.name, "before");
}

// Four threads post 10,000 commands each while the UI thread drains: nothing is
// lost and each thread's commands arrive in the order they were posted.
TEST(CommandQueue, ConcurrentPostersWhileDraining)
{
    const int kThreads = 4;
    const int kPerThread = 10000;
    TPDAUIEngineCommandQueue queue;
    std::atomic<int> started{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&queue, &started, t] {
            ++started;
            while (started.load() < kThreads) {
            }
            for (int i = 0; i < kPerThread; ++i) {
                TPDAUIEngineCommand c(nullptr, "post", i, 0);
                c.data = t;
                queue.Post(c);
            }
        });

    std::vector<int> next(kThreads, 0);
    int received = 0;
    TPDAUIEngineCommand work;
    bool ordered = true;
    while (received < kThreads * kPerThread) {
        if (!queue.Pop(work)) {
            std::this_thread::yield();
            continue;
        }
        int t = (int)work.data;
        if (t < 0 || t >= kThreads) {
            ordered = false;
            ++received;
            continue;
        }
        if (work.value1 != next[t])
            ordered = false;
        next[t] = work.value1 + 1;
        ++received;
    }
    for (std::thread& th : posters)
        th.join();
    EXPECT_TRUE(ordered);
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], kPerThread);
    EXPECT_FALSE(queue.Pop(work));
}

TEST(CommandQueue, DeletedTargetIsPurgedOthersKeepTheirOrder)
{
    TPDAUIEngineCommandQueue queue;
    auto doomed = std::make_unique<PlainElement>();
    PlainElement survivor;
    queue.Post(TPDAUIEngineCommand(&survivor, "a"));
    queue.Post(TPDAUIEngineCommand(doomed.get(), "x"));
    queue.Post(TPDAUIEngineCommand(nullptr, "b"));
    queue.Post(TPDAUIEngineCommand(doomed.get(), "y"));
    queue.Post(TPDAUIEngineCommand(&survivor, "c"));

    doomed.reset();
    EXPECT_EQ(queue.Count(), 3);
    TPDAUIEngineCommand out;
    const char* expected[] = {"a", "b", "c"};
    for (const char* name : expected) {
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.name, name);
    }
    EXPECT_FALSE(queue.Pop(out));
}

TEST(CommandQueue, PurgeReachesEveryLiveQueueAndSkipsDestroyedOnes)
{
    auto doomed = std::make_unique<PlainElement>();
    TPDAUIEngineCommandQueue first;
    {
        TPDAUIEngineCommandQueue gone;
        gone.Post(TPDAUIEngineCommand(doomed.get(), "lost with its queue"));
    }
    TPDAUIEngineCommandQueue second;
    first.Post(TPDAUIEngineCommand(doomed.get(), "1"));
    second.Post(TPDAUIEngineCommand(doomed.get(), "2"));
    second.Post(TPDAUIEngineCommand(nullptr, "kept"));
    doomed.reset(); // must not touch the destroyed queue
    EXPECT_EQ(first.Count(), 0);
    EXPECT_EQ(second.Count(), 1);
    EXPECT_EQ(TPDAUIEngineCommandQueue::PurgeTargetEverywhere(nullptr), 0);
}

// However another queue gives up its records (popped, cleared, purged or
// destroyed with them), a dying element's records in this one are still dropped.
TEST(CommandQueue, PurgeStillReachesAQueueAfterAnotherOneEmpties)
{
    enum Way { Popped, Cleared, Purged, Destroyed };
    for (Way way : {Popped, Cleared, Purged, Destroyed}) {
        PlainElement survivor;
        auto doomed = std::make_unique<PlainElement>();
        TPDAUIEngineCommandQueue holder;
        holder.Post(TPDAUIEngineCommand(doomed.get(), "x"));
        auto other = std::make_unique<TPDAUIEngineCommandQueue>();
        other->Post(TPDAUIEngineCommand(nullptr, "a"));
        other->Post(TPDAUIEngineCommand(&survivor, "b"));
        TPDAUIEngineCommand out;
        switch (way) {
        case Popped:
            while (other->Pop(out)) {
            }
            break;
        case Cleared:
            other->Clear();
            break;
        case Purged:
            EXPECT_EQ(other->PurgeTarget(&survivor), 1);
            EXPECT_TRUE(other->Pop(out));
            break;
        case Destroyed:
            other.reset();
            break;
        }
        holder.Post(TPDAUIEngineCommand(nullptr, "kept"));
        doomed.reset();
        EXPECT_EQ(holder.Count(), 1) << way;
        ASSERT_TRUE(holder.Pop(out)) << way;
        EXPECT_EQ(out.name, "kept") << way;
    }
}

// Many queues at once, made and dropped in any order: a dying element's records
// are purged from whichever of them holds one, however many came before it.
TEST(CommandQueue, PurgeReachesEveryQueueOfMany)
{
    for (int holderAt : {0, 1, 63, 64, 65, 99}) {
        std::vector<std::unique_ptr<TPDAUIEngineCommandQueue>> queues;
        for (int i = 0; i < 100; ++i)
            queues.push_back(std::make_unique<TPDAUIEngineCommandQueue>());
        // Dropping some and making new ones reuses what the dropped ones had.
        for (int i = 0; i < 100; i += 3)
            queues[(size_t)i].reset(new TPDAUIEngineCommandQueue());
        auto doomed = std::make_unique<PlainElement>();
        queues[(size_t)holderAt]->Post(TPDAUIEngineCommand(doomed.get(), "x"));
        queues[(size_t)holderAt]->Post(TPDAUIEngineCommand(nullptr, "kept"));
        doomed.reset();
        EXPECT_EQ(queues[(size_t)holderAt]->Count(), 1) << holderAt;
        TPDAUIEngineCommand out;
        ASSERT_TRUE(queues[(size_t)holderAt]->Pop(out)) << holderAt;
        EXPECT_EQ(out.name, "kept") << holderAt;
    }
}

// Elements dying on the UI thread purge the queue while other threads post: no
// deadlock, and every record that does not aim at a dying element arrives.
TEST(CommandQueue, PurgesRaceSafelyWithPosters)
{
    const int kThreads = 3;
    const int kPerThread = 5000;
    TPDAUIEngineCommandQueue queue;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&queue, t] {
            for (int i = 0; i < kPerThread; ++i) {
                TPDAUIEngineCommand c(nullptr, "keep", i, 0);
                c.data = t;
                queue.Post(c);
            }
        });
    int received = 0;
    TPDAUIEngineCommand work;
    for (int round = 0; received < kThreads * kPerThread; ++round) {
        {
            PlainElement transient;
            queue.Post(TPDAUIEngineCommand(&transient, "doomed"));
        }
        while (queue.Pop(work)) {
            EXPECT_EQ(work.name, "keep");
            ++received;
        }
        if (round > 10000000)
            break;
    }
    for (std::thread& th : posters)
        th.join();
    EXPECT_EQ(received, kThreads * kPerThread);
}

TEST(CommandQueue, ClearDeletesEverything)
{
    TPDAUIEngineCommandQueue queue;
    for (int i = 0; i < 12; ++i)
        queue.Post(TPDAUIEngineCommand(nullptr, "x"));
    queue.Clear();
    EXPECT_TRUE(queue.IsEmpty());
}

} // namespace
