// The page-drawing device over the program's current printer, in twips (1/1440 inch) with
// the origin at the top left of the printable area. Every measurement and every drawing of
// the program goes through it. Operations raise RuntimeError: 380 for a setting the printer
// refuses, other numbers (with the system's message) for a printer or job failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quireon2 {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

// One installed printer as the printer list gives it.
struct PrinterInfo {
  std::string device_name;  // the queue name, or "Print to PDF"
  std::string port;         // the device URI, or the folder "Print to PDF" last wrote to
};

// One font family the printer offers; `scalable` is true for outline (TrueType or
// OpenType) faces.
struct FontFamily {
  std::string name;
  bool scalable = false;
};

// Capability queries, as the driver answers them.
enum CapabilityQuery : int {
  kCapabilityDuplex = 7,        // 1 two-sided, 0 not, -1 no answer
  kCapabilityOrientation = 17,  // 90 or 270 landscape, 0 none, -1 no answer
};

// Paper codes of the printer's paper table.
enum PaperCode : int { kPaperLetter = 1, kPaperA4 = 9 };

// The papers of a printer: those of the paper table it offers, and the one in force.
struct PrinterPapers {
  std::vector<int> offered;  // paper codes
  int in_force = 0;          // the paper code a job on it is printed on; 0 when unknown
};

class PictureSurface;

// Duplex values.
enum DuplexValue : int { kDuplexSimplex = 1, kDuplexLongEdge = 2, kDuplexShortEdge = 3 };

enum OrientationValue : int { kPortrait = 1, kLandscape = 2 };

class PrinterSurface {
 public:
  virtual ~PrinterSurface() = default;

  // The current printer.
  virtual std::string DeviceName() const = 0;
  virtual std::string Port() const = 0;

  // The installed printers in the system's order, and making one of them current. Making
  // another printer current keeps the font and scale settings.
  virtual std::vector<PrinterInfo> Printers() = 0;
  virtual void SelectPrinter(std::size_t index) = 0;

  // The driver's answer to a capability query (see CapabilityQuery) for a printer.
  virtual int DeviceCapabilities(const std::string& device_name, const std::string& port,
                                 int query) = 0;

  // The families the current printer can print with.
  virtual std::vector<FontFamily> FontFamilies() = 0;

  // A word about the current printer that does not stop a job, asked just before the job
  // is printed: a paused queue takes the job and keeps it until the queue is resumed.
  // Empty when there is nothing to say.
  virtual std::string PrinterNotice() { return std::string(); }

  virtual void SetScaleMode(int mode) = 0;  // 1: twips
  virtual int Orientation() const = 0;
  virtual void SetOrientation(int orientation) = 0;  // OrientationValue
  virtual double ScaleWidth() const = 0;   // printable width, twips, current orientation
  virtual double ScaleHeight() const = 0;  // printable height, twips, current orientation

  virtual std::string FontName() const = 0;  // the family actually used
  virtual void SetFontName(const std::string& name) = 0;
  virtual double FontSize() const = 0;  // points, fractions kept
  virtual void SetFontSize(double size_points) = 0;

  virtual int PaperSize() const = 0;  // PaperCode of the current paper
  // For this run; 380 for a paper the printer does not offer.
  virtual void SetPaperSize(int code) = 0;
  // The papers of the printer called `device_name`, current or not.
  virtual PrinterPapers Papers(const std::string& device_name) = 0;
  // Keeps the current printer's paper as its paper for later runs too: a system printer
  // in the user's own printer options, "Print to PDF" as PdfPaperSize.
  virtual void KeepPaperSize() = 0;
  // The paper kept for "Print to PDF" (0 when none was), which the settings file holds,
  // and handing it back at start-up (380 for a code outside the paper table).
  virtual int PdfPaperSize() const = 0;
  virtual void SetPdfPaperSize(int code) = 0;

  virtual double CurrentX() const = 0;
  virtual double CurrentY() const = 0;
  virtual void SetCurrentX(double x_twips) = 0;
  virtual void SetCurrentY(double y_twips) = 0;

  // Draws `text` with its top left at (CurrentX, CurrentY). Without a line end CurrentX
  // advances by the text's width; with one CurrentX returns to 0 and CurrentY moves down
  // by the text height.
  virtual void Print(std::string_view text, bool line_end) = 0;
  // Extent in the current font, twips. A text with line ends measures as several lines:
  // the width of the widest, the height of all.
  virtual double TextWidth(std::string_view text) = 0;
  virtual double TextHeight(std::string_view text) = 0;

  virtual void SetDrawWidth(int pixels) = 0;
  // A straight line, or with `box` the outline of the rectangle with these corners.
  virtual void Line(double x1, double y1, double x2, double y2, Rgb colour, bool box) = 0;

  // Every NewPage and every EndDoc ends exactly one sheet side, one page of the job, blank
  // or not, so a job holds one page more than the NewPage calls made in it. The print runs
  // count on this: a blank side left out would put every later back on the wrong sheet.
  // NewPage ends the page and drawing goes on in the same job (opening one if none is).
  virtual void NewPage() = 0;
  // Ends the last page and the job and releases it; later drawing opens a new job. With no
  // job open it sends a job of one blank page. Only a job whose output the user declined
  // (the "Print to PDF" save dialog cancelled) sends nothing.
  virtual void EndDoc() = 0;
  // Drops the open job, if any, so nothing of it reaches the printer.
  virtual void AbortDoc() = 0;

  virtual int Duplex() const = 0;
  virtual void SetDuplex(int value) = 0;  // DuplexValue

  // The one further setting that start-up writes (monochrome output); nothing reads it.
  virtual void SetColorMode(int mode) = 0;

  // The source file the next jobs print, for the job title and the default output name.
  // Job numbering within a run starts again from here.
  virtual void SetDocumentName(const std::string& source_path) = 0;

  // A surface that draws one sheet side of this printer's current paper, orientation and
  // font as a picture, `dots_per_inch` dots to the inch, measuring text exactly as this
  // surface does; nothing for a printer that cannot draw pictures. It must not outlive
  // this surface.
  virtual std::unique_ptr<PictureSurface> OpenPicture(double dots_per_inch);
};

// The pixels of a picture, row by row from the top, each 0xRRGGBB.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// A printer surface whose drawing makes a picture of one side of the paper, the whole
// sheet with its margins, white where nothing is drawn. NewPage and EndDoc leave the
// picture as it is; AbortDoc wipes it.
class PictureSurface : public PrinterSurface {
 public:
  virtual Picture TakePicture() = 0;
};

inline std::unique_ptr<PictureSurface> PrinterSurface::OpenPicture(double) { return nullptr; }

}  // namespace quireon2
