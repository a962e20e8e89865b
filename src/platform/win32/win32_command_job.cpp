#include "platform/win32/win32_command_job.h"

namespace framora::win32 {

namespace {

bool SetKillOnClose(HANDLE job, bool kill) {
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = kill ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
  return ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits) != FALSE;
}

}  // namespace

// Not inheritable (no attributes): a child holding the handle would keep its own job alive.
CommandJob::CommandJob() : job_(::CreateJobObjectW(nullptr, nullptr)) {
  if (job_ && !SetKillOnClose(job_.get(), true)) job_.reset();
}

bool CommandJob::Adopt(HANDLE process) {
  return job_ && ::AssignProcessToJobObject(job_.get(), process) != FALSE;
}

void CommandJob::Release() {
  if (job_) SetKillOnClose(job_.get(), false);
}

}  // namespace framora::win32
