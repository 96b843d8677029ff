#include "printing/print_runs.h"

#include <exception>
#include <limits>
#include <memory>
#include <string>

#include "printing/constants.h"
#include "printing/page_order.h"
#include "printing/printer_surface.h"
#include "settings/capability.h"
#include "settings/prompt.h"
#include "textprep/status_sink.h"

namespace quireon2 {
namespace {

constexpr char kCompleted[] = "Printing Completed";

RuntimeFailure AsFailure(const std::exception& e) {
  if (auto* runtime = dynamic_cast<const RuntimeError*>(&e)) return runtime->failure();
  return {0, e.what()};
}

// A page number as the 16-bit side record keeps it; a number too large for it is beyond
// any text (at most 32766 pages) and is recorded as 0, a blank cell.
Integer SideRecord(long page) {
  return page <= std::numeric_limits<Integer>::max() ? static_cast<Integer>(page) : 0;
}

// What a run must undo when it fails: the job it opened and a duplex value it changed, so
// the printer is left as the run found it and the next run starts a job of its own.
class RunGuard {
 public:
  explicit RunGuard(Program& p) : p_(p) {}

  // Sets duplex 3 for a two-sided job, remembering the value to put back.
  void StartDuplex() {
    const int saved = p_.surface().Duplex();
    p_.surface().SetDuplex(kDuplexShortEdge);
    saved_duplex_ = saved;
  }
  void EndDuplex() {
    if (!saved_duplex_) return;
    const int saved = *saved_duplex_;
    saved_duplex_.reset();
    p_.surface().SetDuplex(saved);
  }

  // Drops the open job, puts the duplex value back and shows the failure.
  RunResult Fail(const RuntimeFailure& failure) {
    try {
      p_.surface().AbortDoc();
    } catch (const std::exception&) {
      // The job is gone either way; the failure that stopped the run is the one to show.
    }
    if (saved_duplex_) {
      try {
        p_.surface().SetDuplex(*saved_duplex_);
      } catch (const std::exception&) {
      }
      saved_duplex_.reset();
    }
    p_.prompt().Show(failure.number == kInvalidPropertyValue ? kUnsupportedFeature
                                                             : failure.description);
    return {RunEnd::kFailed, failure};
  }

