// Scenario: a script of what a user does on the simulated Mac, and what is
// expected to happen — the format of Quillo's golden tests and of the
// `quillo` program's scripts.
//
// One step per line; words are separated by blanks, and "double quotes" hold
// text with blanks (\" and \\ inside). Lines starting with "#" are comments,
// blank lines are kept as written. A step may be followed by:
//   | a line of a file's contents (for `write FILE`), one "| " line each;
//   > an observation: what the step is expected to make happen.
// Running a scenario produces the observations afresh; a golden test
// compares them with the "> " lines, and regenerating rewrites them.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "QuilloCore/ActionSpec.hpp"

namespace quillo::simulated {

struct ScenarioError : std::runtime_error {
  ScenarioError(int line, const std::string& message)
      : std::runtime_error("line " + std::to_string(line) + ": " + message), line(line) {}
  int line;
};

struct ScenarioStep {
  int line = 0;                       // 1-based, in the file
  std::string text;                   // the step as written
  std::vector<std::string> words;     // quotes removed
  std::vector<std::string> block;     // the "| " lines after it
  std::vector<std::string> expected;  // the "> " lines after it
  std::vector<std::string> leading;   // comments and blank lines before it
};

struct Scenario {
  std::vector<ScenarioStep> steps;
  std::vector<std::string> trailing;  // comments and blank lines at the end

  /// Throws ScenarioError for a "|" or ">" line without a step, or an
  /// unterminated quote.
  static Scenario parse(std::string_view text);
  /// Splits one step into words; throws ScenarioError on a bad quote.
  static std::vector<std::string> words(std::string_view text, int line = 0);

  /// The scenario written out with `observations[i]` as the "> " lines of
  /// step i (the file a golden test expects after regenerating).
  std::string render(const std::vector<std::vector<std::string>>& observations) const;
};

/// A word quoted when it needs to be.
std::string inQuotes(std::string_view text);

}  // namespace quillo::simulated
