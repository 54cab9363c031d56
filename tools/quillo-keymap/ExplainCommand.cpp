// quillo-keymap explain: what would this key press do here?
#include <iostream>
#include <string>

#include "Commands.hpp"
#include "KeymapFiles.hpp"
#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo::keymaptool {
namespace {

template <class E>
E parseChoice(const std::optional<std::string>& value, E fallback, const char* option) {
  if (!value) return fallback;
  if (auto parsed = fromRawValue<E>(*value)) return *parsed;
  std::string choices;
  for (E choice : allCases<E>()) {
    if (!choices.empty()) choices += ", ";
    choices += rawValue(choice);
  }
  throw UsageError("--" + std::string(option) + " must be one of " + choices + ", not \"" + *value +
                   "\"");
}

/// A key as typed, with modifier words: "e", "shift+I", "ctrl+E", "cmd++".
/// The key part keeps its case; "none" stands for a key press that produced
/// no usable character.
struct TypedKey {
  std::optional<KeyToken> token;
  KeyModifiers modifiers;
};

TypedKey parseTypedKey(const std::string& text) {
  const auto components = KeyChord::splitKeymapString(text);
  if (!components) {
    throw UsageError("\"" + text +
                     "\" has a modifier that is not one of cmd, command, ctrl, control, opt, "
                     "option, alt, shift");
  }
  if (components->keyPart == "none") return {std::nullopt, components->modifiers};
  auto token = KeyToken::fromKeymapString(components->keyPart);
  if (!token) {
    throw UsageError("\"" + std::string(components->keyPart) +
                     "\" is neither a single character nor a named key (return, enter, tab, "
                     "space, escape, delete, up, down, left, right)");
  }
  return {std::move(token), components->modifiers};
}

}  // namespace

int explain(Arguments arguments, std::ostream& out, std::ostream& err) {
  return reportingErrors(err, [&] {
    const auto set = arguments.take("set");
    const auto file = arguments.take("file");
    if (set && file) throw UsageError("--set and --file cannot be used together");
    const auto preset = parseChoice(set, KeymapPreset::gmail, "set");
    const auto focus = parseChoice(arguments.take("focus"), FocusContext::messageList, "focus");
    const std::string app = arguments.take("app").value_or(std::string(Decider::mailBundleID));
    const bool repeat = arguments.takeFlag("repeat");
    const bool off = arguments.takeFlag("off");
    const auto rest = arguments.positionals();
    if (rest.size() != 1) throw UsageError("explain needs exactly one KEY");
    const TypedKey key = parseTypedKey(rest.front());
    const Keymap chosen = file ? loadKeymapFile(*file).keymap : keymap(preset);

    bool consulted = false;
    const Decision decision = Decider::decide(
        key.token, key.modifiers, repeat, app,
        [&] {
          consulted = true;
          return focus;
        },
        chosen, !off);
    out << decision.description() << (consulted ? " (focus consulted)" : "") << "\n";
    return 0;
  });
}

}  // namespace quillo::keymaptool
