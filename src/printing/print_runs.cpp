// The print runs behind "Print Now": 1-up, 2-up and 4-up, booklet and signatures.
#include "printing/print_runs.h"

#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "interfaces/status_sink.h"
#include "printing/constants.h"
#include "printing/page_order.h"
#include "settings/capability.h"

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
  Outcome Fail(const RuntimeFailure& failure) {
    try {
      p_.surface().AbortDoc();
    } catch (const std::exception&) {
      // The job is gone either way; the failure that stopped the run is the one to show.
    }
    if (saved_duplex_) {
      try {
        p_.surface().SetDuplex(*saved_duplex_);
      } catch (const std::exception&) {
        // A printer that failed mid-job may refuse this too; the run's failure comes first.
      }
      saved_duplex_.reset();
    }
    p_.prompt().Show(failure.number == kInvalidPropertyValue ? kUnsupportedFeature
                                                             : failure.description);
    return Outcome::PrinterFailed(failure);
  }

 private:
  Program& p_;
  std::optional<int> saved_duplex_;
};

// Whether sheet or page `n` prints: all do unless some were chosen.
bool Chosen(const Program& p, long n) {
  const auto& chosen = p.print.Chosen;
  if (chosen.empty()) return true;
  for (const auto& [first, last] : chosen) {
    if (n >= first && n <= last) return true;
  }
  return false;
}

// The sheets of a booklet of `count` sheets that print, outermost first.
std::vector<long> ChosenSheets(const Program& p, long count) {
  std::vector<long> sheets;
  for (long s = 1; s <= count; ++s) {
    if (Chosen(p, s)) sheets.push_back(s);
  }
  return sheets;
}

// The prompt between the passes; true to go on with the second sides.
bool AskForSecondSides(Program& p) {
  return p.prompt().Ask(PaperPrompt(p.settings().PrinterMode), Buttons::kOkCancel) == Answer::kOk;
}

// The frame of both booklet runs. The caption, the line file and "Printing Side 1" come
// first, outside the run's failure handling: a failure there opens no job and is shown
// twice, the common message and "error " with its description, as a source failure; then
// `passes` prints under it and returns false for Cancel at the prompt. After a cancel the
// first pass has already ended its job, so nothing more goes to the printer (a further
// EndDoc would feed an empty sheet).
template <typename Passes>
Outcome RunBooklet(Program& p, Passes passes) {
  std::unique_ptr<LineFileReader> file;
  try {
    p.status().ShowStatus("Printing " + LayoutCaption(p.settings().Layout));
    file = std::make_unique<LineFileReader>(p.prep.LineFilePath);
    p.status().ShowStatus("Printing Side 1");
  } catch (const std::exception& e) {
    const RuntimeFailure failure = AsFailure(e);
    ReportError(p, failure);
    p.prompt().Show("error " + failure.description);
    return Outcome::SourceFailed(failure);
  }

  RunGuard guard(p);
  try {
    const bool completed = passes(*file, guard);
    file.reset();
    p.status().ShowStatus(kCompleted);
    return completed ? Outcome::Succeeded() : Outcome::Cancelled();
  } catch (const std::exception& e) {
    file.reset();
    return guard.Fail(AsFailure(e));
  }
}

void EndSide(Program& p, bool last) {
  if (last) {
    p.surface().EndDoc();
  } else {
    p.surface().NewPage();
  }
}

void DrawSide(Program& p, LineFileReader& file, SidePages pages, bool last) {
  RenderBookletSide(p, file, pages);
  EndSide(p, last);
}

}  // namespace

void RenderBookletSide(Program& p, LineFileReader& file, SidePages pages) {
  p.print.LeftPage = SideRecord(pages.left);
  p.print.RightPage = SideRecord(pages.right);
  p.print.CellIndex = 2;
  RenderPage(p, file, pages.right);
  p.print.CellIndex = 1;
  RenderPage(p, file, pages.left);
}

