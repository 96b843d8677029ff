// Ending cleanly on SIGINT, SIGTERM and SIGHUP: the files a run is making are removed and an
// open print job is cancelled before the process ends with the signal's own status. Only
// SIGKILL can leave anything behind.
#pragma once

#include <signal.h>

#include <functional>
#include <string>

namespace quireon2 {

// The terminal command: a signal removes the files named by RemoveOnSignal and ends the
// process at once (its default action, so the status is 128 + the signal), unless
// HeldSignals holds it or the filter takes it.
void EndOnSignals();

// The window: a signal only writes its number to the returned descriptor, which the event
// loop watches; EndIfSignalled() then ends the process in ordinary code. A second signal
// ends it at once. -1 when no socket can be made: signals then end the process at once, as
// EndOnSignals() has them do.
int SignalsToDescriptor();

// Run from the signal handler before anything else: true when the signal is dealt with
// (the terminal's prompt takes Ctrl-C as Cancel). Must be async-signal-safe.
void SetSignalFilter(bool (*filter)(int signal_number));

// How the program ends for a signal seen in ordinary code. Unset: EndForSignal.
void SetSignalEnd(std::function<void(int signal_number)> end);

// The files removed when a signal ends the process, up to a few at a time. Forgetting a
// path that was never named is harmless.
void RemoveOnSignal(const std::string& path);
void ForgetOnSignal(const std::string& path);

// While one exists a signal is only noted, so ordinary code can undo what it started (a
// print job being sent) and then call EndIfSignalled(); the last one to go calls it too. A
// second signal ends the process at once.
class HeldSignals {
 public:
  HeldSignals();
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;
};

// Keeps SIGINT, SIGTERM and SIGHUP from being handled on this thread while it lives: for the
// moment between making a file and naming it to RemoveOnSignal.
class BlockedSignals {
 public:
  BlockedSignals();
  ~BlockedSignals();
  BlockedSignals(const BlockedSignals&) = delete;
  BlockedSignals& operator=(const BlockedSignals&) = delete;

 private:
  sigset_t saved_;  // the thread's previous mask
};

// The signal noted and not yet acted on; 0 when there is none.
int PendingSignal();

// Ends the process through the SetSignalEnd function when a signal is pending; returns
// otherwise.
void EndIfSignalled();

// Removes the files named by RemoveOnSignal and ends the process by the signal's default
// action.
[[noreturn]] void EndForSignal(int signal_number);

}  // namespace quireon2
