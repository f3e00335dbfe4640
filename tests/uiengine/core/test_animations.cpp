#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "enginelib/base/Tick.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineAnimations.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

typedef TPDAUIEnginePageAnimationsManager Manager;
typedef Manager::TAnimation Animation;

const double kPi = 3.14159265358979323846;

// Engine with the platform operations answered in place.
class AnimEngine : public TPDAUIEngine {
public:
    void RunModalLoop(int) override {}
    void MessageBox(const char*, const char*) override {}
    void Invalidate(int) override {}
    void InvalidateElement(TPDAUIEngineElement*) override {}
    bool HasHardwareKeyboard() override { return false; }
    int HasHardwareKeyboardMultiplexed() override { return 0; }
    int InputPanelHandler(TPDAUIEngineElement*, int) override { return 0; }
    int HasHardwareMouse() override { return 1; }
    int HasHardwareMouseTouchScreen() override { return 1; }
    int HasHardwareMouseTouchScreenDouble() override { return 0; }
    void SetScreenMode(int, int) override {}
};

class Leaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
};

// A page whose tree is a flat list of leaves it does not own.
class FlatPage : public TPDAUIEngineElementPage {
public:
    explicit FlatPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    ~FlatPage() override { UnlinkTree(); }
    void CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool) override
    {
        for (TPDAUIEngineElement* e : leaves)
            list.Add(e);
    }
    std::vector<TPDAUIEngineElement*> leaves;
};

// Virtual clock for the engine's tick.
class AnimationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetTickSource([this] { return clock_; });
        engine_ = std::make_unique<AnimEngine>();
        page_ = std::make_unique<FlatPage>(engine_.get());
        box_.id = "box";
        box_.engine = engine_.get();
        page_->leaves.push_back(&box_);
    }
    void TearDown() override
    {
        page_.reset();
        engine_.reset();
        SetTickSource(nullptr);
    }
    void Advance(uint32_t ms) { clock_ += ms; }
    int Now() { return engine_->GetTickCount(); }

    Animation* Add(const char* attribute, int from, int to, int duration, int easing = 0,
                   const char* endCommand = "")
    {
        Animation* a = new Animation;
        a->elementId = "box";
        a->attribute = attribute;
        a->startValue = from;
        a->endValue = to;
        a->duration = duration;
        a->startTime = Now();
        a->easing = easing;
        a->endCommand = endCommand;
        page_->animations.Animations().Add(a);
        return a;
    }
    int PostedCount(const char* name)
    {
        int n = 0;
        TPDAUIEngineCommand c;
        while (engine_->PopCommand(c))
            if (c.name == name && c.target == page_.get())
                ++n;
        return n;
    }

    uint32_t clock_ = 0xFFFFFF00u; // close to the wrap: elapsed times must survive it
    std::unique_ptr<AnimEngine> engine_;
    std::unique_ptr<FlatPage> page_;
    Leaf box_;
};

double Elastic(double start, double c, double t, double d)
{
    double p = 0.3 * d;
    double a, s;
    if (std::fabs(c) <= 50) {
        a = 50;
        s = p / (2 * kPi) * std::asin(c / 50);
    } else {
        a = c;
        s = p / 4;
    }
    return start + c + a * std::pow(2.0, -10.0 * (t / d)) * std::sin((t - s) * 2 * kPi / p);
}

TEST(AnimationsEvaluate, Easings)
{
    struct Case {
        int easing, from, to, t, d;
        int expected;
    } cases[] = {
        {0, 0, 100, 50, 200, 25},
        {0, 100, 0, 50, 200, 75},
        {0, 0, 10, 1, 3, 3},          // (10 x 1) / 3 in integers
        {0, 0, -10, 1, 3, -3},        // truncated toward zero
        {0, 0, 100, 0, 200, 0},
        {0, 0, 100, 200, 200, 100},   // the end value at t = d
        {0, 0, 100, 10, 0, 100},      // no duration: the end value, no division
        // A change and a time whose product leaves the int range.
        {0, 0, 2000000000, 1500, 2000, 1500000000},
        {1, 0, 100, 100, 200, 87},    // 100 x ((0.5 - 1)^3 + 1) = 87.5
        {1, 0, 100, 0, 200, 0},
        {1, 50, 0, 100, 200, 6},      // 50 - 50 x 0.875 = 6.25
        {2, 10, 60, 0, 1000, 10},     // t = 0 gives the start
    };
    for (const Case& c : cases)
        EXPECT_EQ(Manager::Evaluate(c.easing, c.from, c.to, c.t, c.d), c.expected)
            << c.easing << " " << c.from << "->" << c.to << " t=" << c.t << " d=" << c.d;
}

