#pragma once
// The configuration worker's message handling: which job a 1649 message starts, the busy and
// cancel flags around it, and what is posted when it ends. The jobs themselves are behind
// IWorkerJobs; the thread and its message loop are the caller's.
#include <atomic>
#include <cstdint>
#include <functional>

#include "monitor/config_transfer.h"
#include "monitor/device.h"
#include "monitor/monitor_core.h"

namespace karvo::monitor {

class IWorkerJobs {
 public:
  virtual ~IWorkerJobs() = default;
  // Upload of the changed settings, or of the device defaults when restoreDefaults.
  virtual void Upload(bool restoreDefaults) = 0;
  // Whole configuration back from the mouse, followed by the host-control report when it
  // was read.
  virtual void ReadBack() = 0;
  virtual void SendCurrentProfile() = 0;
  // 1256 to the configurator window, when it exists.
  virtual void PostApplyFinished() = 0;
};

enum class WorkerOutcome { Dropped, Ran };

class ConfigWorker {
 public:
  using StateReader = std::function<DeviceState()>;
  ConfigWorker(IWorkerJobs& jobs, WorkerFlags& flags, const std::atomic<DeviceState>& state)
      : ConfigWorker(jobs, flags, [&state] { return state.load(); }) {}
  ConfigWorker(IWorkerJobs& jobs, WorkerFlags& flags, StateReader state)
      : m_jobs(jobs), m_flags(flags), m_state(std::move(state)) {}

  // One 1649 message taken from the queue.
  WorkerOutcome Handle(std::uintptr_t job, std::intptr_t param);

 private:
  bool MayRun() const;

  IWorkerJobs& m_jobs;
  WorkerFlags& m_flags;
  StateReader m_state;
};

// The exit's host-control report. The running job has been told to stop; it is given
// kExitJobEndBoundMs to let go of the mouse, so that the two never read each other's status
// replies, and the report's acknowledgement is awaited for kExitAckBoundMs at most: a mouse that
// answers busy for ever holds the exit up for 1.3 s at most.
inline constexpr std::uint32_t kExitJobEndBoundMs = 300;
inline constexpr std::uint32_t kExitAckBoundMs = 1000;
enum class ExitReport { Acknowledged, NotAcknowledged, JobStillRunning };
ExitReport SendExitHostControl(IDevice& device, ISleeper& sleeper, const WorkerFlags& flags,
                               std::uint8_t value);

}  // namespace karvo::monitor
