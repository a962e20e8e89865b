// The process table of the tree walk over Toolhelp snapshots and process handles. cmd.exe runs
// FFmpeg as a child of its own, and a job object does not help everywhere (a process already in
// a job may refuse another on Windows 7, and Wine 8 ends only the job's first process), so the
// tree is found from the root down (see runner/process_tree.h).
#pragma once

#include "runner/process_tree.h"

namespace framora::win32 {

class Win32ProcessTable final : public ProcessTable {
 public:
  std::vector<Entry> Snapshot() override;
  std::uint32_t Id(Handle process) override;
  Handle Open(std::uint32_t id) override;
  void Close(Handle process) override;
  std::optional<std::uint64_t> CreationTime(Handle process) override;
  std::uint64_t SystemTime() override;
  bool Running(Handle process) override;
  void Terminate(Handle process, std::uint32_t exitCode) override;
  void WaitForAny(std::span<const Handle> processes, std::uint32_t timeoutMs) override;
  std::uint64_t NowMs() override;
};

}  // namespace framora::win32
