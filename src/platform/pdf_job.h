// One print job while it is drawn: its temp file and the cairo PDF surface writing into it.
#pragma once

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>

namespace quireon2 {

// The file a job's PDF is written into as it is drawn, so memory does not grow with the
// job: for "Print to PDF" one beside the destination that takes its place when the job
// ends (so no half file is ever left there), for a queue one in the temp folder. Closed,
// and removed unless it has taken the destination's place, when it goes.
class JobFile {
 public:
  JobFile() = default;  // no file yet
  ~JobFile();
  JobFile(const JobFile&) = delete;
  JobFile& operator=(const JobFile&) = delete;

  // Makes the file. `destination` empty: a private file in the temp folder; otherwise one
  // beside it (beside a symlink's target), readable as a file the user saves would be.
  // False, the reason kept in failure(), when it cannot be made or the destination is not
  // a file the user may write (a device, FIFO, socket, folder or read-only file).
  bool Open(const std::string& destination);
  bool is_open() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  // Why the file could not be made or written; empty while all is well.
  const std::string& failure() const { return failure_; }

  // Appends; false (the reason kept) on the first failure and on every write after it.
  bool Write(const unsigned char* data, unsigned int length);
  // Closes the file with everything written; false, with the reason kept, when some of it
  // did not reach the disk.
  bool Close();
  // Puts the closed file in the place of the destination it was opened for (a symlink's
  // target, the link staying); false with the reason kept.
  bool MoveTo();

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::string path_;   // the temp file; empty once it has taken the destination's place
  std::string target_;  // the file the temp file replaces at the end; empty for a queue
  std::string shown_;  // the file a failure names: the destination, else the temp file
  std::string failure_;
  std::unique_ptr<std::FILE, Closer> file_;
};

// The cairo PDF drawing of one job, written into its JobFile. A job whose output was
// declined or whose file could not be made is still laid out, without a context.
class PdfJob {
 public:
  // `draw` false: the output was declined; nothing is made. `destination` as for JobFile.
  // Raises RuntimeError (printer error) when cairo cannot start.
  PdfJob(bool draw, const std::string& destination, const std::string& title,
         double page_width, double page_height);
  ~PdfJob();
  PdfJob(const PdfJob&) = delete;
  PdfJob& operator=(const PdfJob&) = delete;

  // The context to draw with; null when nothing is drawn.
  cairo_t* cr() const { return cr_.get(); }
  JobFile& file() { return file_; }

  void SetPageSize(double width, double height);
  void ShowPage();
  // Shows the last page and writes the PDF's end; the cairo status of the whole document
  // (success when nothing was drawn).
  cairo_status_t Finish();

  // The page being drawn.
  bool page_open = false;
  double origin_x = 0, origin_y = 0;  // the printable area's corner on this page, points

 private:
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length);

  struct SurfaceDestroyer {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  };
  struct ContextDestroyer {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  };
  // Declared in this order so the context goes before the surface, and both before the
  // file they write into.
  JobFile file_;
  bool discarding_ = false;  // the job is dropped: cairo's remaining output goes nowhere
  std::unique_ptr<cairo_surface_t, SurfaceDestroyer> surface_;
  std::unique_ptr<cairo_t, ContextDestroyer> cr_;
};

// cairo takes its page compressor's few hundred KB at each page and frees them at the
// page's end; with the PDF not held in memory above them, the allocator would hand that
// back to the system and ask for it again on every page. Keeps a megabyte at the heap's
// top for the whole process, which spares those two system calls per page: programs that
// print call it once from main().
void KeepHeapTopForPages();

}  // namespace quireon2
