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

#include <istream>
#include <optional>
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

/// Reads a scenario one step at a time, so that a script of any length is
/// never held whole.
class ScenarioReader {
 public:
  explicit ScenarioReader(std::istream& in) : in_(in) {}

  /// The next step with its "| " and "> " lines, or none at the end (then
  /// `trailing` holds the comments and blank lines after the last step).
  /// Throws ScenarioError as Scenario::parse does.
  std::optional<ScenarioStep> next();
  const std::vector<std::string>& trailing() const { return pending_; }

 private:
  std::istream& in_;
  int number_ = 0;                     // lines read
  std::optional<ScenarioStep> ahead_;  // the step that ended the last one
  std::vector<std::string> pending_;   // comments and blanks waiting for a step
};

/// A word quoted when it needs to be.
std::string inQuotes(std::string_view text);

}  // namespace quillo::simulated
