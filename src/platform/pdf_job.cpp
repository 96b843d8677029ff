// A job's temp file and its cairo PDF surface.
#include "platform/pdf_job.h"

#include <cairo-pdf.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/interruption.h"
#include "platform/output_path.h"
#include "platform/temp_file.h"
#include "settings/ini_file.h"
#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

std::string FileFailure(const std::string& path, int error) {
  return "Path/File access error (" + path + ": " + std::strerror(error) + ")";
}

}  // namespace

JobFile::~JobFile() {
  file_.reset();
  RemoveTempFile(path_);
}

bool JobFile::Open(const std::string& destination) {
  int fd = -1;
  if (!destination.empty()) {
    if (const auto refusal = OutputRefusal(destination)) {
      failure_ = "Path/File access error (" + destination + ": " + *refusal + ")";
      return false;
    }
    // Through a symlink to its target, so the rename below replaces the file and the link
    // stays.
    target_ = WriteTarget(destination);
    std::string temp = target_ + ".XXXXXX";
    BlockedSignals blocked;  // named for removal before a signal can end the process
    fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
      failure_ = FileFailure(destination, errno);
      return false;
    }
    RemoveOnSignal(temp);
    path_ = temp;
    shown_ = destination;
    fchmod(fd, NewFileMode());
  } else {
    const std::string folder = TempFolder();
    if (folder.empty()) {
      failure_ = "Path/File access error (no writable temp folder)";
      return false;
    }
    std::string error;
    path_ = MakeTempFile(folder, "quireon2-job-", &error);
    if (path_.empty()) {
      failure_ = "Path/File access error (" + folder + ": " + error + ")";
      return false;
    }
    shown_ = path_;
    fd = open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
      failure_ = FileFailure(shown_, errno);
      return false;
    }
  }
  file_.reset(fdopen(fd, "wb"));
  if (!file_) {
    failure_ = FileFailure(shown_, errno);
    close(fd);
    return false;
  }
  std::setvbuf(file_.get(), nullptr, _IOFBF, 64 * 1024);  // cairo writes in small pieces
  return true;
}

bool JobFile::Write(const unsigned char* data, unsigned int length) {
  if (!file_ || !failure_.empty()) return false;
  errno = 0;
  if (std::fwrite(data, 1, length, file_.get()) != length) {
    failure_ = FileFailure(shown_, errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

bool JobFile::Close() {
  if (file_) {
    errno = 0;
    if (std::fclose(file_.release()) != 0 && failure_.empty()) {
      failure_ = FileFailure(shown_, errno != 0 ? errno : EIO);
    }
  }
  return failure_.empty();
}

bool JobFile::MoveTo() {
  if (std::rename(path_.c_str(), target_.c_str()) != 0) {
    failure_ = FileFailure(shown_, errno);
    return false;
  }
  ForgetOnSignal(path_);
  path_.clear();  // it is the destination now
  return true;
}

PdfJob::PdfJob(bool draw, const std::string& destination, const std::string& title,
               double page_width, double page_height) {
  if (!draw || !file_.Open(destination)) return;
  surface_.reset(cairo_pdf_surface_create_for_stream(&PdfJob::Write, this, page_width, page_height));
  cairo_pdf_surface_set_metadata(surface_.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(surface_.get(), CAIRO_PDF_METADATA_CREATOR, "Quireon2");
  cr_.reset(cairo_create(surface_.get()));
  if (cairo_status(cr_.get()) != CAIRO_STATUS_SUCCESS) {
    discarding_ = true;
    RaiseFailure(kPrinterError, std::string("Printer error (") +
                                    cairo_status_to_string(cairo_status(cr_.get())) + ")");
  }
  cairo_set_line_cap(cr_.get(), CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_.get(), CAIRO_LINE_JOIN_MITER);
}

PdfJob::~PdfJob() {
  discarding_ = true;
  cr_.reset();
  surface_.reset();
}

void PdfJob::SetPageSize(double width, double height) {
  if (cr_) cairo_pdf_surface_set_size(surface_.get(), width, height);
}

void PdfJob::ShowPage() {
  if (cr_) cairo_show_page(cr_.get());
}

cairo_status_t PdfJob::Finish() {
  if (!cr_) return CAIRO_STATUS_SUCCESS;
  cairo_show_page(cr_.get());
  cr_.reset();
  cairo_surface_finish(surface_.get());
  return cairo_surface_status(surface_.get());
}

cairo_status_t PdfJob::Write(void* closure, const unsigned char* data, unsigned int length) {
  PdfJob& job = *static_cast<PdfJob*>(closure);
  if (job.discarding_) return CAIRO_STATUS_SUCCESS;
  return job.file_.Write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void KeepHeapTopForPages() { mallopt(M_TOP_PAD, 1 << 20); }

}  // namespace quireon2
