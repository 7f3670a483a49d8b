// The one bar of a job of several phases, and the lines under it, as every face draws them.
#include "ui/job_progress.h"

#include <gtest/gtest.h>

namespace quillon::ui {
namespace {

TEST(JobProgress, TheBarRunsOnceOverThePhasesAndTellsTheTimeLeft) {
    double now = 100.0;
    JobProgress job({{JobPhase::Kind::Image, "primary-1.1.1.hex", 10},
                     {JobPhase::Kind::Image, "station-1.8.0.hex", 28},
                     {JobPhase::Kind::Pda, "PDA", 1},
                     {JobPhase::Kind::Reset, "reset", 1}},
                    false, [&now] { return now; });
    EXPECT_EQ(job.permille(), 0);
    EXPECT_EQ(job.detail(), "Writing image 1 of 2: primary-1.1.1.hex\nDo not remove the card.");

    job.advance(1.0);
    job.enter(1);
    now += 10.0;  // a quarter of the job in ten seconds: thirty more to go
    EXPECT_EQ(job.permille(), 250);
    EXPECT_EQ(job.detail(),
              "Writing image 2 of 2: station-1.8.0.hex\nAbout 30 s left. Do not remove the card.");
    // A bar a person reads never runs backwards: not within a phase, nor to a phase left.
    job.advance(0.5);
    job.advance(0.25);
    job.enter(0);
    EXPECT_EQ(job.permille(), 600);

    job.enter(2);
    EXPECT_EQ(job.phaseText(), "Writing the card's PDA");
    job.enter(3);
    EXPECT_EQ(job.phaseText(), "Starting the card's new firmware");
    job.complete();
    EXPECT_EQ(job.permille(), 1000);
    EXPECT_EQ(job.secondsLeft(), std::nullopt);

    now += 1000.0;
    JobProgress slow({{JobPhase::Kind::Image, "a.hex", 1}}, true, [&now] { return now; });
    now += 300.0;
    slow.advance(0.5);
    EXPECT_EQ(slow.detail(),
              "Writing and verifying image 1 of 1: a.hex\nAbout 5 min left. Do not remove the "
              "card.");
}

}  // namespace
}  // namespace quillon::ui
