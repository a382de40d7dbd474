// One owner for a system handle: it closes the handle once, when it goes or
// takes another, and it moves but never copies. The traits name the handle's
// type and how one is closed:
//   struct Traits { using Handle = ...; static void Close(Handle); };
// Null and all bits set (the value of a failed CreateFile) both mean "none".
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

namespace base {

template <class Traits>
class UniqueHandle {
 public:
  using handle_type = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(handle_type handle) noexcept { SetHandle(handle); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, handle_type{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) SetHandle(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { SetHandle(handle_type{}); }

  handle_type Handle() const noexcept { return handle_; }
  bool Empty() const noexcept { return !Valid(handle_); }
  explicit operator bool() const noexcept { return Valid(handle_); }

  // Closes the handle held (unless it is the one given) and keeps the new one.
  void SetHandle(handle_type handle) noexcept {
    if (handle == handle_) return;
    const handle_type old = std::exchange(handle_, handle);
    if (Valid(handle)) ++live_;
    if (Valid(old)) {
      Traits::Close(old);
      --live_;
    }
  }
  // Gives the handle away; nothing closes it here any more.
  handle_type Release() noexcept {
    if (Valid(handle_)) --live_;
    return std::exchange(handle_, handle_type{});
  }

  // How many handles of this kind owners hold right now, across the program.
  static long Live() noexcept { return live_; }

 private:
  static bool Valid(handle_type h) noexcept {
    return h != handle_type{} && h != reinterpret_cast<handle_type>(~uintptr_t(0));
  }
  handle_type handle_{};
  static inline std::atomic<long> live_{0};
};

}  // namespace base

#ifdef _WIN32
#include <windows.h>

namespace base {
struct KernelHandleTraits {
  using Handle = HANDLE;
  static void Close(HANDLE h) { CloseHandle(h); }
};
// Files, events, processes: whatever CloseHandle closes.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
}  // namespace base
#endif
