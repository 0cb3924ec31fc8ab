#include "monitor/config_worker.h"

#include "monitor/monitor_messages.h"

namespace karvo::monitor {

WorkerOutcome ConfigWorker::Handle(std::uintptr_t job, std::intptr_t param) {
  if (m_state.load() != DeviceState::Present || m_flags.Stopping) return WorkerOutcome::Dropped;
  m_flags.Busy = 1;
  m_flags.Cancel = 0;
  switch (job) {
    case kJobUpload:
      m_jobs.Upload(param == 1);
      m_jobs.PostApplyFinished();
      break;
    case kJobReadBack:
      if (m_jobs.ReadBack()) m_jobs.SendHostControl(1);
      break;
    case kJobCurrentProfile:
      m_jobs.SendCurrentProfile();
      break;
    default:
      break;
  }
  m_flags.Busy = 0;
  return WorkerOutcome::Ran;
}

}  // namespace karvo::monitor
