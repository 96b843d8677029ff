// Names of the files "Print to PDF" writes.
#include "platform/output_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace quireon2 {

std::string NumberedPath(const std::string& path, int n) {
  if (n <= 1) return path;
  const std::filesystem::path p(path);
  const std::string name = p.stem().string() + "-" + std::to_string(n) + p.extension().string();
  return (p.parent_path() / name).string();
}

std::string SuggestedPdfPath(const std::string& document, const std::string& last_folder,
                             int job_number) {
  namespace fs = std::filesystem;
  fs::path suggested;
  if (!document.empty()) {
    suggested = fs::path(document).replace_extension(".pdf");
    if (suggested == fs::path(document)) suggested += ".pdf";
    // The folder last written to is remembered; the name is the document's.
    if (!last_folder.empty()) suggested = fs::path(last_folder) / suggested.filename();
  } else {
    const char* home = std::getenv("HOME");
    std::error_code error;
    fs::path folder = !last_folder.empty() ? fs::path(last_folder)
                      : home != nullptr    ? fs::path(home)
                                           : fs::current_path(error);
    suggested = folder / "Quireon2.pdf";
  }
  return NumberedPath(suggested.string(), job_number);
}

std::optional<std::string> OutputRefusal(const std::string& path) {
  struct stat st {};
  // No file there (or none to be seen): whether its folder takes a new one shows when the
  // job's file is made.
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ELOOP) return std::string(std::strerror(errno));  // a loop of links
    return std::nullopt;
  }
  switch (st.st_mode & S_IFMT) {
    case S_IFREG:
      if (::access(path.c_str(), W_OK) != 0) return std::string(std::strerror(errno));
      return std::nullopt;
    case S_IFDIR:
      return std::string("is a directory");
    case S_IFCHR:
      return std::string("is a character device");
    case S_IFBLK:
      return std::string("is a block device");
    case S_IFIFO:
      return std::string("is a FIFO");
    case S_IFSOCK:
      return std::string("is a socket");
    default:
      return std::string("is not a regular file");
  }
}

std::string WriteTarget(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path target(path);
  std::error_code error;
  // A loop of links is refused before a job gets here; the hops are bounded all the same.
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(target, error)); ++hops) {
    const fs::path next = fs::read_symlink(target, error);
    if (error) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  const fs::path resolved = fs::weakly_canonical(target, error);
  return error ? target.string() : resolved.string();
}

std::optional<std::string> CopyFileTo(const std::string& path, int fd,
                                      const std::string& fd_name) {
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return path + ": " + std::strerror(errno);
  std::optional<std::string> failure;
  char chunk[65536];
  while (!failure) {
    const ssize_t got = ::read(in, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failure = path + ": " + std::strerror(errno);
    if (got <= 0) break;
    for (ssize_t done = 0; done < got && !failure;) {
      const ssize_t put = ::write(fd, chunk + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) failure = fd_name + ": " + std::strerror(errno);
      done += put > 0 ? put : 0;
    }
  }
  ::close(in);
  return failure;
}

}  // namespace quireon2
