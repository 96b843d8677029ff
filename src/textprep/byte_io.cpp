// Streaming the source in chunks and writing the line file; failures become FileFailure.
#include "textprep/byte_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "textprep/line_format.h"

namespace quireon2 {
namespace {

constexpr std::size_t kReadBlock = 65536;

std::string Reason(int error) { return std::strerror(error); }

std::string CantRead(const std::string& path, int error) {
  return "Can't read the file " + path + ": " + Reason(error);
}

std::string CantWrite(const std::string& path, int error) {
  return "Can't write the temporary file " + path + ": " + Reason(error);
}

}  // namespace

SourceReader::SourceReader(const std::string& path, bool lf_as_line_end)
    : path_(path), lf_as_line_end_(lf_as_line_end) {
  // Opened for reading only: a missing source is reported, never created. Opened without
  // waiting, so a pipe in the source's place cannot hang the run; only a file is read.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    int error = errno;
    if (error == ENOENT) throw FileFailure("the file " + path + " doesn't exist");
    throw FileFailure(CantRead(path, error));
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    int error = errno;
    close(fd);
    throw FileFailure(CantRead(path, error));
  }
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    if (S_ISDIR(info.st_mode)) throw FileFailure(CantRead(path, EISDIR));
    throw FileFailure("Can't read the file " + path + ": it is not a regular file");
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file_ = fdopen(fd, "rb");
  if (file_ == nullptr) {
    int error = errno;
    close(fd);
    throw FileFailure(CantRead(path, error));
  }
  size_ = static_cast<long long>(info.st_size);
  dev_ = static_cast<unsigned long long>(info.st_dev);
  ino_ = static_cast<unsigned long long>(info.st_ino);
}

bool SourceReader::SameFile(const std::string& path) const {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && static_cast<unsigned long long>(info.st_dev) == dev_ &&
         static_cast<unsigned long long>(info.st_ino) == ino_;
}

SourceReader::~SourceReader() {
  if (file_ != nullptr) std::fclose(file_);
}

void SourceReader::Fill(std::size_t want) {
  if (pos_ > 0 && pos_ >= buffer_.size() / 2) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  char block[kReadBlock];
  while (buffer_.size() - pos_ < want && !eof_) {
    std::size_t got = std::fread(block, 1, sizeof block, file_);
    if (got == 0) {
      if (std::ferror(file_)) {
        int error = errno != 0 ? errno : EIO;
        throw FileFailure(CantRead(path_, error));
      }
      eof_ = true;
      break;
    }
    if (!lf_as_line_end_) {
      buffer_.append(block, got);
      continue;
    }
    for (std::size_t i = 0; i < got; ++i) {
      char c = block[i];
      if (c == '\n' && previous_ != '\r') {
        buffer_.push_back('\r');
        ++added_;
      }
      buffer_.push_back(c);
      previous_ = c;
    }
  }
}

bool SourceReader::NextChunk(std::size_t target, std::string& chunk) {
  // Three bytes beyond the chunk complete any UTF-8 sequence or CR LF pair it cuts.
  Fill(target + 3);
  std::size_t available = buffer_.size() - pos_;
  if (available == 0) {
    chunk.clear();
    return false;
  }
  std::size_t len = std::min(target, available);
  std::string_view rest(buffer_.data() + pos_, available);
  if (len < available) {
    if (rest[len - 1] == '\r' && rest[len] == '\n') {
      ++len;  // the pair ends one line, wherever the chunk falls
    } else {
      while (len < available && !IsCharBoundary(rest, len)) ++len;
    }
  }
  chunk.assign(rest.substr(0, len));
  pos_ += len;
  return true;
}

bool SourceReader::AtEnd() {
  Fill(1);
  return buffer_.size() == pos_;
}

FileWriter::FileWriter(const std::string& path, const SourceReader* source) : path_(path) {
  if (source != nullptr && source->SameFile(path)) {
    throw FileFailure("Can't write the temporary file " + path + ": it is the source file");
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) throw FileFailure(CantWrite(path, errno));
}

FileWriter::~FileWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void FileWriter::Write(std::string_view bytes) {
  if (bytes.empty()) return;
  if (file_ == nullptr) throw FileFailure(CantWrite(path_, EBADF));
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    throw FileFailure(CantWrite(path_, errno != 0 ? errno : EIO));
  }
}

void FileWriter::Close() {
  if (file_ == nullptr) return;
  errno = 0;
  bool flushed = std::fflush(file_) == 0;
  int error = errno;
  bool closed = std::fclose(file_) == 0;
  if (!closed && error == 0) error = errno;
  file_ = nullptr;
  if (!flushed || !closed) throw FileFailure(CantWrite(path_, error != 0 ? error : EIO));
}

}  // namespace quireon2