TEST(AnimationsEvaluate, ElasticAmplitudeSwitchesAboveFifty)
{
    // |change| up to 50: amplitude 50 and a shift from asin; above: amplitude =
    // the change and shift P / 4.
    struct Case {
        int from, to;
    } cases[] = {{0, 30}, {0, 50}, {0, 51}, {100, 49}, {100, 40}, {0, -51}, {0, 200}};
    for (const Case& c : cases)
        for (int t : {1, 37, 100, 250, 640, 999}) {
            int expected = (int)Elastic(c.from, c.to - c.from, t, 1000);
            EXPECT_EQ(Manager::Evaluate(2, c.from, c.to, t, 1000), expected)
                << c.from << "->" << c.to << " t=" << t;
        }
}

TEST_F(AnimationsTest, LinearStepSetsTheValueForNow)
{
    Add("left", 0, 100, 200);
    Advance(50);
    EXPECT_TRUE(page_->animations.StepAll());
    EXPECT_EQ(box_.left, 25);
    Advance(100);
    EXPECT_TRUE(page_->animations.StepAll());
    EXPECT_EQ(box_.left, 75);
}

TEST_F(AnimationsTest, EndCommandArrivesOnceAfterTheLastValue)
{
    Add("width", 10, 90, 100, 1, "slideDone");
    Advance(40);
    page_->animations.StepAll();
    EXPECT_EQ(PostedCount("slideDone"), 0);
    Advance(60);
    EXPECT_FALSE(page_->animations.StepAll());
    EXPECT_EQ(box_.width, 90);
    Advance(100);
    EXPECT_FALSE(page_->animations.StepAll());
    EXPECT_EQ(PostedCount("slideDone"), 1);
    EXPECT_EQ(page_->animations.Animations().Count(), 0);
}

TEST_F(AnimationsTest, MissingElementOrCancelledDropsSilently)
{
    Add("left", 0, 100, 100, 0, "never");
    Animation* cancelled = Add("top", 0, 100, 100, 0, "never");
    cancelled->cancelled = 1;
    page_->leaves.clear(); // the element left the page
    Advance(150);
    EXPECT_FALSE(page_->animations.StepAll());
    EXPECT_EQ(box_.left, 0);
    EXPECT_EQ(box_.top, 0);
    EXPECT_EQ(PostedCount("never"), 0);
}

TEST_F(AnimationsTest, BlockingAnimationMarksThePageForLayout)
{
    page_->needsLayout = 0;
    Add("left", 0, 100, 100);
    Advance(10);
    page_->animations.StepAll();
    EXPECT_EQ(page_->needsLayout, 0);
    page_->animations.Animations()[0]->blocking = 1;
    page_->animations.StepAll();
    EXPECT_EQ(page_->needsLayout, 1);
}

TEST_F(AnimationsTest, StepsLastToFirstAndKeepsTheRunningOnes)
{
    Add("left", 0, 100, 100, 0, "short");
    Add("top", 0, 100, 1000);
    Advance(200);
    EXPECT_TRUE(page_->animations.StepAll());
    ASSERT_EQ(page_->animations.Animations().Count(), 1);
    EXPECT_EQ(page_->animations.Animations()[0]->attribute, "top");
    EXPECT_EQ(box_.left, 100);
    EXPECT_EQ(box_.top, 20);
}

TEST_F(AnimationsTest, PaintOfAVisiblePageStepsTheAnimations)
{
    Add("left", 0, 100, 200);
    Advance(100);
    page_->visible = 0;
    page_->Paint(nullptr, 0, 0);
    EXPECT_EQ(box_.left, 0);
    page_->visible = 1;
    page_->Paint(nullptr, 0, 0);
    EXPECT_EQ(box_.left, 50);
}

TEST_F(AnimationsTest, EndCommandForADeletedPageIsDropped)
{
    Add("left", 0, 100, 100, 0, "animEnd");
    Advance(100);
    page_->animations.StepAll(); // posted, aimed at the page
    EXPECT_EQ(engine_->postedCommands.Count(), 1);
    page_.reset();               // the page closes and is deleted before the drain
    TPDAUIEngineCommand c;
    EXPECT_FALSE(engine_->PopCommand(c));
}

TEST_F(AnimationsTest, DestroyingTheManagerPostsNothing)
{
    Add("left", 0, 100, 100, 0, "animEnd");
    page_.reset();
    TPDAUIEngineCommand c;
    EXPECT_FALSE(engine_->PopCommand(c));
}

} // namespace
