#include "platform/dialogs.h"

#include <atomic>
#include <cctype>

#include "platform/paths.h"

namespace platform {
namespace {

std::atomic<Dialogs*> g_dialogs{nullptr};

ScriptedDialogs& DefaultDialogs() {
  static ScriptedDialogs d;
  return d;
}

template <class T>
std::optional<T> Pop(std::deque<std::optional<T>>& q) {
  if (q.empty()) return std::nullopt;
  auto v = q.front();
  q.pop_front();
  return v;
}

std::string ChangeCase(std::string s, bool upper) {
  for (char& c : s) c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                                : std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Case-insensitive glob with '*' and '?'.
bool Glob(const char* p, const char* s) {
  for (; *p; ++p, ++s) {
    if (*p == '*') {
      while (p[1] == '*') ++p;
      if (!p[1]) return true;
      for (; *s; ++s)
        if (Glob(p + 1, s)) return true;
      return false;
    }
    if (!*s) return false;
    if (*p != '?' && std::tolower(static_cast<unsigned char>(*p)) != std::tolower(static_cast<unsigned char>(*s)))
      return false;
  }
  return !*s;
}

}  // namespace

Dialogs& CurrentDialogs() {
  Dialogs* d = g_dialogs.load();
  return d ? *d : DefaultDialogs();
}

void InstallDialogs(Dialogs* dialogs) { g_dialogs.store(dialogs); }

std::optional<std::string> ChooseFile(bool save, const std::string& title, const std::string& filter,
                                      const std::string& defaultExt) {
  FileDialogOptions o;
  o.title = title;
  o.filter = filter;
  o.defaultExt = defaultExt;
  o.overwritePrompt = save;
  return save ? CurrentDialogs().ChooseSaveFile(o) : CurrentDialogs().ChooseOpenFile(o);
}

void ScriptedDialogs::AnswerOpenFile(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  open_.push_back(std::move(path));
}
void ScriptedDialogs::AnswerSaveFile(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  save_.push_back(std::move(path));
}
void ScriptedDialogs::AnswerFolder(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  folder_.push_back(std::move(path));
}
void ScriptedDialogs::AnswerColour(std::optional<std::uint32_t> colour) {
  std::lock_guard lock(mutex_);
  colour_.push_back(colour);
}

std::vector<ScriptedDialogs::Request> ScriptedDialogs::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::optional<std::string> ScriptedDialogs::ChooseOpenFile(const FileDialogOptions& options) {
  std::lock_guard lock(mutex_);
  requests_.push_back({Request::OpenFile, options});
  return Pop(open_);
}

std::optional<std::string> ScriptedDialogs::ChooseSaveFile(const FileDialogOptions& options) {
  std::lock_guard lock(mutex_);
  requests_.push_back({Request::SaveFile, options});
  auto path = Pop(save_);
  if (path) *path = WithDefaultExtension(*path, options.defaultExt);
  return path;
}

std::optional<std::string> ScriptedDialogs::ChooseFolder(const std::string& title, const std::string& initialFolder) {
  std::lock_guard lock(mutex_);
  FileDialogOptions o;
  o.title = title;
  o.initialPath = initialFolder;
  requests_.push_back({Request::Folder, o});
  return Pop(folder_);
}

std::optional<std::uint32_t> ScriptedDialogs::ChooseColour(std::uint32_t initial) {
  std::lock_guard lock(mutex_);
  requests_.push_back({Request::Colour, {}});
  return Pop(colour_);
}

std::vector<FilterEntry> ParseFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= filter.size()) {
    std::size_t bar = filter.find('|', start);
    if (bar == std::string::npos) bar = filter.size();
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<FilterEntry> out;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;
    FilterEntry e{parts[i], {}};
    std::size_t s = 0;
    const std::string& pat = parts[i + 1];
    while (s <= pat.size()) {
      std::size_t semi = pat.find(';', s);
      if (semi == std::string::npos) semi = pat.size();
      std::string p = pat.substr(s, semi - s);
      while (!p.empty() && p.front() == ' ') p.erase(p.begin());
      while (!p.empty() && p.back() == ' ') p.pop_back();
      if (!p.empty()) e.patterns.push_back(p);
      s = semi + 1;
    }
    if (!e.patterns.empty()) out.push_back(std::move(e));
  }
  return out;
}

std::string FilterToWildcard(const std::string& filter) {
  std::string out;
  for (const auto& e : ParseFilter(filter)) {
    std::vector<std::string> pats;
    auto add = [&](const std::string& p) {
      for (const auto& q : pats)
        if (q == p) return;
      pats.push_back(p);
    };
    for (const auto& p : e.patterns) {
      add(p);
      add(ChangeCase(p, false));
      add(ChangeCase(p, true));
    }
    if (!out.empty()) out += '|';
    out += e.description + '|';
    for (std::size_t i = 0; i < pats.size(); ++i) out += (i ? ";" : "") + pats[i];
  }
  return out;
}

bool MatchesPatterns(const std::string& path, const std::vector<std::string>& patterns) {
  std::string name = FileName(path);
  for (const auto& p : patterns) {
    if (p == "*.*" || p == "*") return true;
    if (Glob(p.c_str(), name.c_str())) return true;
  }
  return false;
}

std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt) {
  if (defaultExt.empty() || path.empty()) return path;
  // A name typed with its extension in front of the one the dialog filled in keeps one.
  const std::string ext = "." + defaultExt;
  auto endsWithExt = [&ext](const std::string& s) {
    if (s.size() <= ext.size()) return false;
    for (std::size_t i = 0; i < ext.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(s[s.size() - ext.size() + i])) !=
          std::tolower(static_cast<unsigned char>(ext[i])))
        return false;
    return true;
  };
  if (endsWithExt(path) && endsWithExt(path.substr(0, path.size() - ext.size())))
    return path.substr(0, path.size() - ext.size());
  if (!Extension(path).empty()) return path;
  return path + ext;
}

}  // namespace platform
