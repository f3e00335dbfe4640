// Short random-input stress runs, one starting from each page the run knows.
// Under the sanitizer build any overrun, use after free or leak fails them;
// here they check that the input reached the pages and that every element
// went with its page.
#include <gtest/gtest.h>

#include "StressRun.h"
#include "support/TestEngine.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {

const int kEvents = 1500;

class StressInputTest : public ::testing::TestWithParam<int> {};

TEST_P(StressInputTest, RandomInputFromThisPageLeavesNothingBehind)
{
    const int page = GetParam();
    SCOPED_TRACE(StressRun::kPages[page].name);
    const int baseline = TPDAUIEngineElement::GetLiveCount();
    {
        StressRun run(0x5EED0000u + (uint32_t)page, page);
        ASSERT_TRUE(run.Loaded());
        ASSERT_EQ(1, run.engine().GetPageCount());
        run.Run(kEvents);
        const StressRun::Counts c = run.counts();
        EXPECT_EQ(0, c.messageBoxes) << run.engine().messageBoxes[0].text;
        EXPECT_GT(c.commands, 0);
        EXPECT_GT(c.opens, 1);
        EXPECT_GT(c.closes, 0);
        run.CloseAll();
        EXPECT_EQ(0, run.engine().GetPageCount());
    }
    EXPECT_EQ(baseline, TPDAUIEngineElement::GetLiveCount());
}

INSTANTIATE_TEST_SUITE_P(EveryPage, StressInputTest, ::testing::Range(0, StressRun::kPageCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(StressRun::kPages[info.param].name);
                         });

} // namespace
