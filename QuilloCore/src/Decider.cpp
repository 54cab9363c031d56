#include "QuilloCore/Decider.hpp"

#include "QuilloCore/KeyChord.hpp"

namespace quillo {

std::string Decision::description(const Keymap* keymap) const {
  const auto name = [&] {
    return std::string(keymap ? keymap->actionName(action_) : rawValue(action_));
  };
  switch (kind_) {
    case Kind::passThrough:
      return "passThrough " + std::string(rawValue(reason_));
    case Kind::perform:
      return "perform " + name();
    case Kind::swallow:
      return "swallow " + name();
  }
  return {};
}

namespace {

/// Performs the action, unless this is an auto-repeat of an action that does
/// not repeat: then the key is swallowed and nothing happens.
Decision fire(ActionID action, bool isAutoRepeat) {
  return !isAutoRepeat || isRepeatable(action) ? Decision::perform(action)
                                               : Decision::swallow(action);
}

Decision decideChord(const KeyToken& key, KeyModifiers modifiers, bool isAutoRepeat,
                     FunctionRef<FocusContext()> focus, const Keymap& keymap) {
  const KeyChord chord(key, modifiers);
  const auto list = keymap.listAction(chord);
  const auto compose = keymap.composeAction(chord);
  const auto anywhere = keymap.anywhereAction(chord);
  if (!list && !compose && !anywhere) return Decision::passThrough(PassReason::shortcutModifier);

  const FocusContext context = focus();
  if (context == FocusContext::unknown) return Decision::passThrough(PassReason::focusUnknown);
  if (context == FocusContext::compose && compose) return fire(*compose, isAutoRepeat);
  if (list && ((context == FocusContext::messageList && keymap.actsInMessageList(*list)) ||
               (context == FocusContext::messageWindow && keymap.actsInMessageWindow(*list)))) {
    return fire(*list, isAutoRepeat);
  }
  if (anywhere) return fire(*anywhere, isAutoRepeat);
  if (compose && !list) return Decision::passThrough(PassReason::focusNotCompose);
  return Decision::passThrough(PassReason::focusNotMessageList);
}

Decision decideSingleKey(const KeyToken& key, KeyModifiers modifiers, bool isAutoRepeat,
                         FunctionRef<FocusContext()> focus, const Keymap& keymap) {
  const auto action = keymap.action(key);
  if (!action) return Decision::passThrough(PassReason::unmappedKey);
  if (key.isNamed() && modifiers.contains(KeyModifiers::shift)) {
    return Decision::passThrough(PassReason::shiftedNamedKey);
  }
  switch (focus()) {
    case FocusContext::messageList:
      if (keymap.actsInMessageList(*action)) return fire(*action, isAutoRepeat);
      break;
    case FocusContext::unknown:
      return Decision::passThrough(PassReason::focusUnknown);
    case FocusContext::messageWindow:
      if (keymap.actsInMessageWindow(*action)) return fire(*action, isAutoRepeat);
      break;
    case FocusContext::compose:
    case FocusContext::other:
      break;
  }
  return Decision::passThrough(PassReason::focusNotMessageList);
}

}  // namespace

Decision Decider::decide(const std::optional<KeyToken>& key, KeyModifiers modifiers,
                         bool isAutoRepeat, std::optional<std::string_view> frontmostBundleID,
                         FunctionRef<FocusContext()> focus, const Keymap& keymap, bool enabled) {
  if (!enabled) return Decision::passThrough(PassReason::disabled);
  if (!frontmostBundleID || *frontmostBundleID != mailBundleID) {
    return Decision::passThrough(PassReason::notMail);
  }
  if (!key) return Decision::passThrough(PassReason::unmappedKey);
  if (!modifiers.isDisjoint(KeyModifiers::shortcutModifiers)) {
    return decideChord(*key, modifiers, isAutoRepeat, focus, keymap);
  }
  return decideSingleKey(*key, modifiers, isAutoRepeat, focus, keymap);
}

}  // namespace quillo
