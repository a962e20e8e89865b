// Ties the commands the program runs to its life: they go into a job object that ends every
// process in it when its last handle closes, and only the program holds that handle, so a
// program that dies (a crash, TerminateProcess, a logoff) takes them along; a command cannot
// outlive it unseen. File > Exit lets them go on first (Release).
//
// One job for the life of the program, not one per run: a stop goes on after its console
// window and process host are gone, and must not be cut short by a handle closing with them.
#pragma once

#include "platform/win32/windows_api.h"

#include "platform/win32/win32_handles.h"

namespace framora::win32 {

class CommandJob {
 public:
  CommandJob();
  CommandJob(const CommandJob&) = delete;
  CommandJob& operator=(const CommandJob&) = delete;
  // Closes the job: whatever still runs in it ends, unless it was released.
  ~CommandJob() = default;

  // Puts a process into the job before it runs (it was created suspended); what it starts
  // joins the job by itself. False where the system refuses, as Windows 7 does for a program
  // that runs in a job of its own already; the command then runs untied.
  bool Adopt(HANDLE process);
  // The program ends and leaves its commands running: closing the job ends nothing any more.
  void Release();

 private:
  KernelHandle job_;
};

}  // namespace framora::win32
