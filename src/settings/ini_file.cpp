// Reading, editing and atomically replacing the settings file.
#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
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

// FNV-1a over the name with A-Z as a-z, as SameIgnoringCase compares.
std::uint64_t NameHash(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : name) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<unsigned char>(lower)) * 1099511628211ull;
  }
  return hash;
}

}  // namespace

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
  const std::size_t at = lines_.size();
  lines_.push_back(std::move(line));
  if (std::optional<std::string_view> name = SectionName(lines_.back().body)) {
    if (last_section_) sections_[*last_section_].end = at;
    // A later header of the same name starts lines nobody reads.
    const auto [entry, added] = sections_.try_emplace(Lower(std::string(*name)));
    if (added) {
      entry->second.header = at;
      last_section_ = entry->first;
    } else {
      last_section_.reset();
    }
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

std::size_t IniFile::End(const Section& section) const {
  return section.end == kToTheEnd ? lines_.size() : section.end;
}

IniFile::Section* IniFile::FindSection(const std::string& section) const {
  const auto found = sections_.find(Lower(section));
  return found == sections_.end() ? nullptr : &found->second;
}

bool IniFile::FindKey(Section& section, const std::string& key, std::size_t* at,
                      bool* in_added) const {
  std::string_view line_key, value;
  if (!section.indexed) {
    for (std::size_t i = section.header + 1; i < End(section); ++i) {
      if (SplitEntry(lines_[i].body, &line_key, &value)) {
        section.keys.emplace_back(NameHash(line_key), i);
      }
    }
    std::sort(section.keys.begin(), section.keys.end());
    section.indexed = true;
  }
  // Equal hashes are in line order, so the first match is the key's first entry.
  const std::uint64_t hash = NameHash(key);
  for (auto it = std::lower_bound(section.keys.begin(), section.keys.end(),
                                  std::make_pair(hash, std::size_t{0}));
       it != section.keys.end() && it->first == hash; ++it) {
    if (SplitEntry(lines_[it->second].body, &line_key, &value) &&
        SameIgnoringCase(line_key, key)) {
      *at = it->second;
      *in_added = false;
      return true;
    }
  }
  for (std::size_t i = 0; i < section.added.size(); ++i) {
    if (SplitEntry(section.added[i].body, &line_key, &value) && SameIgnoringCase(line_key, key)) {
      *at = i;
      *in_added = true;
      return true;
    }
  }
  return false;
}

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const {
  Section* s = FindSection(section);
  std::size_t at = 0;
  bool in_added = false;
  if (s == nullptr || !FindKey(*s, key, &at, &in_added)) return std::nullopt;
  std::string_view line_key, value;
  SplitEntry((in_added ? s->added[at] : lines_[at]).body, &line_key, &value);
  return std::string(value);
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  std::string entry = key + "=" + value;
  Section* s = FindSection(section);
  if (s == nullptr) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = "\n";
    Append({"[" + section + "]", "\n"});
    Append({entry, "\n"});
    return;
  }
  std::size_t at = 0;
  bool in_added = false;
  if (FindKey(*s, key, &at, &in_added)) {
    // The line keeps its own line end; the key's name is the same but for case, so the
    // index holds.
    (in_added ? s->added[at] : lines_[at]).body = entry;
    return;
  }
  if (s->added.empty()) {
    // After the section's last non-blank line, so blank lines before the next section stay
    // where they are.
    std::size_t after = End(*s);
    while (after > s->header + 1 && TrimBlanksAndTabs(lines_[after - 1].body).empty()) --after;
    if (lines_[after - 1].end.empty()) lines_[after - 1].end = "\n";
    s->added_at = after;
  }
  s->added.push_back({entry, "\n"});
}

std::string IniFile::Text() const {
  std::vector<std::pair<std::size_t, const std::vector<Line>*>> added;
  for (const auto& [name, section] : sections_) {
    if (!section.added.empty()) added.emplace_back(section.added_at, &section.added);
  }
  std::sort(added.begin(), added.end());
  std::string text;
  auto next = added.begin();
  for (std::size_t i = 0; i <= lines_.size(); ++i) {
    for (; next != added.end() && next->first == i; ++next) {
      for (const Line& line : *next->second) text.append(line.body).append(line.end);
    }
    if (i < lines_.size()) text.append(lines_[i].body).append(lines_[i].end);
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
