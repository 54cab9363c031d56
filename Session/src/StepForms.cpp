#include "StepForms.hpp"

#include <algorithm>
#include <cctype>
#include <exception>

namespace quillo::simulated::steps {

using sim::SimulatedMac;

namespace {

constexpr KnownApp kKnownApps[] = {
    {"Mail", SimulatedMac::mailBundleID}, {"Safari", SimulatedMac::safariBundleID},
    {"TextEdit", "com.apple.TextEdit"},   {"Finder", SimulatedMac::finderBundleID},
    {"Notes", "com.apple.Notes"},         {"Terminal", "com.apple.Terminal"},
};

bool isFixed(std::string_view part) {
  return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '|';
  });
}

}  // namespace

std::string joined(const std::vector<std::string>& words, std::size_t from, std::size_t to,
                   const char* separator) {
  std::string text;
  for (std::size_t i = from; i < std::min(to, words.size()); ++i) {
    if (i > from) text += separator;
    text += words[i];
  }
  return text;
}

double number(const std::string& word) {
  try {
    std::size_t used = 0;
    const double value = std::stod(word, &used);
    if (used == word.size() && value >= 0) return value;
  } catch (const std::exception&) {
  }
  throw StepFailure("\"" + word + "\" is not a number");
}

std::string lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const KnownApp* knownApp(const std::string& name) {
  for (const KnownApp& app : kKnownApps) {
    if (lower(std::string(app.name)) == lower(name)) return &app;
  }
  return nullptr;
}

std::string knownAppNames() {
  std::vector<std::string> names;
  for (const KnownApp& app : kKnownApps)
    names.emplace_back(app.name);
  return joined(names, 0, names.size(), "|");
}

std::string otherAppNames() {
  std::vector<std::string> names;
  for (const KnownApp& app : kKnownApps) {
    if (app.bundleID != SimulatedMac::mailBundleID) names.emplace_back(app.name);
  }
  return joined(names, 0, names.size(), "|");
}

bool among(std::string_view alternatives, std::string_view word) {
  while (true) {
    const std::size_t bar = alternatives.find('|');
    if (alternatives.substr(0, bar) == word) return true;
    if (bar == std::string_view::npos) return false;
    alternatives.remove_prefix(bar + 1);
  }
}

std::optional<std::vector<std::string>> fitted(const std::string& usage,
                                               std::vector<std::string> words, std::size_t from,
                                               bool exact) {
  const auto parts = Scenario::words(usage);
  std::size_t i = 0;
  for (; i < parts.size() && !parts[i].starts_with("["); ++i) {
    if (from + i >= words.size()) return std::nullopt;
    if (!isFixed(parts[i])) continue;
    std::string& word = words[from + i];
    word = lower(word);
    if (!among(parts[i], word)) return std::nullopt;
  }
  if (exact && i == parts.size() && from + i < words.size()) return std::nullopt;
  return words;
}

}  // namespace quillo::simulated::steps
