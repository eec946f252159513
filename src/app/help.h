#pragma once
// Help pages: a base address (built in, or the first line of "OnlineHelpURL.txt") followed
// by the page path of a topic number, opened with the desktop's browser.
#include <optional>
#include <string>

// The built-in help base; ends with '/'.
extern const char* const kBuiltInHelpBase;

// Page path of a topic: "" for topics 0 and below and above 55; the default row's page for
// topics 4, 15 and any topic of 1-55 without a row of its own.
std::string GetHelpTopicPath(int topic);
// Base followed directly by the topic's page path (no separator added).
std::string ComposeHelpAddress(const std::string& base, int topic);
// The first line of a help-base file without its line end; nullopt when the file is missing
// or its first line is empty.
std::optional<std::string> ReadHelpBaseFile(const std::string& path);
// Opens an address: a local folder address becomes a file:// address. A failure is said.
bool OpenHelpAddress(const std::string& address);
