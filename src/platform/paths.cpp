#include "platform/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace platform {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t LastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i-- > 0;)
    if (IsSeparator(path[i])) return i;
  return std::string_view::npos;
}

std::string FileName(std::string_view path) {
  auto p = LastSeparator(path);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string FileTitle(std::string_view path) {
  std::string name = FileName(path);
  auto dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string Directory(std::string_view path) {
  auto p = LastSeparator(path);
  if (p == std::string_view::npos) return {};
  if (p == 0) return "/";
  return std::string(path.substr(0, p));
}

std::string Extension(std::string_view path) {
  std::string name = FileName(path);
  auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return name.substr(dot);
}

std::string ReplaceExtension(std::string_view path, std::string_view newExt) {
  std::string ext = Extension(path);
  std::string out(path.substr(0, path.size() - ext.size()));
  out += newExt;
  return out;
}

std::string Join(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::string out(dir);
  if (!IsSeparator(out.back())) out += '/';
  while (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
  out += name;
  return out;
}

std::string ToNative(std::string_view path) {
  std::string out(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

bool HasExtension(std::string_view path, std::string_view ext) {
  std::string e = Extension(path);
  if (e.size() != ext.size()) return false;
  for (std::size_t i = 0; i < e.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(e[i])) != std::tolower(static_cast<unsigned char>(ext[i])))
      return false;
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
