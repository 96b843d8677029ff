// The printer surface over CUPS and the built-in "Print to PDF" printer: each job is drawn
// on a cairo PDF surface with fontconfig/FreeType fonts, then sent to the CUPS queue as one
// PDF document or written to a file.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "printing/printer_surface.h"

namespace quireon2 {

inline constexpr char kPrintToPdf[] = "Print to PDF";

class CupsSurface : public PrinterSurface {
 public:
  // Reads the printer list; the current printer is the CUPS default, else "Print to PDF".
  CupsSurface();
  ~CupsSurface() override;

  // Where "Print to PDF" writes a job: called at the job's start with the suggested path
  // (the source file's name with .pdf; a second job of the same run gets -2 before the
  // extension); nothing drops the job. Without a callback the suggested path is used.
  using PdfPathCallback = std::function<std::optional<std::string>(const std::string& suggested)>;
  void SetPdfPathCallback(PdfPathCallback callback);
  // For callers without windows: job 1 of a run goes to `path`, job 2 to path with -2
  // before the extension, and so on.
  void SetPdfOutputPath(const std::string& path);
};

}  // namespace quireon2
