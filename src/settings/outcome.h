// How a run of the program ended, for the caller that decides what happens next.
//
// The core has one error style. Inside a run, a failure that ends it is raised as an
// exception: RuntimeError for the printer and the program's own rules, FileFailure for the
// source and line files. The routine at the run's edge catches it once, shows its message
// through the prompt and returns an Outcome. Callers act on the Outcome alone: messages are
// shown through the prompt for the person reading them, never parsed or counted.
#pragma once

#include <optional>
#include <utility>

#include "settings/runtime_failure.h"

namespace quireon2 {

enum class OutcomeKind {
  kSucceeded,
  // The source, the line file made from it, or a setting its preparation needs (the page
  // limit, the tab width) could not be used.
  kSourceFailed,
  // The printer failed or refused a setting.
  kPrinterFailed,
  // Cancel at the prompt between the two sides: only the first sides were printed.
  kCancelled,
};

struct Outcome {
  OutcomeKind kind = OutcomeKind::kSucceeded;
  // The failure that ended the run, where there was one. On success: a printer failure the
  // run showed and went on past with the numbers it had before, as the window does.
  std::optional<RuntimeFailure> failure;

  static Outcome Succeeded() { return {}; }
  static Outcome WentOnPast(RuntimeFailure failure) {
    return {OutcomeKind::kSucceeded, std::move(failure)};
  }
  static Outcome SourceFailed(std::optional<RuntimeFailure> failure = std::nullopt) {
    return {OutcomeKind::kSourceFailed, std::move(failure)};
  }
  static Outcome PrinterFailed(std::optional<RuntimeFailure> failure = std::nullopt) {
    return {OutcomeKind::kPrinterFailed, std::move(failure)};
  }
  static Outcome Cancelled() { return {OutcomeKind::kCancelled, std::nullopt}; }

  bool ok() const { return kind == OutcomeKind::kSucceeded; }
  // True on success, so a caller that only goes on or stops reads "if (!PrePrint1(p))".
  explicit operator bool() const { return ok(); }
};

}  // namespace quireon2
