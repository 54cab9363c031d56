// How a scenario step's words are read: the forms steps and expectations are
// written in, the choice of the form a step's words fit, and the small word
// helpers every area's steps share.
//
// A usage is read as words separated by blanks ("quoted" ones may hold
// blanks). A word of lowercase letters, digits and hyphens is written as it
// stands, in any letter case, with "|" between alternatives; any other word
// is a placeholder; from a word starting with "[" on, everything is optional.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Session/ScenarioRunner.hpp"
#include "Simulator/SimulatedMac.hpp"

namespace quillo::simulated {

/// A step that cannot be carried out; its message is the step's failure.
struct StepFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

template <class Run>
struct ScenarioRunner::Form {
  std::string usage;        // how it is written; the first word selects it
  std::string description;  // for help; none: it shares the next form's
  Run run;
  bool exact = false;  // no words beyond the usage's
};

namespace steps {

std::string joined(const std::vector<std::string>& words, std::size_t from, std::size_t to,
                   const char* separator = " ");
/// A number of at least 0; throws StepFailure for any other word.
double number(const std::string& word);
std::string lower(std::string text);

/// An application the steps know by name.
struct KnownApp {
  std::string_view name;
  std::string_view bundleID;
};
/// The application by its name in any letter case; none when unknown.
const KnownApp* knownApp(const std::string& name);
/// The names of the known applications, as "switch to" takes them.
std::string knownAppNames();
/// The same without Mail, which has steps of its own.
std::string otherAppNames();

/// Whether `word` is one of the "|"-separated `alternatives`.
bool among(std::string_view alternatives, std::string_view word);
/// `words` from `from` on, read by `usage`: the words with their fixed ones in
/// lowercase, or nothing when they do not fit. Words past the usage's fit
/// only when it is not `exact`.
std::optional<std::vector<std::string>> fitted(const std::string& usage,
                                               std::vector<std::string> words, std::size_t from,
                                               bool exact);

/// The form `words` (from `from` on) are written in, with the words as it
/// reads them. Throws the usages of the forms its first word selects when
/// none fits, and `unknown` when the first word selects none.
template <class Form>
std::pair<const Form*, std::vector<std::string>> chosen(const std::vector<Form>& forms,
                                                        const std::vector<std::string>& words,
                                                        std::size_t from, const char* prefix,
                                                        const std::string& unknown) {
  std::string usages;
  const std::string first = from < words.size() ? lower(words[from]) : std::string();
  for (const Form& form : forms) {
    if (!among(Scenario::words(form.usage).front(), first)) continue;
    if (auto fit = fitted(form.usage, words, from, form.exact)) return {&form, std::move(*fit)};
    usages += (usages.empty() ? "" : " | ") + std::string(prefix) + form.usage;
  }
  throw StepFailure(usages.empty() ? unknown : "usage: " + usages);
}

}  // namespace steps
}  // namespace quillo::simulated
