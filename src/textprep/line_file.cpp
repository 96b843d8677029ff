// The three writers of the line file: the word wrap, tab expansion alone and the plain copy.
#include "textprep/line_file.h"

#include <memory>
#include <optional>
#include <string>

#include "interfaces/main_window_controls.h"
#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "interfaces/status_sink.h"
#include "interfaces/temp_files.h"
#include "settings/capability.h"
#include "settings/number_text.h"
#include "settings/runtime_failure.h"
#include "textprep/byte_io.h"
#include "textprep/layout_metrics.h"
#include "textprep/line_format.h"

namespace quireon2 {
namespace {

constexpr std::size_t kCopyChunk = 32768;
constexpr long long kMaxTabWidth = 99;

// Leaves no partial line file behind. The line file is removed only when this writer
// opened it: a path it could not open may be anything (a folder, the source itself). It
// goes through the temp-files service, which stops naming it for removal at a signal.
void DiscardLineFile(Program& p, FileWriter* writer, const std::string& line_file) {
  if (writer != nullptr) {
    try {
      writer->Close();
    } catch (const FileFailure&) {
      // The file is deleted next; the failure that stopped the writer is the one to show.
    }
    p.temp_files().Remove(line_file);
  }
}

// Reports a failed read or write and discards the line file.
Outcome FailWriting(Program& p, const FileFailure& failure, FileWriter* writer,
                    const std::string& line_file) {
  p.prompt().Show(failure.what());
  DiscardLineFile(p, writer, line_file);
  return Outcome::SourceFailed(RuntimeFailure{0, failure.what()});
}

// The state of the window's Tab stops box as a setting.
Integer ReadTabStops(Program& p) {
  return static_cast<Integer>(p.window().CheckValue(CheckBox::kTabStops) != 0 ? 1 : 0);
}

}  // namespace

bool ReadTabWidth(Program& p) {
  std::string text = p.window().Text(TextBox::kTCount);
  std::optional<long long> value = WholeNumberText(text);
  if (!value || *value < 0 || *value > kMaxTabWidth) {
    p.prompt().Show("The tab width must be a whole number from 0 to 99, not \"" + text + "\"");
    return false;
  }
  p.settings().TCount = static_cast<Integer>(*value);
  return true;
}

Outcome CopyToLineFile(Program& p, const std::string& source, const std::string& line_file) {
  p.status().ShowStatus("Making Temp File");
  std::unique_ptr<FileWriter> writer;
  try {
    SourceReader reader(source, false);
    writer = std::make_unique<FileWriter>(line_file, &reader);
    const long long n = reader.size();
    const long long step = n / 10;
    long long done = 0;
    std::string chunk;
    while (reader.NextChunk(kCopyChunk, chunk)) {
      if (step != 0) {
        // Progress at every byte count that is a multiple of a tenth of the file.
        const long long last = done + static_cast<long long>(chunk.size());
        for (long long k = (done / step + 1) * step; k <= last; k += step) {
          p.status().SetProgress(static_cast<long>(n), static_cast<long>(k));
        }
      }
      writer->Write(chunk);
      done += static_cast<long long>(chunk.size());
    }
    writer->Close();
    return Outcome::Succeeded();
  } catch (const FileFailure& failure) {
    return FailWriting(p, failure, writer.get(), line_file);
  }
}

Outcome ExpandTabsToLineFile(Program& p, const std::string& source) {
  if (!ReadTabWidth(p)) return Outcome::SourceFailed();
  const std::string line_file = p.prep.LineFilePath;
  const int tab_width = p.settings().TCount;
  p.settings().TabStops = ReadTabStops(p);
  TabStops stops(tab_width);
  std::unique_ptr<FileWriter> writer;
  try {
    SourceReader reader(source, false);
    writer = std::make_unique<FileWriter>(line_file, &reader);
    std::string chunk;
    std::string expanded;
    while (reader.NextChunk(kCopyChunk, chunk)) {
      expanded.clear();
      if (p.settings().TabStops != 0) {
        stops.Append(chunk, expanded);
      } else {
        AppendExpandedTabs(chunk, tab_width, expanded);
      }
      writer->Write(expanded);
    }
    expanded.clear();
    stops.Finish(expanded);
    writer->Write(expanded);
    writer->Close();
    return Outcome::Succeeded();
  } catch (const FileFailure& failure) {
    return FailWriting(p, failure, writer.get(), line_file);
  }
}

Outcome WrapToLineFile(Program& p, const std::string& source, const std::string& line_file,
                       std::size_t chunk_size) {
  if (!ReadTabWidth(p)) return Outcome::SourceFailed();
  Settings& s = p.settings();
  s.ExpandTab = static_cast<Integer>(p.window().CheckValue(CheckBox::kDoTabEx) != 0 ? 1 : 0);
  s.TabStops = ReadTabStops(p);
  const int tab_width = s.TCount;
  // Tab stops count columns from the start of each source line, so they run over the
  // whole text; the fixed blanks need no memory from one chunk to the next.
  const bool to_stops = s.ExpandTab != 0 && s.TabStops != 0;
  TabStops stops(tab_width);

  // A refused metric has been shown; the wrap goes on with the earlier numbers.
  const Outcome metrics = SetTextMetrics(p);
  if (metrics.kind == OutcomeKind::kSourceFailed) return metrics;
  const Outcome written = metrics.ok() ? metrics : Outcome::WentOnPast(*metrics.failure);
  const long long chars_per_line = p.prep.CharsPerLine;
  const long long cell_width = CurrentLayout(p).cell_width;
  PrinterSurface& surface = p.surface();
  const WidthFunction width = [&surface](std::string_view text) {
    return RoundHalfEven(surface.TextWidth(text));
  };

  std::unique_ptr<FileWriter> writer;
  try {
    SourceReader reader(source, true);
    writer = std::make_unique<FileWriter>(line_file, &reader);
    // A size of 0 is not trusted: files the system makes up as they are read report it.
    if (reader.AtEnd()) {
      writer->Close();
      p.prompt().Show("Source File has 0 bytes");
      return written;
    }
    long long tab_growth = 0;
    long long done = 0;
    std::string chunk;
    std::string expanded;
    std::string out;
    // The wrap holds back the printed line a chunk's end cuts, so chunk ends never show.
    LineWrap wrap(chars_per_line, cell_width, width);
    while (reader.NextChunk(chunk_size, chunk)) {
      std::string_view text = chunk;
      if (to_stops) {
        expanded.clear();
        stops.Append(chunk, expanded);
        tab_growth +=
            static_cast<long long>(expanded.size()) - static_cast<long long>(chunk.size());
        text = expanded;
      } else if (s.ExpandTab != 0 && chunk.find('\t') != std::string::npos) {
        expanded.clear();
        AppendExpandedTabs(chunk, tab_width, expanded);
        tab_growth +=
            static_cast<long long>(expanded.size()) - static_cast<long long>(chunk.size());
        text = expanded;
      }
      out.clear();
      wrap.Add(text, out);
      writer->Write(out);
      done += static_cast<long long>(text.size());
      if (!reader.AtEnd()) {
        const long long n = reader.size() + reader.added() + tab_growth;
        p.status().SetProgress(static_cast<long>(n), static_cast<long>(done));
      }
    }
    out.clear();
    expanded.clear();
    stops.Finish(expanded);
    wrap.Add(expanded, out);
    wrap.Finish(out);
    writer->Write(out);
    writer->Close();
    return written;
  } catch (const FileFailure& failure) {
    return FailWriting(p, failure, writer.get(), line_file);
  } catch (const RuntimeError& error) {
    // The printer failed to measure: the run cannot go on without widths.
    ReportError(p, error.failure());
    DiscardLineFile(p, writer.get(), line_file);
    return Outcome::PrinterFailed(error.failure());
  }
}

}  // namespace quireon2
