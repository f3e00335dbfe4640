#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"

namespace {

std::vector<int> g_codes;
std::vector<const void*> g_ptrChecks;

void RecordCode(int code)
{
    g_codes.push_back(code);
}

void RecordPtr(const void* p)
{
    g_ptrChecks.push_back(p);
}

// Records what the containers report for the length of a test.
class VectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_codes.clear();
        g_ptrChecks.clear();
        previous_ = Set_Error_Vectores_Handler(&RecordCode);
        previousPtr_ = Set_Verifica_Ptr_Handler(&RecordPtr);
    }
    void TearDown() override
    {
        Set_Error_Vectores_Handler(previous_);
        Set_Verifica_Ptr_Handler(previousPtr_);
    }
    TErrorVectoresHandler previous_ = nullptr;
    TVerificaPtrHandler previousPtr_ = nullptr;
};

// Counts live instances so ownership mistakes show up as wrong counts (and ASan
// reports double deletes).
struct Tracked {
    static int live;
    int value;
    explicit Tracked(int v = 0) : value(v) { ++live; }
    Tracked(const Tracked& o) : value(o.value) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }
    bool operator==(const Tracked& o) const { return value == o.value; }
    bool operator<(const Tracked& o) const { return value < o.value; }
};
int Tracked::live = 0;

// Ordered by key only; tag tells equal keys apart.
struct Keyed {
    int key;
    int tag;
    bool operator<(const Keyed& o) const { return key < o.key; }
};

template <class V>
std::vector<int> Values(const V& v)
{
    std::vector<int> out;
    for (int i = 0; i < v.Count(); ++i)
        out.push_back(v[i]);
    return out;
}

