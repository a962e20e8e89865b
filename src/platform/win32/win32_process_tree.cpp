#include "platform/win32/win32_process_tree.h"

#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>

#include "platform/win32/win32_handles.h"

namespace framora::win32 {

namespace {
HANDLE ToHandle(ProcessTable::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
}  // namespace

std::vector<ProcessTable::Entry> Win32ProcessTable::Snapshot() {
  std::vector<Entry> entries;
  KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return entries;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    entries.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
  }
  return entries;
}

std::uint32_t Win32ProcessTable::Id(Handle process) { return ::GetProcessId(ToHandle(process)); }

ProcessTable::Handle Win32ProcessTable::Open(std::uint32_t id) {
  return reinterpret_cast<Handle>(
      ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, id));
}

void Win32ProcessTable::Close(Handle process) { ::CloseHandle(ToHandle(process)); }

std::optional<std::uint64_t> Win32ProcessTable::CreationTime(Handle process) {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!::GetProcessTimes(ToHandle(process), &created, &exited, &kernel, &user)) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::uint64_t Win32ProcessTable::SystemTime() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool Win32ProcessTable::Running(Handle process) {
  return ::WaitForSingleObject(ToHandle(process), 0) == WAIT_TIMEOUT;
}

void Win32ProcessTable::Terminate(Handle process, std::uint32_t exitCode) {
  ::TerminateProcess(ToHandle(process), exitCode);
}

void Win32ProcessTable::WaitForAny(std::span<const Handle> processes, std::uint32_t timeoutMs) {
  // One wait takes at most MAXIMUM_WAIT_OBJECTS; the rest are looked at on the next pass.
  HANDLE handles[MAXIMUM_WAIT_OBJECTS];
  const std::size_t count = std::min<std::size_t>(processes.size(), MAXIMUM_WAIT_OBJECTS);
  for (std::size_t i = 0; i < count; ++i) handles[i] = ToHandle(processes[i]);
  if (count == 0) {
    ::Sleep(timeoutMs);
    return;
  }
  ::WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE, timeoutMs);
}

std::uint64_t Win32ProcessTable::NowMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace framora::win32
