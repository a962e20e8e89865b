// Owners of the Win32 handles the adapters hold, each released exactly once on every path.
#pragma once

#include "platform/win32/windows_api.h"

#include <utility>

namespace framora::win32 {

// Traits: the handle type, which values are real handles, and how one is released.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  // Address for the functions that hand out a handle through a pointer; releases first.
  Handle* put() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    const Handle old = std::exchange(handle_, handle);
    if (Traits::Valid(old)) Traits::Release(old);
  }

 private:
  Handle handle_{};
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Release(HANDLE h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Release(HANDLE h) { ::FindClose(h); }
};

struct KeyHandleTraits {
  using Handle = HKEY;
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Release(HKEY h) { ::RegCloseKey(h); }
};

// Kernel objects: processes, threads, pipe ends.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// A FindFirstFileA search.
using FindHandle = UniqueHandle<FindHandleTraits>;
// An open registry key.
using KeyHandle = UniqueHandle<KeyHandleTraits>;

}  // namespace framora::win32
