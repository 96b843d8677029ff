// The print runs behind "Print Now": 1-up, 2-up and 4-up, booklet and signatures.
#include "printing/print_runs.h"

#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string>

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

// Side `side` of every sheet of every signature, in stack order or, `backwards`, from the
// last sheet of the last signature; the last side printed ends the job.
void PrintSignaturePass(Program& p, LineFileReader& file, int side, long g_count, long s_count,
                        bool backwards) {
  for (long gi = 1; gi <= g_count; ++gi) {
    for (long si = 1; si <= s_count; ++si) {
      const long g = backwards ? g_count + 1 - gi : gi;
      const long s = backwards ? s_count + 1 - si : si;
      PrintSignatureSide(p, file, side, s, g, gi == g_count && si == s_count);
    }
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
    for (long page = 1; page <= total; ++page) {
      p.status().SetProgress(total, page);
      const NUpPlace place = NUpPlacement(s.Layout, page, total);
      p.print.CellIndex = static_cast<Integer>(place.cell);
      RenderPage(p, file, page);
      if (place.ends_side) EndSide(p, page == total);
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
    const long n = p.prep.SheetCount;
    const int mode = p.settings().PrinterMode;
    switch (mode) {
      case 0:
      case 1:
      case 3:
        for (long s = 1; s <= n; ++s) {
          status.SetProgress(n, s);
          PrintBookletSide(p, file, 1, s, s == n);
        }
        if (!AskForSecondSides(p)) return false;
        status.ShowStatus("Printing Side 2");
        surface.SetOrientation(p.prep.PrintOrientation);
        if (mode == 1) {
          // The flipped stack comes back last sheet on top.
          for (long s = n; s >= 1; --s) {
            PrintBookletSide(p, file, 2, s, s == 1);
            status.SetProgress(n, n - s);
          }
        } else {
          for (long s = 1; s <= n; ++s) {
            status.SetProgress(n, s);
            PrintBookletSide(p, file, 2, s, s == n);
          }
        }
        break;
      case 2:
        status.ShowStatus("Printing Duplex");
        guard.StartDuplex();
        for (long s = 1; s <= n; ++s) {
          status.SetProgress(n, s);
          PrintBookletSide(p, file, 1, s, false);
          PrintBookletSide(p, file, 2, s, s == n);
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
    const std::optional<long> per_sig = SheetsPerSignature(p.prep.SheetCount, g_count);
    if (!per_sig) RaiseFailure(kDivisionByZero);
    p.print.SheetsPerSig = CheckedInteger(*per_sig);
    const long s_count = *per_sig;
    const int mode = p.settings().PrinterMode;
    switch (mode) {
      case 0:
      case 1:
      case 3:
        PrintSignaturePass(p, file, 1, g_count, s_count, false);
        if (!AskForSecondSides(p)) return false;
        status.ShowStatus("Printing Side 2");
        if (mode == 0) {
          PrintSignaturePass(p, file, 2, g_count, s_count, false);
        } else {
          // The stack comes back with the last sheet of the last signature on top.
          p.surface().SetOrientation(p.prep.PrintOrientation);
          PrintSignaturePass(p, file, 2, g_count, s_count, true);
        }
        break;
      case 2:
        status.ShowStatus("Printing Double Sided");
        guard.StartDuplex();
        for (long g = 1; g <= g_count; ++g) {
          for (long s = 1; s <= s_count; ++s) {
            PrintSignatureSide(p, file, 1, s, g, false);
            PrintSignatureSide(p, file, 2, s, g, s == s_count && g == g_count);
          }
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
