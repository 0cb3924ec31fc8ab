#include "monitor/config_worker.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "monitor/monitor_messages.h"

namespace karvo::monitor {
namespace {

using Lines = std::vector<std::string>;

// Records each job together with the flags it saw while running.
class RecordingJobs : public IWorkerJobs {
 public:
  explicit RecordingJobs(WorkerFlags& flags) : m_flags(flags) {}
  Lines Calls;

  void Upload(bool restore) override { Add(restore ? "Restore" : "Upload"); }
  void ReadBack() override { Add("ReadBack"); }
  void SendCurrentProfile() override { Add("CurrentProfile"); }
  void PostApplyFinished() override { Add("Post 1256"); }

 private:
  void Add(const std::string& what) {
    Calls.push_back(what + " busy=" + std::to_string(m_flags.Busy.load()) +
                    " cancel=" + std::to_string(m_flags.Cancel.load()));
  }
  WorkerFlags& m_flags;
};

class ConfigWorkerTest : public ::testing::Test {
 protected:
  WorkerFlags flags;
  RecordingJobs jobs{flags};
  std::atomic<DeviceState> state{DeviceState::Present};
  ConfigWorker worker{jobs, flags, state};
};

TEST_F(ConfigWorkerTest, JobsRunBusyWithCancelClearedAndEndIdle) {
  struct Case {
    std::uintptr_t Job;
    std::intptr_t Param;
    Lines Expected;
  };
  const Case cases[] = {
      {kJobUpload, 0, {"Upload busy=1 cancel=0", "Post 1256 busy=1 cancel=0"}},
      {kJobUpload, 1, {"Restore busy=1 cancel=0", "Post 1256 busy=1 cancel=0"}},
      {kJobUpload, 2, {"Upload busy=1 cancel=0", "Post 1256 busy=1 cancel=0"}},
      {kJobReadBack, 0, {"ReadBack busy=1 cancel=0"}},
      {kJobCurrentProfile, 0, {"CurrentProfile busy=1 cancel=0"}},
      {kJobNone, 0, {}},
      {99, 0, {}},
  };
  for (const Case& c : cases) {
    jobs.Calls.clear();
    flags.Cancel = true;  // left over from an earlier cancelled job
    EXPECT_EQ(worker.Handle(c.Job, c.Param), WorkerOutcome::Ran);
    EXPECT_EQ(jobs.Calls, c.Expected) << "job " << c.Job << " param " << c.Param;
    EXPECT_FALSE(flags.Busy);
  }
}

TEST_F(ConfigWorkerTest, MessagesWhileTheMouseIsNotPresentAreDroppedButAnApplyIsAnswered) {
  for (DeviceState s : {DeviceState::NotOpened, DeviceState::Removed}) {
    state = s;
    jobs.Calls.clear();
    for (std::uintptr_t job : {kJobUpload, kJobReadBack, kJobCurrentProfile}) {
      EXPECT_EQ(worker.Handle(job, 0), WorkerOutcome::Dropped);
    }
    EXPECT_EQ(jobs.Calls, Lines{"Post 1256 busy=0 cancel=0"});
    EXPECT_FALSE(flags.Busy);
  }
}

TEST_F(ConfigWorkerTest, JobsQueuedBehindTheExitAreDropped) {
  flags.Stopping = true;
  EXPECT_EQ(worker.Handle(kJobReadBack, 0), WorkerOutcome::Dropped);
  EXPECT_TRUE(jobs.Calls.empty());
  EXPECT_EQ(worker.Handle(kJobUpload, 1), WorkerOutcome::Dropped);
  EXPECT_EQ(jobs.Calls, Lines{"Post 1256 busy=0 cancel=0"});
}

// The window thread's removal (state, then cancel if busy) and the exit (stopping, then cancel if
// busy) may land right after any look the worker takes at whether it may run. Wherever they
// land, the job does not run, or it runs with its cancel set.
TEST(ConfigWorkerInterleaving, ARemovalOrExitAsAJobStartsIsNeverForgotten) {
  for (bool exit : {false, true}) {
    for (int at = 1;; ++at) {
      WorkerFlags flags;
      RecordingJobs jobs{flags};
      std::atomic<DeviceState> state{DeviceState::Present};
      int looks = 0;
      bool landed = false;
      ConfigWorker worker(jobs, flags, [&] {
        DeviceState seen = state.load();
        if (++looks == at) {
          landed = true;
          if (exit) {
            flags.Stopping = true;
          } else {
            state = DeviceState::Removed;
          }
          flags.CancelIfBusy();
        }
        return seen;
      });
      worker.Handle(kJobReadBack, 0);
      EXPECT_FALSE(flags.Busy);
      if (!landed) break;  // past the worker's last look
      EXPECT_TRUE(jobs.Calls.empty() || jobs.Calls == Lines{"ReadBack busy=1 cancel=1"})
          << (exit ? "exit" : "removal") << " after look " << at << ": " << jobs.Calls.front();
    }
  }
}

// Virtual time for the exit: the running job lets go of the mouse once jobEndsAt has passed;
// the mouse answers status polls busy until doneAfter of them were made.
class ExitRig : public ISleeper, public IDevice {
 public:
  ExitRig(WorkerFlags& flags, std::uint64_t jobEndsAt, int doneAfter)
      : m_flags(flags), m_jobEndsAt(jobEndsAt), m_doneAfter(doneAfter) {}
  void SleepMs(std::uint32_t ms) override {
    Now += ms;
    if (Now >= m_jobEndsAt) m_flags.EndJob();
  }
  bool SetFeature(std::uint8_t* report, std::uint32_t) override {
    if (report[0] == kHostControlReportId) SentAt = Now;
    return true;
  }
  bool GetFeature(std::uint8_t* report, std::uint32_t) override {
    ++Polls;
    report[1] = Polls > m_doneAfter ? kStatusDone : kStatusBusy;
    return true;
  }
  std::uint64_t Now = 0;
  std::optional<std::uint64_t> SentAt;
  int Polls = 0;

