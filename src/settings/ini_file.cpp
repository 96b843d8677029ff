// Reading, editing and atomically replacing the settings file.
#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>

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

// The temp files of earlier writes that never took the target's place (the process was
// killed mid-write): this writer's own names only, "<prefix>" and six letters or digits,
// and old enough that no write can still be going on.
void RemoveStaleTemps(const fs::path& folder, const std::string& prefix) {
  constexpr auto kStaleAfter = std::chrono::minutes(1);
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    bool ours = true;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
      ours = ours && std::isalnum(static_cast<unsigned char>(name[i])) != 0;
    }
    std::error_code file_ec;
    if (!ours || !it->is_regular_file(file_ec) || file_ec) continue;
    const auto written = fs::last_write_time(it->path(), file_ec);
    if (!file_ec && now - written > kStaleAfter) fs::remove(it->path(), file_ec);
  }
}

}  // namespace

std::size_t IniFile::NameHash::operator()(std::string_view name) const {
  std::size_t hash = 14695981039346656037ull;
  for (char c : name) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<unsigned char>(lower)) * 1099511628211ull;
  }
  return hash;
}

bool IniFile::SameName::operator()(std::string_view a, std::string_view b) const {
  return SameIgnoringCase(a, b);
}

IniFile::IniFile(const std::string& bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos) {
      Append({bytes.substr(start), ""});
      break;
    }
    std::size_t body_end = lf;
    if (body_end > start && bytes[body_end - 1] == '\r') --body_end;
    Append({bytes.substr(start, body_end - start), bytes.substr(body_end, lf + 1 - body_end)});
    start = lf + 1;
  }
}

void IniFile::Append(Line line) {
  const LineRef at = lines_.insert(lines_.end(), std::move(line));
  if (std::optional<std::string_view> name = SectionName(at->body)) {
    if (last_section_ != nullptr) last_section_->next_header = at;
    // A later header of the same name starts lines nobody reads.
    const auto [entry, added] = sections_.try_emplace(*name, Section{at, std::nullopt, {}});
    last_section_ = added ? &entry->second : nullptr;
  } else if (last_section_ != nullptr) {
    IndexEntry(*last_section_, at);
  }
}

void IniFile::IndexEntry(Section& section, LineRef line) {
  std::string_view key, value;
  if (SplitEntry(line->body, &key, &value)) section.keys.try_emplace(key, line);
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

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const {
  const auto found = sections_.find(section);
  if (found == sections_.end()) return std::nullopt;
  const auto entry = found->second.keys.find(key);
  if (entry == found->second.keys.end()) return std::nullopt;
  std::string_view line_key, value;
  SplitEntry(entry->second->body, &line_key, &value);
  return std::string(value);
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  std::string entry = key + "=" + value;
  const auto found = sections_.find(section);
  if (found == sections_.end()) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = "\n";
    Append({"[" + section + "]", "\n"});
    Append({entry, "\n"});
    return;
  }
  Section& s = found->second;
  if (const auto old = s.keys.find(key); old != s.keys.end()) {
    const LineRef line = old->second;
    s.keys.erase(old);  // its name points into the body about to change
    line->body = entry;  // the line keeps its own line end
    IndexEntry(s, line);
    return;
  }
  // After the section's last non-blank line, so blank lines before the next section stay
  // where they are.
  LineRef at = s.next_header ? *s.next_header : lines_.end();
  while (std::prev(at) != s.header && TrimBlanksAndTabs(std::prev(at)->body).empty()) --at;
  if (std::prev(at)->end.empty()) std::prev(at)->end = "\n";
  IndexEntry(s, lines_.insert(at, Line{entry, "\n"}));
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
  const std::string temp_prefix = "." + target.filename().string() + ".";
  RemoveStaleTemps(folder, temp_prefix);
  std::string temp = (folder / (temp_prefix + "XXXXXX")).string();
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
