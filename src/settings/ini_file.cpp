// Reading, editing and atomically replacing the settings file.
#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "settings/text_helpers.h"

namespace quireon2 {
namespace {

namespace fs = std::filesystem;

// The section name of a header line "[name]", or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view body) {
  std::string_view text = TrimBlanksAndTabs(body);
  if (text.empty() || text.front() != '[') return std::nullopt;
  text.remove_prefix(1);
  std::size_t close = text.find(']');
  return TrimBlanksAndTabs(close == std::string_view::npos ? text : text.substr(0, close));
}

bool IsComment(std::string_view body) {
  std::string_view text = TrimBlanksAndTabs(body);
  return !text.empty() && (text.front() == ';' || text.front() == '#');
}

// Splits a "key=value" line; false for comments and lines without an equals sign.
bool SplitEntry(std::string_view body, std::string_view* key, std::string_view* value) {
  if (IsComment(body)) return false;
  std::size_t equals = body.find('=');
  if (equals == std::string_view::npos) return false;
  *key = TrimBlanksAndTabs(body.substr(0, equals));
  *value = TrimBlanksAndTabs(body.substr(equals + 1));
  return true;
}

std::string SystemReason(const std::string& what, int error_number) {
  return what + ": " + std::strerror(error_number);
}

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

IniFile::IniFile(const std::string& bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos) {
      lines_.push_back({bytes.substr(start), ""});
      break;
    }
    std::size_t body_end = lf;
    if (body_end > start && bytes[body_end - 1] == '\r') --body_end;
    lines_.push_back(
        {bytes.substr(start, body_end - start), bytes.substr(body_end, lf + 1 - body_end)});
    start = lf + 1;
  }
}

IniFile IniFile::Load(const std::string& path, std::string* error) {
  SetError(error, "");
  if (path.empty()) return IniFile();
  // Non-blocking, so a pipe in the file's place cannot hang start-up.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno != ENOENT && errno != ENOTDIR) SetError(error, SystemReason(path, errno));
    return IniFile();
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    SetError(error, path + ": not a regular file");
    ::close(fd);
    return IniFile();
  }
  std::string bytes;
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetError(error, SystemReason(path, errno));
      ::close(fd);
      return IniFile();
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return IniFile(bytes);
}

bool IniFile::FindSection(const std::string& section, std::size_t* header, std::size_t* end) const {
  std::size_t i = 0;
  while (i < lines_.size()) {
    std::optional<std::string_view> name = SectionName(lines_[i].body);
    if (name && SameIgnoringCase(*name, section)) break;
    ++i;
  }
  if (i == lines_.size()) return false;
  *header = i;
  std::size_t j = i + 1;
  while (j < lines_.size() && !SectionName(lines_[j].body)) ++j;
  *end = j;
  return true;
}

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const {
  std::size_t header = 0, end = 0;
  if (!FindSection(section, &header, &end)) return std::nullopt;
  for (std::size_t i = header + 1; i < end; ++i) {
    std::string_view line_key, value;
    if (SplitEntry(lines_[i].body, &line_key, &value) && SameIgnoringCase(line_key, key)) {
      return std::string(value);
    }
  }
  return std::nullopt;
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  std::string entry = key + "=" + value;
  std::size_t header = 0, end = 0;
  if (!FindSection(section, &header, &end)) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = "\n";
    lines_.push_back({"[" + section + "]", "\n"});
    lines_.push_back({entry, "\n"});
    return;
  }
  for (std::size_t i = header + 1; i < end; ++i) {
    std::string_view line_key, old_value;
    if (SplitEntry(lines_[i].body, &line_key, &old_value) && SameIgnoringCase(line_key, key)) {
      lines_[i].body = entry;  // the line keeps its own line end
      return;
    }
  }
  // After the section's last non-blank line, so blank lines before the next section stay
  // where they are.
  std::size_t at = end;
  while (at > header + 1 && TrimBlanksAndTabs(lines_[at - 1].body).empty()) --at;
  if (lines_[at - 1].end.empty()) lines_[at - 1].end = "\n";
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{entry, "\n"});
}

std::string IniFile::Text() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.body;
    text += line.end;
  }
  return text;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error,
                         const BeforeReplaceHook& before_replace) {
  SetError(error, "");
  if (path.empty()) {
    SetError(error, "no settings file name");
    return false;
  }
  std::error_code ec;
  fs::path target(path);
  // Replace what a link points at, not the link itself.
  if (fs::is_symlink(target, ec)) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }

  mode_t mode = NewFileMode();
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      SetError(error, target.string() + ": not a regular file");
      return false;
    }
    // A file the user made read-only stays as it is, though its folder would allow the rename.
    if (::access(target.c_str(), W_OK) != 0) {
      SetError(error, SystemReason(target.string(), errno));
      return false;
    }
    mode = info.st_mode & 07777;
  }

  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    SetError(error, SystemReason(folder.string(), errno));
    return false;
  }
  auto abandon = [&](const std::string& reason) {
    ::unlink(temp.c_str());
    SetError(error, reason);
    return false;
  };
  if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    int saved = errno;
    ::close(fd);
    return abandon(SystemReason(temp, saved));
  }
  if (::close(fd) != 0) return abandon(SystemReason(temp, errno));
  if (before_replace && !before_replace(temp)) return abandon(temp + ": write abandoned");
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    return abandon(SystemReason(target.string(), errno));
  }
  // Make the rename itself durable; a folder that cannot be synced does not undo it.
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(022);  // the only way to read the mask is to set it
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace quireon2