// Growth is geometric (at least the capacity again), the step being the least.
TEST_F(VectorTest, GrowsGeometricallyFromTheInitialCapacity)
{
    struct Case {
        int capacity, growth, items;
        int expectedCapacity;
    } cases[] = {
        {5, 5, 5, 5}, {5, 5, 6, 10}, {5, 5, 11, 20}, {25, 10, 26, 50}, {100, 10, 101, 200},
        {4, 4, 1000, 1024}, {10, 10, 100000, 163840},
        {5, 20, 6, 25},  // a step above the capacity is taken whole
        {4, 0, 5, 8},   // no step: doubles
        {0, 3, 1, 3},   // no initial room
        {0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        Vector<int> v(c.capacity, c.growth);
        EXPECT_EQ(v.Capacity(), c.capacity);
        for (int i = 0; i < c.items; ++i)
            v.Add(i);
        EXPECT_EQ(v.Count(), c.items);
        EXPECT_EQ(v.Capacity(), c.expectedCapacity) << c.capacity << "/" << c.growth << " x" << c.items;
        EXPECT_EQ(v[c.items - 1], c.items - 1);
    }
    EXPECT_TRUE(g_codes.empty());
}

TEST_F(VectorTest, ValueVectorInsertsRemovesAndFinds)
{
    Vector<int> v(2, 2);
    EXPECT_EQ(v.Add(10), 0);
    EXPECT_EQ(v.Add(30), 1);
    EXPECT_EQ(v.Insert(20, 1), 1);
    EXPECT_EQ(v.Insert(5, 0), 0);
    EXPECT_EQ(v.Insert(40, -1), 4);
    EXPECT_EQ(v.Insert(50, -7), 5); // any negative index appends
    EXPECT_EQ(v.Insert(60, v.Count()), 6);
    EXPECT_EQ(Values(v), (std::vector<int>{5, 10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(v.IndexOf(30), 3);
    EXPECT_EQ(v.IndexOf(30, 4), -1);
    EXPECT_EQ(v.IndexOf(99), -1);
    EXPECT_TRUE(v.Remove(0));
    EXPECT_TRUE(v.Remove(v.Count() - 1));
    EXPECT_EQ(Values(v), (std::vector<int>{10, 20, 30, 40, 50}));
    v.Add(20);
    v.Insert(20, 0);
    EXPECT_EQ(v.RemoveAllEqual(20), 3);
    EXPECT_EQ(Values(v), (std::vector<int>{10, 30, 40, 50}));
    EXPECT_EQ(v.Last(), 50);
    v.RemoveLast();
    EXPECT_EQ(v.Last(), 40);
    v.RemoveAll();
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_TRUE(g_codes.empty());
}

TEST_F(VectorTest, ValueVectorInsertsCopiesAndKeepsItemAddresses)
{
    Tracked::live = 0;
    {
        Vector<Tracked> v(1, 1);
        Tracked original(7);
        v.Insert(&original, -1);
        original.value = 8; // the vector holds its own copy
        EXPECT_EQ(v[0].value, 7);
        Tracked* first = &v[0];
        for (int i = 0; i < 50; ++i)
            v.Insert(Tracked(i), 0);
        EXPECT_EQ(&v[50], first); // items do not move when the vector grows
        // Inserting a copy of an item of the same vector.
        v.Add(v[50]);
        EXPECT_EQ(v.Last().value, 7);
        EXPECT_EQ(Tracked::live, 53);
        v.Remove(3);
        EXPECT_EQ(Tracked::live, 52);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST_F(VectorTest, ValueVectorAssignmentEmptiesThenCopies)
{
    Tracked::live = 0;
    {
        Vector<Tracked> a(10, 2), b(3, 3);
        for (int i = 0; i < 4; ++i)
            a.Add(Tracked(i));
        b.Add(Tracked(100));
        b = a;
        EXPECT_EQ(b.Count(), 4);
        EXPECT_EQ(b[3].value, 3);
        EXPECT_NE(&b[0], &a[0]);
        Vector<Tracked>& same = b;
        b = same; // self-assignment keeps the items
        EXPECT_EQ(b.Count(), 4);
        Vector<Tracked> c(a);
        EXPECT_EQ(c.Count(), 4);
        EXPECT_EQ(c.Capacity(), a.Capacity());
        Vector<Tracked> d(std::move(c));
        EXPECT_EQ(d.Count(), 4);
        EXPECT_EQ(c.Count(), 0);
        EXPECT_EQ(Tracked::live, 12);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST_F(VectorTest, ValueVectorMisuseIsReportedAndHarmless)
{
    Vector<int> v(2, 2);
    v.Add(1);
    v.Add(2);
    struct Case {
        const char* what;
        std::function<void()> action;
        int code;
    } cases[] = {
        {"read past the end", [&] { EXPECT_EQ(v[2], 0); }, 7},
        {"read far past the end", [&] { EXPECT_EQ(v[1000000], 0); }, 7},
        {"read below the base", [&] { EXPECT_EQ(v[-1], 0); }, 12},
        {"write past the end", [&] { v[5] = 99; }, 7},
        {"remove past the end", [&] { EXPECT_FALSE(v.Remove(2)); }, 7},
        {"remove below the base", [&] { EXPECT_FALSE(v.Remove(-1)); }, 12},
        {"insert past the end", [&] { EXPECT_EQ(v.Insert(3, 3), -1); }, 7},
        {"insert a null item", [&] { EXPECT_EQ(v.Insert((const int*)nullptr, 0), -1); }, 16},
    };
    for (const Case& c : cases) {
        g_codes.clear();
        c.action();
        EXPECT_EQ(g_codes, std::vector<int>{c.code}) << c.what;
    }
    EXPECT_EQ(Values(v), (std::vector<int>{1, 2}));
    // A write to the scratch item does not leak into later bad reads.
    g_codes.clear();
    v[9] = 42;
    EXPECT_EQ(v[9], 0);

    Vector<int> empty;
    g_codes.clear();
    EXPECT_EQ(empty.Last(), 0);
    empty.RemoveLast();
    EXPECT_EQ(g_codes, (std::vector<int>{12, 12}));
}

TEST_F(VectorTest, VectorIHoldsValues)
{
    struct Point {
        int x = 0, y = 0;
    };
    VectorI<Point> trail(10, 10);
    for (int i = 0; i < 12; ++i)
        trail.Add(Point{i, -i});
    EXPECT_EQ(trail.Capacity(), 20);
    trail.Remove(0);
    EXPECT_EQ(trail[0].x, 1);
    EXPECT_EQ(trail.Last().y, -11);
}

TEST_F(VectorTest, OwningPointerVectorDeletesWhatItRemoves)
{
    Tracked::live = 0;
    {
        VectorP<Tracked> v(2, 2, true);
        EXPECT_TRUE(v.IsOwning());
        for (int i = 0; i < 6; ++i)
            v.Add(new Tracked(i));
        EXPECT_EQ(Tracked::live, 6);
        EXPECT_TRUE(v.Remove(0));
        EXPECT_EQ(Tracked::live, 5);
        Tracked* taken = v.Extract(0);
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(taken->value, 1);
        EXPECT_EQ(Tracked::live, 5);
        delete taken;
        // The same pointer held twice is deleted once.
        Tracked* twice = v[0];
        v.Add(twice);
        EXPECT_EQ(v.RemoveAllEqual(twice), 2);
        EXPECT_EQ(Tracked::live, 3);
        EXPECT_EQ(v.Count(), 3);
        v.RemoveAll();
        EXPECT_EQ(Tracked::live, 0);
        v.Add(new Tracked(9));
        v.Add(new Tracked(10));
    }
    EXPECT_EQ(Tracked::live, 0); // the destructor deleted the rest
}

TEST_F(VectorTest, NonOwningPointerVectorLeavesItemsAlone)
{
    Tracked a(1), b(2), c(3);
    Tracked::live = 3;
    {
        VectorP<Tracked> stack(5, 5, false);
        EXPECT_FALSE(stack.IsOwning());
        stack.Add(&a);
        stack.Add(&b);
        stack.Add(&a);
        stack.Insert(&c, 1);
        EXPECT_EQ(stack.IndexOf(&b), 2);
        EXPECT_EQ(stack.IndexOf(&a, 1), 3);
        EXPECT_EQ(stack.RemoveAllEqual(&a), 2);
        EXPECT_EQ(stack.Count(), 2);
        EXPECT_EQ(stack[0], &c);
        EXPECT_EQ(stack.Last(), &b);
        stack.Remove(0);
        stack.RemoveAll();
    }
    EXPECT_EQ(Tracked::live, 3);
    EXPECT_EQ(a.value + b.value + c.value, 6);
}

TEST_F(VectorTest, PointerVectorMisuseIsReportedAndHarmless)
{
    Tracked::live = 0;
    VectorP<Tracked> v(5, 5, true);
    v.Add(new Tracked(1));
    struct Case {
        const char* what;
        std::function<void()> action;
        int code;
    } cases[] = {
        {"push a null page", [&] { EXPECT_EQ(v.Add(nullptr), -1); }, 16},
        {"insert a null item", [&] { EXPECT_EQ(v.Insert(nullptr, 0), -1); }, 16},
        {"read past the end", [&] { EXPECT_EQ(v[1], nullptr); }, 7},
        {"read below the base", [&] { EXPECT_EQ(v.Get(-3), nullptr); }, 12},
        {"extract past the end", [&] { EXPECT_EQ(v.Extract(4), nullptr); }, 7},
        {"remove below the base", [&] { EXPECT_FALSE(v.Remove(-1)); }, 12},
        {"insert past the end", [&] {
             Tracked* t = new Tracked(2);
             EXPECT_EQ(v.Insert(t, 2), -1);
             delete t;
         }, 7},
        {"look up a null item", [&] { EXPECT_EQ(v.IndexOf(nullptr), -1); }, 8},
        {"remove a null item", [&] { EXPECT_EQ(v.RemoveAllEqual(nullptr), 0); }, 8},
    };
    for (const Case& c : cases) {
        g_codes.clear();
        c.action();
        EXPECT_EQ(g_codes, std::vector<int>{c.code}) << c.what;
    }
    EXPECT_EQ(v.Count(), 1);
    v.RemoveAll();
    g_codes.clear();
    EXPECT_EQ(v.Last(), nullptr); // top of an empty stack
    EXPECT_EQ(g_codes, std::vector<int>{12});
    EXPECT_EQ(Tracked::live, 0);
}

TEST_F(VectorTest, PointerVectorMoveTransfersOwnership)
{
    Tracked::live = 0;
    {
        VectorP<Tracked> a(2, 2, true);
        a.Add(new Tracked(1));
        VectorP<Tracked> b(std::move(a));
        EXPECT_EQ(a.Count(), 0);
        EXPECT_EQ(b.Count(), 1);
        VectorP<Tracked> c(1, 1, true);
        c.Add(new Tracked(2));
        c = std::move(b); // c's own item is deleted
        EXPECT_EQ(Tracked::live, 1);
        EXPECT_EQ(c[0]->value, 1);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST_F(VectorTest, OrderedVectorMatchesASortedReference)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 20; ++round) {
        VectorPO<Keyed> v(100, 10);
        std::vector<Keyed> reference;
        int n = 1 + (int)(rng() % 200);
        for (int i = 0; i < n; ++i) {
            Keyed k{(int)(rng() % 30), i};
            int at = v.FindInsertPosition(k);
            // Binary search gives the first item that is not less than the new one.
            auto ref = std::lower_bound(reference.begin(), reference.end(), k);
            EXPECT_EQ(at, (int)(ref - reference.begin()));
            reference.insert(ref, k);
            EXPECT_EQ(v.InsertOrdered(new Keyed(k)), at);
        }
        ASSERT_EQ(v.Count(), (int)reference.size());
        for (int i = 0; i < v.Count(); ++i) {
            EXPECT_EQ(v[i]->key, reference[i].key);
            EXPECT_EQ(v[i]->tag, reference[i].tag);
        }
    }
    EXPECT_TRUE(g_codes.empty());
}

TEST_F(VectorTest, OrderedVectorSortIsStable)
{
    VectorPO<Keyed> v(4, 4);
    const int keys[] = {5, 1, 5, 3, 1, 5, 0};
    for (int i = 0; i < 7; ++i)
        v.Add(new Keyed{keys[i], i}); // plain appends, out of order
    v.Sort();
    std::vector<std::pair<int, int>> got;
    for (int i = 0; i < v.Count(); ++i)
        got.push_back({v[i]->key, v[i]->tag});
    EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{0, 6}, {1, 1}, {1, 4}, {3, 3}, {5, 0}, {5, 2}, {5, 5}}));
    g_codes.clear();
    EXPECT_EQ(v.InsertOrdered(nullptr), -1);
    EXPECT_EQ(g_codes, std::vector<int>{16});
    EXPECT_TRUE(v.IsOwning());
}

TEST_F(VectorTest, VectorOfStringsHoldsItsOwnCopies)
{
    Vector<DString> names(10, 10);
    DString n("alpha");
    names.Add(n);
    n << "beta";
    names.Add(n);
    EXPECT_EQ(names[0], "alpha");
    EXPECT_EQ(names[1], "alphabeta");
    EXPECT_EQ(names.IndexOf(DString("alphabeta")), 1);
    EXPECT_EQ(names.RemoveAllEqual(DString("alpha")), 1);
    EXPECT_EQ(names.Count(), 1);
}

TEST_F(VectorTest, AllocationChecksGoToTheHook)
{
    int x = 0;
    EXPECT_TRUE(Verifica_Ptr(&x));
    EXPECT_TRUE(g_ptrChecks.empty());
    EXPECT_FALSE(Verifica_Ptr(nullptr));
    EXPECT_EQ(g_ptrChecks.size(), 1u);
}

// Pointer arrays are reused once freed: a reused array too small for its
// vector, or one handed out twice, shows up as wrong items. Vectors of every
// size grow a step at a time side by side, some die and others take their
// arrays; some are filled on one thread and dropped on another.
TEST_F(VectorTest, ReusedArraysKeepEveryItemAtEverySize)
{
    static int slots[1024];
    const int sizes[] = {1, 7, 8, 9, 16, 17, 255, 256, 257, 600};
    auto fill = [](VectorP<int>& v, int count, int salt) {
        for (int i = 0; i < count; ++i)
            v.Add(&slots[(i * 7 + salt) % 1024]);
    };
    auto holds = [](const VectorP<int>& v, int count, int salt) {
        if (v.Count() != count)
            return false;
        for (int i = 0; i < count; ++i)
            if (v[i] != &slots[(i * 7 + salt) % 1024])
                return false;
        return true;
    };
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<VectorP<int>>> kept;
        for (int n : sizes) {
            auto a = std::make_unique<VectorP<int>>(0, 1, false);
            auto b = std::make_unique<VectorP<int>>(0, 1, false);
            fill(*a, n, n);
            fill(*b, n + 1, n + 3);
            kept.push_back(std::move(a));
            b.reset();  // its arrays go back while a's neighbours live
            auto c = std::make_unique<VectorP<int>>(n, 1, false);
            fill(*c, n, n + 5);
            kept.push_back(std::move(c));
        }
        for (size_t k = 0; k < kept.size(); ++k) {
            const int n = sizes[k / 2];
            EXPECT_TRUE(holds(*kept[k], n, k % 2 ? n + 5 : n)) << "size " << n;
        }
    }
    // Filled on a thread that then ends, dropped here; and the other way round.
    VectorP<int> made(0, 1, false);
    std::thread([&] { fill(made, 300, 1); }).join();
    EXPECT_TRUE(holds(made, 300, 1));
    VectorP<int> other(0, 1, false);
    fill(other, 40, 2);
    std::thread([&] {
        VectorP<int> taken(std::move(other));
        EXPECT_TRUE(holds(taken, 40, 2));
        VectorP<int> local(0, 1, false);
        fill(local, 40, 3);
        EXPECT_TRUE(holds(local, 40, 3));
    }).join();
    EXPECT_TRUE(holds(made, 300, 1));
    EXPECT_TRUE(g_codes.empty());
    EXPECT_TRUE(g_ptrChecks.empty());
}

TEST(VectorHandlers, DefaultsReportAndReturn)
{
    // The default handlers write a line and return; restoring with null works.
    TErrorVectoresHandler before = Set_Error_Vectores_Handler(nullptr);
    Set_Error_Vectores_Handler(before);
    testing::internal::CaptureStderr();
    Set_Error_Vectores_Handler(nullptr);
    Error_Vectores_DG_x(7);
    Set_Verifica_Ptr_Handler(nullptr);
    EXPECT_FALSE(Verifica_Ptr(nullptr));
    std::string err = testing::internal::GetCapturedStderr();
    Set_Error_Vectores_Handler(before);
    EXPECT_NE(err.find("code 7"), std::string::npos);
    EXPECT_NE(err.find("Verifica_Ptr"), std::string::npos);
}

} // namespace
