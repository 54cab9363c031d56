#include "Session/Scenario.hpp"

#include <sstream>
#include <utility>

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

std::optional<ScenarioStep> ScenarioReader::next() {
  std::optional<ScenarioStep> step = std::exchange(ahead_, std::nullopt);
  for (std::string raw; std::getline(in_, raw);) {
    ++number_;
    const std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#') {
      pending_.emplace_back(line);
      continue;
    }
    if (line.front() == '|' || line.front() == '>') {
      if (!step || !pending_.empty()) {
        throw ScenarioError(number_,
                            std::string("a \"") + line.front() + "\" line must follow a step");
      }
      (line.front() == '|' ? step->block : step->expected).push_back(afterMarker(line));
      continue;
    }
    ScenarioStep read;
    read.line = number_;
    read.text = std::string(line);
    read.words = Scenario::words(line, number_);
    read.leading = std::exchange(pending_, {});
    if (!step) {
      step = std::move(read);
      continue;
    }
    ahead_ = std::move(read);  // this step's lines end where the next step starts
    return step;
  }
  return step;
}

Scenario Scenario::parse(std::string_view text) {
  std::istringstream in{std::string(text)};
  ScenarioReader reader(in);
  Scenario scenario;
  while (auto step = reader.next())
    scenario.steps.push_back(std::move(*step));
  scenario.trailing = reader.trailing();
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
