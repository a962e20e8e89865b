#include "platform/win32/win32_process_tree.h"

// Needs <windows.h> first.
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace framora::win32 {

namespace {

// Rounds of looking for children that appeared while their parents were being ended.
constexpr int kRounds = 8;
// How long the ended processes get to be gone; termination is asynchronous.
constexpr DWORD kGoneMs = 5000;

struct Member {
  DWORD id = 0;
  HANDLE handle = nullptr;  // owned by `owner`, or the caller's root
  KernelHandle owner;
  ULONGLONG created = 0;
  bool ended = false;
};

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::vector<PROCESSENTRY32W> Snapshot() {
  std::vector<PROCESSENTRY32W> entries;
  KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return entries;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    entries.push_back(entry);
  }
  return entries;
}

const Member* Find(const std::vector<Member>& tree, DWORD id) {
  const auto found =
      std::find_if(tree.begin(), tree.end(), [id](const Member& m) { return m.id == id; });
  return found == tree.end() ? nullptr : &*found;
}

// Adds the processes of a fresh snapshot that descend from the tree; true when any was added.
bool AddDescendants(std::vector<Member>& tree) {
  const std::vector<PROCESSENTRY32W> entries = Snapshot();
  bool added = false;
  // A child may be listed before its parent: go over the list until nothing new turns up.
  for (bool grown = true; grown;) {
    grown = false;
    for (const PROCESSENTRY32W& entry : entries) {
      if (entry.th32ProcessID == 0 || Find(tree, entry.th32ProcessID) != nullptr) continue;
      const Member* parent = Find(tree, entry.th32ParentProcessID);
      if (parent == nullptr) continue;
      KernelHandle process(::OpenProcess(
          PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID));
      if (!process) continue;
      const ULONGLONG created = CreationTime(process.get());
      // Its parent's id, but given to a process older than the parent: a parent of the same id
      // that is gone, so not one of ours.
      if (parent->created != 0 && created < parent->created) continue;
      Member member;
      member.id = entry.th32ProcessID;
      member.handle = process.get();
      member.owner = std::move(process);
      member.created = created;
      tree.push_back(std::move(member));
      grown = added = true;
    }
  }
  return added;
}

std::vector<Member> Root(HANDLE root) {
  std::vector<Member> tree;
  Member first;
  first.id = ::GetProcessId(root);
  first.handle = root;
  first.created = CreationTime(root);
  tree.push_back(std::move(first));
  return tree;
}

bool Running(const Member& member) {
  return ::WaitForSingleObject(member.handle, 0) == WAIT_TIMEOUT;
}

}  // namespace

bool ProcessTreeRunning(HANDLE root) {
  std::vector<Member> tree = Root(root);
  if (Running(tree.front())) return true;
  AddDescendants(tree);
  return std::any_of(tree.begin(), tree.end(), Running);
}

bool EndProcessTree(HANDLE root, UINT exitCode) {
  std::vector<Member> tree = Root(root);

  AddDescendants(tree);
  for (int round = 0; round < kRounds; ++round) {
    // Parents before children, so that a parent cannot start another while it is being ended.
    for (Member& member : tree) {
      if (member.ended) continue;
      member.ended = true;
      if (Running(member)) ::TerminateProcess(member.handle, exitCode);
    }
    if (!AddDescendants(tree)) break;  // nobody started anything meanwhile
  }

  bool allGone = true;
  for (const Member& member : tree) {
    allGone = ::WaitForSingleObject(member.handle, kGoneMs) == WAIT_OBJECT_0 && allGone;
  }
  return allGone;
}

}  // namespace framora::win32
