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

WorkerOutcome ConfigWorker::Handle(std::uintptr_t job, std::intptr_t param) {
  if (m_state.load() != DeviceState::Present || m_flags.Stopping) return Drop(m_jobs, job);
  m_flags.Busy = true;
  m_flags.Cancel = false;
  // Looked at again after Busy is set: the exit either sees this job busy and cancels it, or
  // this job sees the exit.
  if (m_flags.Stopping) {
    m_flags.Busy = false;
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
  m_flags.Busy = false;
  return WorkerOutcome::Ran;
}

}  // namespace karvo::monitor
