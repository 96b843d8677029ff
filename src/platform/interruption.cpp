// Ending cleanly on SIGINT, SIGTERM and SIGHUP. The handler does only what is safe in a
// signal handler: it unlinks the named files and re-raises, or notes the signal and writes
// it to a socket.
#include "platform/interruption.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace quireon2 {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A slot of the file list: free, being written or read by ordinary code, or naming a file.
enum SlotState : int { kFree, kBusy, kNamed };
constexpr int kSlots = 8;
constexpr std::size_t kPathMax = 4096;
struct Slot {
  std::atomic<int> state{kFree};
  char path[kPathMax];
};
Slot g_slots[kSlots];

std::atomic<int> g_pending{0};
std::atomic<int> g_held{0};
std::atomic<int> g_notify_fd{-1};
std::atomic<bool (*)(int)> g_filter{nullptr};
std::function<void(int)> g_end;

static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free atomics");

void UnlinkNamedFiles() {
  for (Slot& slot : g_slots) {
    if (slot.state.load() == kNamed) ::unlink(slot.path);
  }
}

void OnSignal(int signal_number) {
  const int saved_errno = errno;
  bool (*filter)(int) = g_filter.load();
  if (filter != nullptr && filter(signal_number)) {
    errno = saved_errno;
    return;
  }
  const int fd = g_notify_fd.load();
  int expected = 0;
  // A second signal does not wait for ordinary code that may be stuck.
  if ((fd >= 0 || g_held.load() > 0) &&
      g_pending.compare_exchange_strong(expected, signal_number)) {
    if (fd >= 0) {
      const char byte = static_cast<char>(signal_number);
      [[maybe_unused]] ssize_t written = ::write(fd, &byte, 1);  // a full socket already has one
    }
    errno = saved_errno;
    return;
  }
  UnlinkNamedFiles();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void Install() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : kSignals) sigaddset(&action.sa_mask, signal_number);
  action.sa_flags = 0;  // no restart: a read waiting for Enter returns on Ctrl-C
  for (int signal_number : kSignals) ::sigaction(signal_number, &action, nullptr);
}

}  // namespace

void EndOnSignals() { Install(); }

int SignalsToDescriptor() {
  int fds[2];
  const bool made = ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) == 0;
  if (made) g_notify_fd.store(fds[1]);
  Install();
  return made ? fds[0] : -1;
}

void SetSignalFilter(bool (*filter)(int)) { g_filter.store(filter); }

void SetSignalEnd(std::function<void(int)> end) { g_end = std::move(end); }

void RemoveOnSignal(const std::string& path) {
  if (path.empty() || path.size() >= kPathMax) return;
  for (Slot& slot : g_slots) {
    int expected = kFree;
    if (!slot.state.compare_exchange_strong(expected, kBusy)) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.state.store(kNamed);
    return;
  }
}

void ForgetOnSignal(const std::string& path) {
  for (Slot& slot : g_slots) {
    if (slot.state.load() == kNamed && path == slot.path) slot.state.store(kFree);
  }
}

HeldSignals::HeldSignals() { g_held.fetch_add(1); }
HeldSignals::~HeldSignals() {
  // A signal noted after the holder's last look still ends the process.
  if (g_held.fetch_sub(1) == 1) EndIfSignalled();
}

BlockedSignals::BlockedSignals() {
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int signal_number : kSignals) sigaddset(&blocked, signal_number);
  pthread_sigmask(SIG_BLOCK, &blocked, &saved_);
}

BlockedSignals::~BlockedSignals() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

int PendingSignal() { return g_pending.load(); }

void EndIfSignalled() {
  const int signal_number = g_pending.load();
  if (signal_number == 0) return;
  if (g_end) g_end(signal_number);
  EndForSignal(signal_number);
}

void EndForSignal(int signal_number) {
  UnlinkNamedFiles();
  ::signal(signal_number, SIG_DFL);
  sigset_t unblocked;
  sigemptyset(&unblocked);
  sigaddset(&unblocked, signal_number);
  pthread_sigmask(SIG_UNBLOCK, &unblocked, nullptr);
  ::raise(signal_number);
  ::_exit(128 + signal_number);  // the signal was ignored by someone after all
}

}  // namespace quireon2
