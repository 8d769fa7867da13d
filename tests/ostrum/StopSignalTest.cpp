#include "StopSignal.h"

#include <signal.h>

#include <gtest/gtest.h>

namespace {

void Record(int signum)
{
    StopSignal::Notify(signum);
}

TEST(StopSignal, SignalBeforeOrDuringTheSleepEndsIt)
{
    StopSignal::Reset();
    EXPECT_TRUE(StopSignal::Sleep(0.01)) << "a sleep without signal runs to its end";
    EXPECT_EQ(StopSignal::Pending(), 0);

    StopSignal::Install(Record);
    raise(SIGTERM);
    // Would sleep an hour if the recorded signal did not end it.
    EXPECT_FALSE(StopSignal::Sleep(3600));
    EXPECT_EQ(StopSignal::Pending(), SIGTERM);

    raise(SIGINT);
    EXPECT_EQ(StopSignal::Pending(), SIGTERM) << "the first signal is the one reported";
    StopSignal::Reset();
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
}

}  // namespace
