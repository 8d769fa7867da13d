#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScopedEnv.h"
#include "TempDir.h"
#include "Tracepoints.h"

namespace {

const std::vector<std::string> kWanted = {"sched:sched_stat_sleep", "sched:sched_switch", "sched:sched_process_exit"};

TEST(TracepointsTest, KeepsOnlyWhatTheKernelHas)
{
    struct Case {
        std::string events;
        std::vector<std::string> present;
        std::vector<std::string> missing;
    };
    const Case cases[] = {
        {"sched:sched_stat_sleep\nsched:sched_switch\nsched:sched_process_exit\n", kWanted, {}},
        {"sched:sched_switch\nsched:sched_process_exit\nsched:sched_stat_runtime\n",
         {"sched:sched_switch", "sched:sched_process_exit"},
         {"sched:sched_stat_sleep"}},
        // A name that only begins like a wanted one is another tracepoint.
        {"sched:sched_switch_extra\r\nsched:sched_process_exit \n",
         {"sched:sched_process_exit"},
         {"sched:sched_stat_sleep", "sched:sched_switch"}},
        {"irq:irq_handler_entry\n", {}, kWanted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.events);
        const TracepointChoice choice = ChooseTracepoints(kWanted, c.events, true);
        EXPECT_TRUE(choice.known);
        EXPECT_EQ(choice.present, c.present);
        EXPECT_EQ(choice.missing, c.missing);
    }
}

TEST(TracepointsTest, UnknownKernelKeepsEveryTracepoint)
{
    const TracepointChoice choice = ChooseTracepoints(kWanted, "", false);
    EXPECT_FALSE(choice.known);
    EXPECT_EQ(choice.present, kWanted);
    EXPECT_TRUE(choice.missing.empty());
}

TEST(TracepointsTest, ReadsTheMachineTracingDirectory)
{
    struct Case {
        std::string file;  // relative to the machine root; empty: no file
        bool known;
        std::vector<std::string> missing;
    };
    const Case cases[] = {
        {"sys/kernel/tracing/available_events", true, {"sched:sched_stat_sleep"}},
        {"sys/kernel/debug/tracing/available_events", true, {"sched:sched_stat_sleep"}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TempDir root;
        root.Write("placeholder", "");
        if (!c.file.empty()) {
            root.Write(c.file, "sched:sched_switch\nsched:sched_process_exit\n");
        }
        ScopedEnv env("QUENDAR_SYSROOT", root.Path());
        const TracepointChoice choice = ChooseMachineTracepoints(kWanted);
        EXPECT_EQ(choice.known, c.known);
        EXPECT_EQ(choice.missing, c.missing);
    }
}

TEST(TracepointsTest, PerfOptions)
{
    EXPECT_EQ(TracepointOptions({}), "");
    EXPECT_EQ(TracepointOptions({"sched:sched_switch"}), "-e sched:sched_switch");
    EXPECT_EQ(TracepointOptions({"a:b", "c:d"}), "-e a:b -e c:d");
}

}  // namespace