void PrintBookletSide(Program& p, LineFileReader& file, int side, long sheet, bool last) {
  DrawSide(p, file, BookletSide(p.prep.SheetCount, sheet, side), last);
}

void PrintSignatureSide(Program& p, LineFileReader& file, int side, long sheet, long signature,
                        bool last) {
  DrawSide(p, file, SignatureSide(p.print.SheetsPerSig, signature, sheet, side), last);
}

namespace {

// A sheet of the signatures: its signature, then its place in it.
using SignatureSheet = std::pair<long, long>;

// The sheets that print of `g_count` signatures of `s_count` sheets, in stack order; the
// stack counts its sheets through the signatures.
std::vector<SignatureSheet> ChosenSignatureSheets(const Program& p, long g_count, long s_count) {
  std::vector<SignatureSheet> stack;
  for (long g = 1; g <= g_count; ++g) {
    for (long s = 1; s <= s_count; ++s) {
      if (Chosen(p, (g - 1) * s_count + s)) stack.emplace_back(g, s);
    }
  }
  return stack;
}

// Side `side` of every sheet of the stack, in stack order or, `backwards`, from its last
// sheet; the last side printed ends the job.
void PrintSignaturePass(Program& p, LineFileReader& file, int side,
                        const std::vector<SignatureSheet>& stack, bool backwards) {
  const std::size_t n = stack.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto& [g, s] = stack[backwards ? n - 1 - i : i];
    PrintSignatureSide(p, file, side, s, g, i + 1 == n);
  }
}

}  // namespace

Outcome PrintNUp(Program& p) {
  RunGuard guard(p);
  try {
    const Settings& s = p.settings();
    p.status().ShowStatus("Printing " + LayoutCaption(s.Layout));
    PrinterSurface& surface = p.surface();
    surface.SetScaleMode(1);
    surface.SetOrientation(p.prep.PrintOrientation);
    const LayoutRecord& record = CurrentLayout(p);
    surface.SetFontName(record.font_name);
    surface.SetFontSize(record.font_size);

    LineFileReader file(p.prep.LineFilePath);
    const long total = p.prep.TotalPages;
    // A sheet side prints when one of its pages is chosen, the others' cells left blank.
    const long per_side = s.Layout == kLayout4Up ? 4 : s.Layout == kLayout2Up ? 2 : 1;
    std::vector<bool> side_prints(static_cast<std::size_t>((total + per_side - 1) / per_side));
    long last_side = -1;
    for (long page = 1; page <= total; ++page) {
      if (!Chosen(p, page)) continue;
      last_side = (page - 1) / per_side;
      side_prints[static_cast<std::size_t>(last_side)] = true;
    }
    for (long page = 1; page <= total; ++page) {
      const long side = (page - 1) / per_side;
      if (!side_prints[static_cast<std::size_t>(side)]) continue;
      p.status().SetProgress(total, page);
      const NUpPlace place = NUpPlacement(s.Layout, page, total);
      p.print.CellIndex = static_cast<Integer>(place.cell);
      if (Chosen(p, page)) RenderPage(p, file, page);
      if (place.ends_side) EndSide(p, side == last_side);
    }
    file.Close();
    p.status().ShowStatus(kCompleted);
    return Outcome::Succeeded();
  } catch (const std::exception& e) {
    return guard.Fail(AsFailure(e));
  }
}

