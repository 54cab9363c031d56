// quillo-keymap explain: what would this key press do here?
#include <iostream>
#include <string>
#include <vector>

#include "Commands.hpp"
#include "KeymapFiles.hpp"
#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeySequenceState.hpp"
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
    // "g i": two keys, the second pressed while the first one's wait is on.
    std::vector<std::string> texts;
    if (KeySequence::looksLikeSequence(rest.front())) {
      const std::string& text = rest.front();
      const auto space = text.find(' ');
      if (text.find(' ', space + 1) != std::string::npos) {
        throw UsageError("\"" + text + "\" has more than two keys (a sequence is like \"g i\")");
      }
      texts = {text.substr(0, space), text.substr(space + 1)};
    } else {
      texts = {rest.front()};
    }
    std::vector<TypedKey> keys;
    for (const auto& text : texts)
      keys.push_back(parseTypedKey(text));
    const Keymap chosen = file ? loadKeymapFile(*file).keymap : keymap(preset);

    KeySequenceState state;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      bool consulted = false;
      // --repeat makes the last key an auto-repeat.
      const KeyStep step = state.keyDown(
          static_cast<std::int64_t>(i), keys[i].token, keys[i].modifiers,
          repeat && i + 1 == keys.size(), app,
          [&] {
            consulted = true;
            return focus;
          },
          chosen, !off, KeySequenceState::Time{0});
      if (keys.size() > 1) out << texts[i] << ": ";
      out << step.description(&chosen) << (consulted ? " (focus consulted)" : "") << "\n";
    }
    return 0;
  });
}

}  // namespace quillo::keymaptool