 private:
  Program& p_;
  std::optional<int> saved_duplex_;
};

// The prompt between the passes; true to go on with the second sides.
bool AskForSecondSides(Program& p) {
  return p.prompt().Ask(PaperPrompt(p.settings().PrinterMode), Buttons::kOkCancel) ==
         Answer::kOk;
}

// Cancel at the prompt: the first pass has already ended its job with EndDoc, so nothing
// more goes to the printer (a further EndDoc would feed an empty sheet).
RunResult Cancelled(Program& p, std::unique_ptr<LineFileReader>& file) {
  file.reset();
  p.status().ShowStatus(kCompleted);
  return {RunEnd::kCancelled, std::nullopt};
}

// The first steps of the booklet runs, before their failure handling: the caption, the
// line file opened, "Printing Side 1". A failure here is left to the Print Now handler.
std::optional<RuntimeFailure> OpenBookletRun(Program& p, std::unique_ptr<LineFileReader>& file) {
  try {
    p.status().ShowStatus("Printing " + LayoutCaption(p.settings().Layout));
    file = std::make_unique<LineFileReader>(p.prep.LineFilePath);
    p.status().ShowStatus("Printing Side 1");
  } catch (const std::exception& e) {
    file.reset();
    return AsFailure(e);
  }
  return std::nullopt;
}

void EndSide(Program& p, bool last) {
  if (last) {
    p.surface().EndDoc();
  } else {
    p.surface().NewPage();
  }
}

void DrawSide(Program& p, LineFileReader& file, SidePages pages, bool last) {
  p.print.LeftPage = SideRecord(pages.left);
  p.print.RightPage = SideRecord(pages.right);
  p.print.CellIndex = 2;
  RenderPage(p, file, pages.right);
  p.print.CellIndex = 1;
  RenderPage(p, file, pages.left);
  EndSide(p, last);
}

}  // namespace

void PrintBookletSide(Program& p, LineFileReader& file, int side, long sheet, bool last) {
  DrawSide(p, file, BookletSide(p.prep.SheetCount, sheet, side), last);
}

void PrintSignatureSide(Program& p, LineFileReader& file, int side, long sheet, long signature,
                        bool last) {
  DrawSide(p, file, SignatureSide(p.print.SheetsPerSig, signature, sheet, side), last);
}

RunResult PrintNUp(Program& p) {
  RunGuard guard(p);
  try {
    const Settings& s = p.settings();
    p.status().ShowStatus("Printing " + LayoutCaption(s.Layout));
    PrinterSurface& surface = p.surface();
    surface.SetScaleMode(1);
    surface.SetOrientation(p.prep.PrintOrientation);
    if (s.Layout < 0 || s.Layout >= static_cast<int>(p.settings_state.layouts.size())) {
      RaiseFailure(9, "Subscript out of range");
    }
    const LayoutRecord& record = p.settings_state.layouts[s.Layout];
    surface.SetFontName(record.font_name);
    surface.SetFontSize(record.font_size);

    LineFileReader file(p.prep.LineFilePath);
    const long total = p.prep.TotalPages;
    for (long page = 1; page <= total; ++page) {
      p.status().SetProgress(total, page);
      const NUpPlace place = NUpPlacement(s.Layout, page, total);
      p.print.CellIndex = static_cast<Integer>(place.cell);
      RenderPage(p, file, page);
      if (place.ends_side) EndSide(p, page == total);
    }
    file.Close();
    p.status().ShowStatus(kCompleted);
    return {RunEnd::kCompleted, std::nullopt};
  } catch (const std::exception& e) {
    return guard.Fail(AsFailure(e));
  }
}

RunResult PrintBooklet(Program& p) {
  std::unique_ptr<LineFileReader> file;
  if (auto failure = OpenBookletRun(p, file)) return {RunEnd::kNotStarted, failure};

  RunGuard guard(p);
  try {
    PrinterSurface& surface = p.surface();
    StatusSink& status = p.status();
    surface.SetOrientation(p.prep.PrintOrientation);
    const long n = p.prep.SheetCount;
    const int mode = p.settings().PrinterMode;
    switch (mode) {
      case 0:
      case 1:
      case 3:
        for (long s = 1; s <= n; ++s) {
          status.SetProgress(n, s);
          PrintBookletSide(p, *file, 1, s, s == n);
        }
        if (!AskForSecondSides(p)) return Cancelled(p, file);
        status.ShowStatus("Printing Side 2");
        surface.SetOrientation(p.prep.PrintOrientation);
        if (mode == 1) {
          // The flipped stack comes back last sheet on top.
          for (long s = n; s >= 1; --s) {
            PrintBookletSide(p, *file, 2, s, s == 1);
            status.SetProgress(n, n - s);
          }
        } else {
          for (long s = 1; s <= n; ++s) {
            status.SetProgress(n, s);
            PrintBookletSide(p, *file, 2, s, s == n);
          }
        }
        break;
      case 2:
        status.ShowStatus("Printing Duplex");
        guard.StartDuplex();
        for (long s = 1; s <= n; ++s) {
          status.SetProgress(n, s);
          PrintBookletSide(p, *file, 1, s, false);
          PrintBookletSide(p, *file, 2, s, s == n);
        }
        guard.EndDuplex();
        break;
      default:
        break;
    }
    file.reset();
    status.ShowStatus(kCompleted);
    return {RunEnd::kCompleted, std::nullopt};
  } catch (const std::exception& e) {
    file.reset();
    return guard.Fail(AsFailure(e));
  }
}

RunResult PrintSignatures(Program& p) {
  std::unique_ptr<LineFileReader> file;
  if (auto failure = OpenBookletRun(p, file)) return {RunEnd::kNotStarted, failure};

  RunGuard guard(p);
  try {
    PrinterSurface& surface = p.surface();
    StatusSink& status = p.status();
    const long g_count = p.print.SigCount;
    const std::optional<long> per_sig = SheetsPerSignature(p.prep.SheetCount, g_count);
    if (!per_sig) RaiseFailure(kDivisionByZero);
    p.print.SheetsPerSig = CheckedInteger(*per_sig);
    const long s_count = *per_sig;
    const int mode = p.settings().PrinterMode;

    for (int pass = 1; pass <= 2; ++pass) {
      switch (mode) {
        case 0:
        case 1:
        case 3:
          if (pass == 1) {
            for (long g = 1; g <= g_count; ++g) {
              for (long s = 1; s <= s_count; ++s) {
                PrintSignatureSide(p, *file, 1, s, g, s == s_count && g == g_count);
              }
            }
            break;
          }
          if (!AskForSecondSides(p)) return Cancelled(p, file);
          status.ShowStatus("Printing Side 2");
          if (mode == 0) {
            for (long g = 1; g <= g_count; ++g) {
              for (long s = 1; s <= s_count; ++s) {
                PrintSignatureSide(p, *file, 2, s, g, s == s_count && g == g_count);
              }
            }
          } else {
            // The stack comes back with the last sheet of the last signature on top.
            surface.SetOrientation(p.prep.PrintOrientation);
            for (long g = g_count; g >= 1; --g) {
              for (long s = s_count; s >= 1; --s) {
                PrintSignatureSide(p, *file, 2, s, g, s == 1 && g == 1);
              }
            }
          }
          break;
        case 2:
          status.ShowStatus("Printing Double Sided");
          if (pass == 1) {
            guard.StartDuplex();
            for (long g = 1; g <= g_count; ++g) {
              for (long s = 1; s <= s_count; ++s) {
                PrintSignatureSide(p, *file, 1, s, g, false);
                PrintSignatureSide(p, *file, 2, s, g, s == s_count && g == g_count);
              }
            }
            guard.EndDuplex();
          }
          break;
        default:
          break;
      }
    }
    file.reset();
    status.ShowStatus(kCompleted);
    return {RunEnd::kCompleted, std::nullopt};
  } catch (const std::exception& e) {
    file.reset();
    return guard.Fail(AsFailure(e));
  }
}

bool PrintNow(Program& p) {
  const Settings& s = p.settings();
  RunResult result;
  switch (s.Layout) {
    case kLayout1Up:
    case kLayout2Up:
    case kLayout4Up:
      result = PrintNUp(p);
      break;
    case kLayoutBooklet:
      result = s.DoSig != 0 ? PrintSignatures(p) : PrintBooklet(p);
      break;
    default:
      return true;
  }
  if (result.end == RunEnd::kNotStarted && result.failure) {
    ReportError(p, *result.failure);
    p.prompt().Show("error " + result.failure->description);
    return false;
  }
  return true;
}

}  // namespace quireon2
