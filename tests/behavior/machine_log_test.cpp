// The step log of a machine tree: what a step prints, the 200-step marks,
// and the lines it refuses.
#include "behavior/machine_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One step with the given lines (level, text); what it printed.
std::string step(machine_log_t& log, std::initializer_list<std::pair<int, const char*>> lines)
{
    testing::internal::CaptureStderr();
    log.begin_step();
    for (const auto& l : lines) log.write(l.first, "%s", l.second);
    log.end_step();
    return testing::internal::GetCapturedStderr();
}

TEST(MachineLog, ChangedStepsPrintTheirLinesEqualOnesEvery200th)
{
    machine_log_t log;
    EXPECT_EQ(step(log, {{0, "a"}, {2, "c"}}), "INFO:  ---------------------\nINFO:  1 - a\nINFO:  1 - c\n");
    for (int i = 2; i <= 200; ++i) EXPECT_EQ(step(log, {{0, "a"}, {2, "c"}}), "") << i;
    EXPECT_EQ(step(log, {{0, "a"}, {2, "c"}}), "INFO:   =====>>>> same state for 200 times\n");
    for (int i = 202; i <= 400; ++i) EXPECT_EQ(step(log, {{0, "a"}, {2, "c"}}), "") << i;
    EXPECT_EQ(step(log, {{0, "a"}, {2, "c"}}), "INFO:   =====>>>> same state for 200 times\n");
    EXPECT_EQ(log.same_count, 400);
    // A change prints the whole step and starts the count again.
    EXPECT_EQ(step(log, {{0, "a"}, {1, "b"}}),
              "INFO:  ---------------------\nINFO:  402 - a\nINFO:  402 - b\n");
    EXPECT_EQ(log.same_count, 0);
    EXPECT_EQ(log.step_count, 402);
    // Without a level-0 line there is no separator.
    EXPECT_EQ(step(log, {{1, "b"}}), "INFO:  403 - b\n");
}

TEST(MachineLog, NothingWrittenComparesEqualFromTheSecondStep)
{
    machine_log_t log;
    std::string printed;
    for (int i = 1; i <= 600; ++i) printed += step(log, {});
    EXPECT_EQ(printed,
              "INFO:   =====>>>> same state for 200 times\n"
              "INFO:   =====>>>> same state for 200 times\n"
              "INFO:   =====>>>> same state for 200 times\n");
    for (int i = 0; i < machine_log_t::LEVELS; ++i) EXPECT_STREQ(log.current[i], "none");
}

TEST(MachineLog, RefusedLevelsAndLongLines)
{
    machine_log_t log;
    log.begin_step();
    testing::internal::CaptureStderr();
    log.write(10, "x");
    log.write(-1, "x");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "INFO:  level exceeds maximal size 10.\nINFO:  level exceeds maximal size 10.\n");
    const struct {
        size_t length;
        bool fits;
    } cases[] = {{1023, true}, {1024, false}, {1033, false}, {5000, false}};
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        log.write(3, "%s", text.c_str());
        EXPECT_STREQ(log.current[3], c.fits ? text.c_str() : "chain exceeds max. size 1024") << c.length;
    }
    // Neighbouring levels are untouched.
    EXPECT_STREQ(log.current[2], "none");
    EXPECT_STREQ(log.current[4], "none");
}

}  // namespace
