// Ending a command together with everything it started, where the system keeps no group of
// them (Windows: cmd.exe runs FFmpeg as a child of its own, and ending cmd.exe alone leaves
// FFmpeg running). The tree is found by walking process snapshots from the root down, which
// the system answers through ProcessTable; tests answer it with made-up snapshots.
//
// Process ids are reused once a process and every handle to it are gone, so an id in a
// snapshot may name another process by the time it is opened. Members' handles are kept until
// the walk ends, so that no member's id can pass to anyone else meanwhile; a process listed
// as a member's child becomes a member only when, with its handle held (so that its id is its
// own), it was created no earlier than that member, and either before the snapshot was taken
// or a later snapshot still names that member as its parent. A process that took the id after
// the snapshot has another parent, or is younger than the snapshot and not listed as the
// member's child, and is let go unharmed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace framora {

class ProcessTable {
 public:
  using Handle = std::uintptr_t;  // 0 is "none"
  struct Entry {
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;
  };

  virtual ~ProcessTable() = default;
  // The processes that exist now, each with the id of the process that created it.
  virtual std::vector<Entry> Snapshot() = 0;
  virtual std::uint32_t Id(Handle process) = 0;
  // A handle that allows ending the process, waiting for it and asking when it was created;
  // 0 when there is no such process, or it may not be opened.
  virtual Handle Open(std::uint32_t id) = 0;
  virtual void Close(Handle process) = 0;
  // When the process was created, on the system's clock; nothing when that cannot be known.
  virtual std::optional<std::uint64_t> CreationTime(Handle process) = 0;
  // Now, on the same clock.
  virtual std::uint64_t SystemTime() = 0;
  virtual bool Running(Handle process) = 0;
  virtual void Terminate(Handle process, std::uint32_t exitCode) = 0;
  // Returns when one of the processes has ended, or after timeoutMs.
  virtual void WaitForAny(std::span<const Handle> processes, std::uint32_t timeoutMs) = 0;
  // Milliseconds of a steady clock.
  virtual std::uint64_t NowMs() = 0;
};

class ProcessTree {
 public:
  // The root stays the caller's; every other member's handle is the tree's.
  ProcessTree(ProcessTable& table, ProcessTable::Handle root);
  ~ProcessTree();
  ProcessTree(const ProcessTree&) = delete;
  ProcessTree& operator=(const ProcessTree&) = delete;

  // Adds the descendants that fresh snapshots show; true when any was added.
  bool Grow();
  // The members that still run.
  std::vector<ProcessTable::Handle> Running() const;
  // Ends every member that still runs, parents before children.
  void Terminate(std::uint32_t exitCode);
  std::size_t Size() const { return members_.size(); }

 private:
  struct Member {
    std::uint32_t id = 0;
    ProcessTable::Handle handle = 0;
    std::optional<std::uint64_t> created;
  };
  const Member* Find(std::uint32_t id) const;

  ProcessTable& table_;
  std::vector<Member> members_;  // the root first
};

// Gives the tree of `root` graceMs to end by itself, then ends whatever of it still runs and
// waits at most killWaitMs, one deadline for all of them, for it to be gone. Waits without
// spinning: only on members that still run. True when the whole tree has ended. The grace ends
// early once `hurry` says so (the program has only moments left).
bool EndProcessTree(ProcessTable& table, ProcessTable::Handle root, std::uint32_t graceMs,
                    std::uint32_t killWaitMs, std::uint32_t exitCode,
                    const std::function<bool()>& hurry = {});

}  // namespace framora
