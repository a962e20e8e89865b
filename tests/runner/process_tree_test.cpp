// Ending a command's process tree against made-up process tables: ids that pass to another
// process during the walk, a parent that ends in the middle of it, the grace, and the kill
// with one deadline for the whole tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "runner/process_tree.h"

namespace framora {
namespace {

using ::testing::ElementsAre;

// A handle is a process's index plus one, so that a process that takes a used id is another
// process. Time moves only while the walk waits.
struct FakeTable : ProcessTable {
  struct Process {
    std::uint32_t id, parent;
    std::uint64_t created;
    bool running = true, stuck = false;
    std::uint64_t endsAt = 0;  // 0: only when ended
    int handles = 0;
  };
  Handle Spawn(std::uint32_t id, std::uint32_t parent) {
    EXPECT_EQ(Holder(id), 0u) << "id " << id << " is not free";
    processes.push_back({id, parent, ++clock});
    return processes.size();
  }
  Process& At(Handle h) { return processes.at(h - 1); }
  // The process that owns the id: a live one, or an ended one still held open.
  Handle Holder(std::uint32_t id) {
    for (std::size_t i = 0; i < processes.size(); ++i) {
      if (processes[i].id == id && (processes[i].running || processes[i].handles > 0)) return i + 1;
    }
    return 0;
  }
  std::vector<Entry> Snapshot() override {
    ++snapshots;
    if (beforeSnapshot) beforeSnapshot(snapshots);
    std::vector<Entry> entries;
    for (const Process& p : processes) {
      if (p.running) entries.push_back({p.id, p.parent});
    }
    if (afterSnapshot) afterSnapshot(snapshots);
    return entries;
  }
  std::uint32_t Id(Handle h) override { return At(h).id; }
  Handle Open(std::uint32_t id) override {
    const Handle h = Holder(id);
    if (h != 0) ++At(h).handles;
    return h;
  }
  void Close(Handle h) override { --At(h).handles; }
  std::optional<std::uint64_t> CreationTime(Handle h) override { return At(h).created; }
  std::uint64_t SystemTime() override { return ++clock; }
  bool Running(Handle h) override {
    return At(h).running = At(h).running && (At(h).endsAt == 0 || nowMs < At(h).endsAt);
  }
  void Terminate(Handle h, std::uint32_t) override {
    terminated.push_back(h);
    At(h).running = At(h).stuck;
  }
  void WaitForAny(std::span<const Handle> handles, std::uint32_t timeoutMs) override {
    std::uint64_t wake = nowMs + timeoutMs;
    for (const Handle h : handles) {
      EXPECT_TRUE(Running(h)) << "a wait on an ended process returns at once: it would spin";
      if (At(h).endsAt != 0) wake = std::min(wake, At(h).endsAt);
    }
    nowMs = wake;
  }
  std::uint64_t NowMs() override { return nowMs; }

  std::vector<Process> processes;
  std::function<void(int)> beforeSnapshot, afterSnapshot;  // with the snapshot's number
  std::vector<Handle> terminated;
  std::uint64_t clock = 100, nowMs = 0;
  int snapshots = 0;
};

class ProcessTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.Spawn(99, 1);         // someone else's
    root = table.Spawn(10, 5);  // cmd.exe, held from its start
    ++table.At(root).handles;
  }
  FakeTable table;
  ProcessTable::Handle root = 0;
};

TEST_F(ProcessTreeTest, AnIdThatPassesToAnotherProcessDuringTheWalkNeverMakesItAMember) {
  const auto child = table.Spawn(11, 10);
  table.afterSnapshot = [&](int n) {  // between the look and the opening
    if (n != 1) return;
    table.At(child).running = false;
    table.Spawn(11, 99);
  };
  const auto older = table.Spawn(12, 10);  // claims the root, but is older than it
  table.At(older).created = 1;
  {
    ProcessTree tree(table, root);
    EXPECT_FALSE(tree.Grow());
    tree.Terminate(0);
  }
  EXPECT_THAT(table.terminated, ElementsAre(root));
  for (const auto& p : table.processes)
    EXPECT_EQ(p.handles, p.id == 10 ? 1 : 0) << "let go: " << p.id;
}

TEST_F(ProcessTreeTest, ThreeGenerationsAreFoundWhenTheMiddleOneEndsDuringTheWalk) {
  const auto middle = table.Spawn(11, 10);
  const auto last = table.Spawn(12, 11);
  ProcessTable::Handle late = 0;
  table.beforeSnapshot = [&](int n) {
    if (n == 1) late = table.Spawn(13, 10);        // younger than the first look: looked up again
    if (n == 2) table.At(middle).running = false;  // opened by now, so its id stays its own
  };
  ProcessTree tree(table, root);
  EXPECT_TRUE(tree.Grow());
  EXPECT_THAT(tree.Running(), ElementsAre(root, late, last));
}

struct EndCase {
  const char* what;
  std::uint64_t endsAt;  // of the child and grandchild by themselves; 0: never
  bool stuck;            // termination does not take
  std::uint32_t graceMs;
  bool ended;
  std::uint64_t tookMs;
  std::size_t terminations;
  std::uint64_t hurryAt = 0;  // when the stop has to hurry; 0: never
};

class EndProcessTreeTest : public ProcessTreeTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndProcessTreeTest, GraceThenTheWholeTreeWithOneDeadline) {
  const EndCase& c = GetParam();
  const auto child = table.Spawn(11, 10);
  const auto grandchild = table.Spawn(12, 11);
  table.At(root).running = false;  // cmd.exe gone, FFmpeg still finishing its file
  table.At(child).endsAt = table.At(grandchild).endsAt = c.endsAt;
  table.At(grandchild).stuck = c.stuck;
  const auto hurry = [&] { return c.hurryAt != 0 && table.nowMs >= c.hurryAt; };
  EXPECT_EQ(EndProcessTree(table, root, c.graceMs, 2000, 0, hurry), c.ended) << c.what;
  EXPECT_EQ(table.nowMs, c.tookMs) << c.what;
  EXPECT_EQ(table.terminated.size(), c.terminations) << c.what;
  for (const auto& p : table.processes) EXPECT_EQ(p.handles, p.id == 10 ? 1 : 0) << c.what << p.id;
  EXPECT_LE(table.snapshots, static_cast<int>(c.tookMs / 100 + 20)) << "a look every 100 ms";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EndProcessTreeTest,
    ::testing::Values(EndCase{"ends within the grace", 250, false, 3000, true, 250, 0},
                      EndCase{"ignores the request", 0, false, 3000, true, 3000, 2},
                      EndCase{"no request reached it", 0, false, 0, true, 0, 2},
                      EndCase{"stuck in I/O", 0, true, 3000, false, 5000, 2},
                      EndCase{"hurried in the grace", 0, false, 3000, true, 400, 2, 350}));

}  // namespace
}  // namespace framora
