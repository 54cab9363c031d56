// Decision and PassReason: the verdict on one key press.
//
// `passThrough` lets the key reach the application unchanged, with the
// reason; `perform` consumes it and names the action to carry out; `swallow`
// consumes it without doing anything (an auto-repeat of an action that does
// not repeat). Plain value; equal when case and payload are equal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

struct Keymap;

enum class PassReason : std::uint8_t {
  disabled,
  notMail,
  shortcutModifier,
  unmappedKey,
  shiftedNamedKey,
  focusNotMessageList,
  focusNotCompose,
  focusUnknown,
};

template <>
struct EnumRawValues<PassReason> {
  static constexpr std::array<std::string_view, 8> values{"disabled",         "notMail",
                                                          "shortcutModifier", "unmappedKey",
                                                          "shiftedNamedKey",  "focusNotMessageList",
                                                          "focusNotCompose",  "focusUnknown"};
};

class QUILLO_CORE_EXPORT Decision {
 public:
  enum class Kind : std::uint8_t { passThrough, perform, swallow };

  static constexpr Decision passThrough(PassReason reason) noexcept {
    return Decision(Kind::passThrough, reason, ActionID::archive);
  }
  static constexpr Decision perform(ActionID action) noexcept {
    return Decision(Kind::perform, PassReason::disabled, action);
  }
  static constexpr Decision swallow(ActionID action) noexcept {
    return Decision(Kind::swallow, PassReason::disabled, action);
  }

  constexpr Kind kind() const noexcept { return kind_; }
  /// The action to perform; none for passThrough and swallow.
  constexpr std::optional<ActionID> action() const noexcept {
    return kind_ == Kind::perform ? std::optional<ActionID>(action_) : std::nullopt;
  }
  /// The action named by perform or swallow.
  constexpr std::optional<ActionID> payloadAction() const noexcept {
    return kind_ == Kind::passThrough ? std::nullopt : std::optional<ActionID>(action_);
  }
  constexpr std::optional<PassReason> reason() const noexcept {
    return kind_ == Kind::passThrough ? std::optional<PassReason>(reason_) : std::nullopt;
  }
  constexpr bool swallowsKey() const noexcept { return kind_ != Kind::passThrough; }

  /// "perform archive", "swallow archive", "passThrough unmappedKey"; an
  /// action of a keymap's own is named by `keymap` (empty without it).
  std::string description(const Keymap* keymap = nullptr) const;

  constexpr bool operator==(const Decision& other) const noexcept {
    if (kind_ != other.kind_) return false;
    return kind_ == Kind::passThrough ? reason_ == other.reason_ : action_ == other.action_;
  }

 private:
  constexpr Decision(Kind kind, PassReason reason, ActionID action) noexcept
      : kind_(kind), reason_(reason), action_(action) {}

  Kind kind_;
  PassReason reason_;
  ActionID action_;
};

}  // namespace quillo
