#include "QuilloCore/FocusPolicy.hpp"

#include <algorithm>

#include "FocusPolicyCoding.hpp"
#include "QuilloCore/FocusClassifier.hpp"

namespace quillo {

using json_coding::CodingPath;
using json_coding::Json;

// MARK: - Matching

bool ElementMatcher::matches(const ElementInfo& info) const noexcept {
  if (role && (!info.role || *info.role != *role)) return false;
  if (subrole && (!info.subrole || *info.subrole != *subrole)) return false;
  if (identifier && (!info.identifier || *info.identifier != *identifier)) return false;
  if (identifierPrefix && (!info.identifier || !info.identifier->starts_with(*identifierPrefix))) {
    return false;
  }
  return true;
}

bool FocusRule::matches(const FocusSnapshot& snapshot) const noexcept {
  // A rule that would match every element (or every element of a subrole)
  // is never allowed to turn the focus into the message list.
  if (!focused.isSpecific()) return false;
  if (!focused.matches(snapshot.focused)) return false;
  if (!ancestor) return true;
  const std::int64_t depth = ancestorWithin && *ancestorWithin >= 2 ? *ancestorWithin : 1;
  const auto searched = static_cast<std::size_t>(
      std::min<std::int64_t>(depth, static_cast<std::int64_t>(snapshot.ancestors.size())));
  return std::any_of(snapshot.ancestors.begin(), snapshot.ancestors.begin() + searched,
                     [&](const ElementInfo& info) { return ancestor->matches(info); });
}

// MARK: - Defaults

const std::vector<std::string>& FocusPolicy::defaultComposeWindowMarkers() {
  static const std::vector<std::string> markers{"Mail.toField", "Mail.subjectField"};
  return markers;
}

const std::vector<std::string>& FocusPolicy::defaultComposeDenyRoles() {
  static const std::vector<std::string> roles{"AXSheet", "AXPopover", "AXMenu", "AXMenuBar",
                                              "AXMenuItem"};
  return roles;
}

const std::vector<std::string>& FocusPolicy::defaultMessageWindowMarkers() {
  static const std::vector<std::string> markers{"_MAIL_MESSAGE_CONTENT"};
  return markers;
}

const std::vector<std::string>& FocusPolicy::defaultMessageWindowDenyRoles() {
  static const std::vector<std::string> roles{"AXTextField", "AXTextArea", "AXComboBox",
                                              "AXSheet",     "AXPopover",  "AXMenu",
                                              "AXMenuBar",   "AXMenuItem"};
  return roles;
}

const FocusPolicy& FocusPolicy::default_() {
  static const FocusPolicy policy{
      .allow =
          {
              FocusRule{.focused = {.role = "AXTable", .identifierPrefix = "Mail.messageList"}},
              FocusRule{.focused = {.role = "AXRow"},
                        .ancestor = ElementMatcher{.role = "AXTable",
                                                   .identifierPrefix = "Mail.messageList"},
                        .ancestorWithin = 1},
          },
      .denyRoles = {"AXTextField", "AXTextArea", "AXComboBox", "AXWebArea", "AXSheet", "AXPopover",
                    "AXMenu", "AXMenuBar", "AXMenuItem"},
      .allowedWindowSubroles = {"AXStandardWindow"},
      .composeWindowMarkers = defaultComposeWindowMarkers(),
      .composeDenyRoles = defaultComposeDenyRoles(),
      .messageWindowMarkers = defaultMessageWindowMarkers(),
      .messageWindowDenyRoles = defaultMessageWindowDenyRoles(),
  };
  return policy;
}

// MARK: - Classification

namespace {

bool contains(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool hasRoleIn(const ElementInfo& info, const std::vector<std::string>& roles) {
  return info.role && contains(roles, *info.role);
}

/// Whether the focused element or any ancestor has a role in `roles`.
bool chainHasRoleIn(const FocusSnapshot& snapshot, const std::vector<std::string>& roles) {
  if (roles.empty()) return false;
  if (hasRoleIn(snapshot.focused, roles)) return true;
  return std::any_of(snapshot.ancestors.begin(), snapshot.ancestors.end(),
                     [&](const ElementInfo& info) { return hasRoleIn(info, roles); });
}

bool windowHoldsAny(const FocusSnapshot& snapshot, const std::vector<std::string>& markers) {
  return std::any_of(snapshot.windowContents.begin(), snapshot.windowContents.end(),
                     [&](const std::string& entry) { return contains(markers, entry); });
}

bool subroleAllowed(const ElementInfo& window, const FocusPolicy& policy) {
  if (policy.allowedWindowSubroles.empty()) return true;
  return window.subrole && contains(policy.allowedWindowSubroles, *window.subrole);
}

}  // namespace

FocusContext FocusClassifier::classify(const FocusSnapshot& snapshot, const FocusPolicy& policy) {
  const ElementInfo* window = snapshot.window();
  // Compose and message windows are recognised by what the window holds,
  // before and independently of the message-list rules.
  if (window && windowHoldsAny(snapshot, policy.composeWindowMarkers)) {
    return chainHasRoleIn(snapshot, policy.composeDenyRoles) ? FocusContext::other
                                                             : FocusContext::compose;
  }
  if (window && windowHoldsAny(snapshot, policy.messageWindowMarkers)) {
    if (!subroleAllowed(*window, policy)) return FocusContext::other;
    return chainHasRoleIn(snapshot, policy.messageWindowDenyRoles) ? FocusContext::other
                                                                   : FocusContext::messageWindow;
  }
  if (chainHasRoleIn(snapshot, policy.denyRoles)) return FocusContext::other;
  if (!window || !subroleAllowed(*window, policy)) return FocusContext::other;
  for (const auto& rule : policy.allow) {
    if (rule.matches(snapshot)) return FocusContext::messageList;
  }
  return FocusContext::other;
}

// MARK: - JSON

namespace {

void putIfPresent(Json& object, const char* key, const std::optional<std::string>& value) {
  if (value) object[key] = *value;
}

}  // namespace

Json ElementMatcher::toJSON() const {
  Json object = Json::object();
  putIfPresent(object, "role", role);
  putIfPresent(object, "subrole", subrole);
  putIfPresent(object, "identifier", identifier);
  putIfPresent(object, "identifierPrefix", identifierPrefix);
  return object;
}

Json FocusRule::toJSON() const {
  Json object = Json::object();
  object["focused"] = focused.toJSON();
  if (ancestor) object["ancestor"] = ancestor->toJSON();
  if (ancestorWithin) object["ancestorWithin"] = *ancestorWithin;
  return object;
}

Json FocusPolicy::toJSON() const {
  Json rules = Json::array();
  for (const auto& rule : allow)
    rules.push_back(rule.toJSON());
  return Json{
      {"allow", std::move(rules)},
      {"denyRoles", denyRoles},
      {"allowedWindowSubroles", allowedWindowSubroles},
      {"composeWindowMarkers", composeWindowMarkers},
      {"composeDenyRoles", composeDenyRoles},
      {"messageWindowMarkers", messageWindowMarkers},
      {"messageWindowDenyRoles", messageWindowDenyRoles},
  };
}

ElementMatcher ElementMatcher::fromJSON(const Json& object) {
  CodingPath path;
  return json_coding::decodeElementMatcher(object, path);
}

FocusRule FocusRule::fromJSON(const Json& object) {
  CodingPath path;
  return json_coding::decodeFocusRule(object, path);
}

FocusPolicy FocusPolicy::fromJSON(const Json& object) {
  CodingPath path;
  return json_coding::decodeFocusPolicy(object, path);
}

namespace json_coding {

namespace {

std::optional<std::string> optionalString(const Json& object, std::string_view key,
                                          CodingPath& path) {
  const Json* value = presentMember(object, key);
  if (!value) return std::nullopt;
  auto scope = path.enter(key);
  return decodeString(*value, path);
}

}  // namespace

ElementMatcher decodeElementMatcher(const Json& value, CodingPath& path) {
  expectObject(value, path);
  return ElementMatcher{
      .role = optionalString(value, "role", path),
      .subrole = optionalString(value, "subrole", path),
      .identifier = optionalString(value, "identifier", path),
      .identifierPrefix = optionalString(value, "identifierPrefix", path),
  };
}

FocusRule decodeFocusRule(const Json& value, CodingPath& path) {
  expectObject(value, path);
  FocusRule rule;
  const auto focused = value.find("focused");
  if (focused == value.end()) throwKeyNotFound(path, "focused");
  {
    auto scope = path.enter("focused");
    if (focused->is_null()) throwTypeMismatch(path, "an object", *focused);
    rule.focused = decodeElementMatcher(*focused, path);
  }
  if (const Json* ancestor = presentMember(value, "ancestor")) {
    auto scope = path.enter("ancestor");
    rule.ancestor = decodeElementMatcher(*ancestor, path);
  }
  if (const Json* within = presentMember(value, "ancestorWithin")) {
    auto scope = path.enter("ancestorWithin");
    rule.ancestorWithin = decodeInteger(*within, path);
  }
  return rule;
}

FocusPolicy decodeFocusPolicy(const Json& value, CodingPath& path) {
  expectObject(value, path);
  const FocusPolicy& defaults = FocusPolicy::default_();
  FocusPolicy policy;
  if (const Json* allow = presentMember(value, "allow")) {
    auto scope = path.enter("allow");
    if (!allow->is_array()) throwTypeMismatch(path, "an array of rules", *allow);
    policy.allow.reserve(allow->size());
    for (std::size_t i = 0; i < allow->size(); ++i) {
      auto element = path.enter(i);
      policy.allow.push_back(decodeFocusRule((*allow)[i], path));
    }
  } else {
    policy.allow = defaults.allow;
  }
  const std::pair<const char*, std::vector<std::string> FocusPolicy::*> lists[] = {
      {"denyRoles", &FocusPolicy::denyRoles},
      {"allowedWindowSubroles", &FocusPolicy::allowedWindowSubroles},
      {"composeWindowMarkers", &FocusPolicy::composeWindowMarkers},
      {"composeDenyRoles", &FocusPolicy::composeDenyRoles},
      {"messageWindowMarkers", &FocusPolicy::messageWindowMarkers},
      {"messageWindowDenyRoles", &FocusPolicy::messageWindowDenyRoles},
  };
  // Only what the object leaves out is taken from the default policy.
  for (const auto& [key, field] : lists) {
    if (const Json* list = presentMember(value, key)) {
      auto scope = path.enter(key);
      policy.*field = decodeStringArray(*list, path);
    } else {
      policy.*field = defaults.*field;
    }
  }
  return policy;
}

}  // namespace json_coding
}  // namespace quillo
