#include "QuilloCore/MenuResolver.hpp"

#include "Unicode.hpp"

namespace quillo {
namespace {

/// Trims spaces and tabs and writes every "..." as the ellipsis character.
std::string normalisedTitle(std::string_view text) {
  const std::string_view trimmed = unicode::trimmingSpacesAndTabs(text);
  std::string result;
  result.reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size();) {
    if (trimmed.compare(i, 3, "...") == 0) {
      result += "\u2026";
      i += 3;
    } else {
      result += trimmed[i++];
    }
  }
  return result;
}

}  // namespace

bool MenuResolver::titleMatches(std::string_view title, std::string_view pattern) {
  const std::string normalTitle = normalisedTitle(title);
  const std::string normalPattern = normalisedTitle(pattern);
  if (!normalPattern.empty() && normalPattern.back() == '*') {
    const std::string_view stem(normalPattern.data(), normalPattern.size() - 1);
    if (stem.empty()) return false;
    return unicode::lowercased(normalTitle).starts_with(unicode::lowercased(stem));
  }
  return unicode::equalsIgnoringCase(normalTitle, normalPattern);
}

namespace {
constexpr std::string_view kSeparator = " \u203a ";
constexpr std::string_view kTypedSeparator = " > ";
}  // namespace

std::string MenuResolver::pathText(const std::vector<std::string>& path) {
  std::string text;
  for (const auto& title : path) {
    if (!text.empty()) text += kSeparator;
    text += title;
  }
  return text;
}

std::vector<std::string> MenuResolver::pathFromText(std::string_view text) {
  std::vector<std::string> titles;
  while (true) {
    std::size_t at = text.find(kSeparator);
    std::size_t width = kSeparator.size();
    if (const std::size_t typed = text.find(kTypedSeparator); typed < at) {
      at = typed;
      width = kTypedSeparator.size();
    }
    titles.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) return titles;
    text.remove_prefix(at + width);
  }
}

}  // namespace quillo