Outcome PrintBooklet(Program& p) {
  return RunBooklet(p, [&p](LineFileReader& file, RunGuard& guard) {
    PrinterSurface& surface = p.surface();
    StatusSink& status = p.status();
    surface.SetOrientation(p.prep.PrintOrientation);
    const std::vector<long> sheets = ChosenSheets(p, p.prep.SheetCount);
    const long n = static_cast<long>(sheets.size());
    const auto sheet = [&sheets](long i) { return sheets[static_cast<std::size_t>(i - 1)]; };
    const int mode = p.settings().PrinterMode;
    switch (mode) {
      case 0:
      case 1:
      case 3:
        for (long i = 1; i <= n; ++i) {
          status.SetProgress(n, i);
          PrintBookletSide(p, file, 1, sheet(i), i == n);
        }
        if (!AskForSecondSides(p)) return false;
        status.ShowStatus("Printing Side 2");
        surface.SetOrientation(p.prep.PrintOrientation);
        if (mode == 1) {
          // The flipped stack comes back last sheet on top.
          for (long i = n; i >= 1; --i) {
            PrintBookletSide(p, file, 2, sheet(i), i == 1);
            status.SetProgress(n, n - i);
          }
        } else {
          for (long i = 1; i <= n; ++i) {
            status.SetProgress(n, i);
            PrintBookletSide(p, file, 2, sheet(i), i == n);
          }
        }
        break;
      case 2:
        status.ShowStatus("Printing Duplex");
        guard.StartDuplex();
        for (long i = 1; i <= n; ++i) {
          status.SetProgress(n, i);
          PrintBookletSide(p, file, 1, sheet(i), false);
          PrintBookletSide(p, file, 2, sheet(i), i == n);
        }
        guard.EndDuplex();
        break;
      default:
        break;
    }
    return true;
  });
}

Outcome PrintSignatures(Program& p) {
  return RunBooklet(p, [&p](LineFileReader& file, RunGuard& guard) {
    StatusSink& status = p.status();
    const long g_count = p.print.SigCount;
    // A negative count would print nothing and still report the run complete.
    if (g_count < 0) {
      RaiseFailure(kInvalidProcedureCall, "Signatures per book must be 1 or more, not " +
                                        std::to_string(g_count) + ".");
    }
    const std::optional<long> per_sig = SheetsPerSignature(p.prep.SheetCount, g_count);
    if (!per_sig) RaiseFailure(kDivisionByZero);
    p.print.SheetsPerSig = CheckedInteger(*per_sig);
    const std::vector<SignatureSheet> stack = ChosenSignatureSheets(p, g_count, *per_sig);
    const int mode = p.settings().PrinterMode;
    switch (mode) {
      case 0:
      case 1:
      case 3:
        PrintSignaturePass(p, file, 1, stack, false);
        if (!AskForSecondSides(p)) return false;
        status.ShowStatus("Printing Side 2");
        if (mode == 0) {
          PrintSignaturePass(p, file, 2, stack, false);
        } else {
          // The stack comes back with the last sheet of the last signature on top.
          p.surface().SetOrientation(p.prep.PrintOrientation);
          PrintSignaturePass(p, file, 2, stack, true);
        }
        break;
      case 2:
        status.ShowStatus("Printing Double Sided");
        guard.StartDuplex();
        for (std::size_t i = 0; i < stack.size(); ++i) {
          const auto& [g, s] = stack[i];
          PrintSignatureSide(p, file, 1, s, g, false);
          PrintSignatureSide(p, file, 2, s, g, i + 1 == stack.size());
        }
        guard.EndDuplex();
        // The message stands for each of the run's two passes, the second printing nothing.
        status.ShowStatus("Printing Double Sided");
        break;
      default:
        break;
    }
    return true;
  });
}

namespace {

// What the printer says before a run goes to it (a paused queue), once for the run.
void ShowPrinterNotice(Program& p) {
  const std::string notice = p.surface().PrinterNotice();
  if (!notice.empty()) p.prompt().Show(notice);
}

}  // namespace

Outcome PrintNow(Program& p) {
  const Settings& s = p.settings();
  switch (s.Layout) {
    case kLayout1Up:
    case kLayout2Up:
    case kLayout4Up:
      ShowPrinterNotice(p);
      return PrintNUp(p);
    case kLayoutBooklet:
      ShowPrinterNotice(p);
      return s.DoSig != 0 ? PrintSignatures(p) : PrintBooklet(p);
    default:
      // No run prints another layout: nothing goes to the printer and nothing is shown.
      return Outcome::PrinterFailed(RuntimeError(kSubscriptOutOfRange).failure());
  }
}

}  // namespace quireon2
