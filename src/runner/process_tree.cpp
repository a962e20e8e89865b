#include "runner/process_tree.h"

#include <algorithm>
#include <set>

namespace framora {

namespace {

using Handle = ProcessTable::Handle;

// How often a waiting tree is looked at again for processes it has started meanwhile.
constexpr std::uint32_t kLookAgainMs = 100;
// Rounds of ending what was started while its parents were being ended.
constexpr int kKillRounds = 8;

const ProcessTable::Entry* Listed(const std::vector<ProcessTable::Entry>& entries,
                                  std::uint32_t id) {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [id](const ProcessTable::Entry& e) { return e.id == id; });
  return found == entries.end() ? nullptr : &*found;
}

}  // namespace

ProcessTree::ProcessTree(ProcessTable& table, Handle root) : table_(table) {
  members_.push_back({table.Id(root), root, table.CreationTime(root)});
}

ProcessTree::~ProcessTree() {
  for (std::size_t i = 1; i < members_.size(); ++i) table_.Close(members_[i].handle);
}

const ProcessTree::Member* ProcessTree::Find(std::uint32_t id) const {
  const auto found =
      std::find_if(members_.begin(), members_.end(), [id](const Member& m) { return m.id == id; });
  return found == members_.end() ? nullptr : &*found;
}

bool ProcessTree::Grow() {
  struct Candidate {
    ProcessTable::Entry entry;
    Handle handle;
  };
  bool added = false;
  std::set<std::uint32_t> refused;
  std::uint64_t takenAfter = table_.SystemTime();
  std::vector<ProcessTable::Entry> entries = table_.Snapshot();
  for (;;) {
    // Children of members, opened: from now on their ids cannot pass to another process.
    std::vector<Candidate> candidates;
    for (const ProcessTable::Entry& entry : entries) {
      if (entry.id == 0 || Find(entry.id) != nullptr || refused.contains(entry.id)) continue;
      if (Find(entry.parentId) == nullptr) continue;
      if (const Handle handle = table_.Open(entry.id)) candidates.push_back({entry, handle});
    }
    if (candidates.empty()) return added;
    // Those the snapshot cannot vouch for, being younger than it, are looked up again.
    const std::uint64_t listedBefore = takenAfter;
    takenAfter = table_.SystemTime();
    entries = table_.Snapshot();
    for (const Candidate& candidate : candidates) {
      const Member* parent = Find(candidate.entry.parentId);
      const std::optional<std::uint64_t> created = table_.CreationTime(candidate.handle);
      const ProcessTable::Entry* now = Listed(entries, candidate.entry.id);
      const bool child =
          parent != nullptr && created && parent->created && *created >= *parent->created &&
          (*created < listedBefore || (now != nullptr && now->parentId == parent->id));
      if (child) {
        members_.push_back({candidate.entry.id, candidate.handle, created});
        added = true;
      } else {
        refused.insert(candidate.entry.id);
        table_.Close(candidate.handle);
      }
    }
  }
}

std::vector<Handle> ProcessTree::Running() const {
  std::vector<Handle> running;
  for (const Member& member : members_) {
    if (table_.Running(member.handle)) running.push_back(member.handle);
  }
  return running;
}

void ProcessTree::Terminate(std::uint32_t exitCode) {
  for (const Member& member : members_) {
    if (table_.Running(member.handle)) table_.Terminate(member.handle, exitCode);
  }
}

bool EndProcessTree(ProcessTable& table, Handle root, std::uint32_t graceMs,
                    std::uint32_t killWaitMs, std::uint32_t exitCode,
                    const std::function<bool()>& hurry) {
  ProcessTree tree(table, root);
  const std::uint64_t graceEnd = table.NowMs() + graceMs;
  for (;;) {
    tree.Grow();
    const std::vector<Handle> running = tree.Running();
    if (running.empty()) return true;
    const std::uint64_t now = table.NowMs();
    if (now >= graceEnd || (hurry && hurry())) break;
    table.WaitForAny(
        running, static_cast<std::uint32_t>(std::min<std::uint64_t>(graceEnd - now, kLookAgainMs)));
  }
  // Parents first, so that none can start another child while it is being ended; then what
  // was started meanwhile.
  for (int round = 0; round < kKillRounds; ++round) {
    tree.Terminate(exitCode);
    if (!tree.Grow()) break;
  }
  const std::uint64_t deadline = table.NowMs() + killWaitMs;
  for (;;) {
    const std::vector<Handle> running = tree.Running();
    if (running.empty()) return true;
    const std::uint64_t now = table.NowMs();
    if (now >= deadline) return false;
    table.WaitForAny(running, static_cast<std::uint32_t>(deadline - now));
  }
}

}  // namespace framora
