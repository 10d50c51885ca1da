// kestrun under concurrent starts: many runs released at once on one
// installation, and runs on two installations side by side.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/demo_home.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace {

// Runs started at once: KESTRUN_CONCURRENT_RUNS, 2 to 50, default 20.
int ConcurrentRuns() {
    const char* text = std::getenv("KESTRUN_CONCURRENT_RUNS");
    return std::clamp(text ? std::atoi(text) : 20, 2, 50);
}

}  // namespace

// All runs wait on one gate (a FIFO, one byte each) and start kestrun when
// the test writes the bytes; the first to take the batch lock runs the
// step, which waits until every other run has ended. Windows has no such
// gate: there the runs start one after another as fast as they can.
TEST(KestrunConcurrency, RunsReleasedAtOnceLeaveExactlyOneWinner) {
    SKIP_WITHOUT_SQLITE_FILES();
    TempDir tmp;
    std::string home = tmp.path() + "/vrnl";
    ASSERT_EQ(MakeDemoHome(home), "");
    std::string started = tmp.file("started"), release = tmp.file("release");
    ASSERT_TRUE(HoldStep(home, started, release));
    std::string gate = tmp.file("gate");
    std::fstream opener;
    if (!OnWindows()) {
        ASSERT_EQ(RunProgram({"/usr/bin/mkfifo", gate}, 30).exitStatus, 0);
        // Open for reading and writing, so that opening never blocks and the
        // gate stays open for runs that reach it late.
        opener.open(gate, std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(opener.is_open());
    }

    const int n = ConcurrentRuns();
    std::vector<std::unique_ptr<RunningProgram>> runs;
    for (int i = 0; i < n; ++i) {
        std::vector<std::string> argv{KestrunPath(), "-h", home};
        if (!OnWindows()) {
            argv = {"/bin/sh", "-c", "dd bs=1 count=1 status=none <\"$0\" >/dev/null && exec \"$1\" -h \"$2\"",
                    gate, KestrunPath(), home};
        }
        runs.push_back(std::make_unique<RunningProgram>(argv));
        ASSERT_TRUE(runs.back()->started());
    }
    if (opener.is_open()) opener << std::string(static_cast<size_t>(n), 'g') << std::flush;

    std::vector<ProgramResult> results(static_cast<size_t>(n));
    std::atomic<int> ended{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < n; ++i) {
        waiters.emplace_back([&, i] {
            results[static_cast<size_t>(i)] = runs[static_cast<size_t>(i)]->Wait(90);
            ++ended;
        });
    }
    // Every run but the winner fails at once, while the winner's step waits.
    for (int i = 0; i < 300 && ended < n - 1; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    int endedBeforeRelease = ended;
    std::ofstream(release) << "go\n";
    for (std::thread& waiter : waiters) waiter.join();

    EXPECT_EQ(endedBeforeRelease, n - 1);
    int winners = 0;
    for (const ProgramResult& r : results) {
        EXPECT_TRUE(r.finished);
        if (r.out == kSuccess) {
            ++winners;
            EXPECT_EQ(r.exitStatus, 0);
            continue;
        }
        EXPECT_NE(r.out.find(kLockFailure), std::string::npos) << r.out << r.err;
        EXPECT_EQ(r.exitStatus, kStoppedStatus) << r.out;
    }
    EXPECT_EQ(winners, 1);

    NameValues status = StatusOf(home);
    EXPECT_EQ(ValueOf(status, "status"), "0");
    EXPECT_NE(ValueOf(status, "startdate"), "<absent>");
    EXPECT_NE(ValueOf(status, "enddate"), "<absent>");
}

// Each installation has its own batch lock: both steps run at the same time.
TEST(KestrunConcurrency, TwoInstallationsDoNotBlockEachOther) {
    SKIP_WITHOUT_SQLITE_FILES();
    TempDir tmp;
    std::string release = tmp.file("release");
    std::vector<std::string> homes{tmp.path() + "/a", tmp.path() + "/b"};
    std::vector<std::unique_ptr<RunningProgram>> runs;
    for (const std::string& home : homes) {
        ASSERT_EQ(MakeDemoHome(home), "");
        ASSERT_TRUE(HoldStep(home, home + ".started", release));
        runs.push_back(
            std::make_unique<RunningProgram>(std::vector<std::string>{KestrunPath(), "-h", home}));
    }
    for (const std::string& home : homes) EXPECT_TRUE(WaitForFile(home + ".started", 30)) << home;
    std::ofstream(release) << "go\n";
    for (auto& run : runs) EXPECT_EQ(run->Wait(60).out, kSuccess);
}
