#include "monitor/config_worker.h"

#include <gtest/gtest.h>

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
  bool ReadBackSucceeds = true;

  void Upload(bool restore) override { Add(restore ? "Restore" : "Upload"); }
  bool ReadBack() override {
    Add("ReadBack");
    return ReadBackSucceeds;
  }
  void SendCurrentProfile() override { Add("CurrentProfile"); }
  void SendHostControl(int value) override { Add("HostControl " + std::to_string(value)); }
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
    bool ReadBackSucceeds;
    Lines Expected;
  };
  const Case cases[] = {
      {kJobUpload, 0, true, {"Upload busy=1 cancel=0", "Post 1256 busy=1 cancel=0"}},
      {kJobUpload, 1, true, {"Restore busy=1 cancel=0", "Post 1256 busy=1 cancel=0"}},
      {kJobUpload, 2, true, {"Upload busy=1 cancel=0", "Post 1256 busy=1 cancel=0"}},
      {kJobReadBack, 0, true, {"ReadBack busy=1 cancel=0", "HostControl 1 busy=1 cancel=0"}},
      {kJobReadBack, 0, false, {"ReadBack busy=1 cancel=0"}},
      {kJobCurrentProfile, 0, true, {"CurrentProfile busy=1 cancel=0"}},
      {kJobNone, 0, true, {}},
      {99, 0, true, {}},
  };
  for (const Case& c : cases) {
    jobs.Calls.clear();
    jobs.ReadBackSucceeds = c.ReadBackSucceeds;
    flags.Cancel = 1;  // left over from an earlier cancelled job
    EXPECT_EQ(worker.Handle(c.Job, c.Param), WorkerOutcome::Ran);
    EXPECT_EQ(jobs.Calls, c.Expected) << "job " << c.Job << " param " << c.Param;
    EXPECT_EQ(flags.Busy, 0);
  }
}

TEST_F(ConfigWorkerTest, MessagesWhileTheMouseIsNotPresentAreDroppedWithoutAnswer) {
  for (DeviceState s : {DeviceState::NotOpened, DeviceState::Removed}) {
    state = s;
    for (std::uintptr_t job : {kJobUpload, kJobReadBack, kJobCurrentProfile}) {
      EXPECT_EQ(worker.Handle(job, 0), WorkerOutcome::Dropped);
    }
  }
  EXPECT_TRUE(jobs.Calls.empty());
  EXPECT_EQ(flags.Busy, 0);
}

TEST_F(ConfigWorkerTest, JobsQueuedBehindTheExitAreDropped) {
  flags.Stopping = 1;
  EXPECT_EQ(worker.Handle(kJobUpload, 0), WorkerOutcome::Dropped);
  EXPECT_TRUE(jobs.Calls.empty());
}

}  // namespace
}  // namespace karvo::monitor
