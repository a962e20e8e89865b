// Ending a process together with everything it started. cmd.exe runs FFmpeg as a child of its
// own; ending cmd.exe alone leaves FFmpeg running, and a job object does not help everywhere
// (a process already in a job may refuse another on Windows 7, and Wine 8 ends only the job's
// first process). So the tree is found by walking a process snapshot from the root down.
#pragma once

#include "platform/win32/windows_api.h"

namespace framora::win32 {

// Terminates the root and, level by level, every process whose parent is in the tree and that
// started after that parent (process ids are reused once a process has gone). Looks again
// after each level has been ended, so that a process started in the meantime is found too.
// True when every process found has ended.
bool EndProcessTree(HANDLE root, UINT exitCode);

// Whether the root or any process of its tree (found the same way) still runs.
bool ProcessTreeRunning(HANDLE root);

}  // namespace framora::win32
