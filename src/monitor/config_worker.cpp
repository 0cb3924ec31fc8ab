#include "monitor/config_worker.h"

#include "monitor/monitor_messages.h"

namespace karvo::monitor {

namespace {
// The configurator keeps OK and Apply disabled until it hears 1256, whether or not the upload
// could run: a job taken after the mouse went away still answers its apply.
WorkerOutcome Drop(IWorkerJobs& jobs, std::uintptr_t job) {
  if (job == kJobUpload) jobs.PostApplyFinished();
  return WorkerOutcome::Dropped;
}
}  // namespace

bool ConfigWorker::MayRun() const { return m_state() == DeviceState::Present && !m_flags.Stopping; }

WorkerOutcome ConfigWorker::Handle(std::uintptr_t job, std::intptr_t param) {
  if (!MayRun()) return Drop(m_jobs, job);
  m_flags.BeginJob();
  // Looked at again once the job counts as busy: a removal or the exit either finds it busy
  // and cancels it, or is seen here.
  if (!MayRun()) {
    m_flags.EndJob();
    return Drop(m_jobs, job);
  }
  switch (job) {
    case kJobUpload:
      m_jobs.Upload(param == 1);
      m_jobs.PostApplyFinished();
      break;
    case kJobReadBack:
      m_jobs.ReadBack();
      break;
    case kJobCurrentProfile:
      m_jobs.SendCurrentProfile();
      break;
    default:
      break;
  }
  m_flags.EndJob();
  return WorkerOutcome::Ran;
}

ExitReport SendExitHostControl(IDevice& device, ISleeper& sleeper, const WorkerFlags& flags,
                               std::uint8_t value) {
  constexpr std::uint32_t kLookEveryMs = 10;
  for (std::uint32_t waited = 0; flags.Busy; waited += kLookEveryMs) {
    // A job that does not let go is stuck inside the device library; a report of ours would
    // be stuck behind it.
    if (waited >= kExitJobEndBoundMs) return ExitReport::JobStillRunning;
    sleeper.SleepMs(kLookEveryMs);
  }
  return SendHostControlWithin(device, sleeper, value, kExitAckBoundMs) == 1
             ? ExitReport::Acknowledged
             : ExitReport::NotAcknowledged;
}

}  // namespace karvo::monitor
