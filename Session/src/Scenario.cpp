#include "Session/Scenario.hpp"

namespace quillo::simulated {
namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

/// The text after a marker ("| " or "> "): the marker and one blank go.
std::string afterMarker(std::string_view line) {
  line.remove_prefix(1);
  if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return std::string(line);
}

}  // namespace

std::vector<std::string> Scenario::words(std::string_view text, int line) {
  std::vector<std::string> result;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
      ++i;
    if (i >= text.size()) break;
    std::string word;
    if (text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        const char c = text[i++];
        if (c == '\\' && i < text.size()) {
          word += text[i++];
        } else if (c == '"') {
          closed = true;
          break;
        } else {
          word += c;
        }
      }
      if (!closed) throw ScenarioError(line, "a quote is not closed");
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t')
        word += text[i++];
    }
    result.push_back(std::move(word));
  }
  return result;
}

Scenario Scenario::parse(std::string_view text) {
  Scenario scenario;
  std::vector<std::string> pending;  // comments and blanks waiting for a step
  int number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string_view raw =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    start = end == std::string_view::npos ? text.size() + 1 : end + 1;
    if (end == std::string_view::npos && raw.empty()) break;  // the final line feed
    ++number;
    const std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#') {
      pending.emplace_back(line);
      continue;
    }
    if (line.front() == '|' || line.front() == '>') {
      if (scenario.steps.empty() || !pending.empty()) {
        throw ScenarioError(number,
                            std::string("a \"") + line.front() + "\" line must follow a step");
      }
      auto& step = scenario.steps.back();
      (line.front() == '|' ? step.block : step.expected).push_back(afterMarker(line));
      continue;
    }
    ScenarioStep step;
    step.line = number;
    step.text = std::string(line);
    step.words = words(line, number);
    step.leading = std::move(pending);
    pending.clear();
    scenario.steps.push_back(std::move(step));
  }
  scenario.trailing = std::move(pending);
  return scenario;
}

std::string Scenario::render(const std::vector<std::vector<std::string>>& observations) const {
  std::string out;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const ScenarioStep& step = steps[i];
    for (const auto& line : step.leading)
      out += line + "\n";
    out += step.text + "\n";
    for (const auto& line : step.block)
      out += "| " + line + "\n";
    if (i < observations.size()) {
      for (const auto& line : observations[i])
        out += "> " + line + "\n";
    }
  }
  for (const auto& line : trailing)
    out += line + "\n";
  return out;
}

std::string inQuotes(std::string_view text) {
  if (!text.empty() && text.find_first_of(" \t\"\\") == std::string_view::npos) {
    return std::string(text);
  }
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace quillo::simulated