 private:
  WorkerFlags& m_flags;
  std::uint64_t m_jobEndsAt;
  int m_doneAfter;
};

TEST(ExitHostControl, ReportWaitsForTheCancelledJobAndItsAcknowledgementIsBounded) {
  constexpr std::uint64_t kNoJob = 0, kNever = ~std::uint64_t{0};
  constexpr int kBusyForEver = 1000;
  struct Case {
    const char* Name;
    std::uint64_t JobEndsAt;
    int DoneAfter;
    ExitReport Expected;
  };
  const Case cases[] = {
      {"idle, busy mouse", kNoJob, kBusyForEver, ExitReport::NotAcknowledged},
      {"job lets go, quick mouse", 150, 1, ExitReport::Acknowledged},
      {"job lets go, busy mouse", 250, kBusyForEver, ExitReport::NotAcknowledged},
      {"job stuck", kNever, 0, ExitReport::JobStillRunning},
  };
  for (const Case& c : cases) {
    WorkerFlags flags;
    if (c.JobEndsAt != kNoJob) flags.BeginJob();
    ExitRig rig(flags, c.JobEndsAt, c.DoneAfter);
    EXPECT_EQ(SendExitHostControl(rig, rig, flags, kHostEnding), c.Expected) << c.Name;
    EXPECT_LE(rig.Now, kExitJobEndBoundMs + kExitAckBoundMs) << c.Name;
    if (c.Expected == ExitReport::JobStillRunning) {
      EXPECT_FALSE(rig.SentAt) << c.Name;
    } else {
      ASSERT_TRUE(rig.SentAt) << c.Name;
      EXPECT_GE(*rig.SentAt, c.JobEndsAt) << c.Name << ": sent while the job still ran";
    }
  }
}

}  // namespace
}  // namespace karvo::monitor
