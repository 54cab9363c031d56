#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ElementLabels.hpp"
#include "Fixtures.hpp"
#include "QuilloCore/DecodingError.hpp"
#include "QuilloCore/FocusClassifier.hpp"

namespace quillo {
namespace {

using nlohmann::json;
using testing::elementFromLabel;

std::optional<FocusSnapshot> snapshotFromFixture(const json& value) {
  if (value.is_null()) return std::nullopt;
  FocusSnapshot snapshot;
  snapshot.focused = elementFromLabel(value["focused"]);
  for (const auto& label : value["ancestors"])
    snapshot.ancestors.push_back(elementFromLabel(label));
  snapshot.windowContents = value["window"].get<std::vector<std::string>>();
  return snapshot;
}

TEST(FocusClassifier, ClassifiesEveryFixtureSnapshot) {
  const auto fixture = testing::loadFixture("focus_classification.json");
  for (const auto& entry : fixture["cases"]) {
    SCOPED_TRACE(entry["name"].get<std::string>());
    const FocusPolicy policy =
        entry.contains("policy") ? FocusPolicy::fromJSON(entry["policy"]) : FocusPolicy::default_();
    const auto context = FocusClassifier::classify(snapshotFromFixture(entry["snapshot"]), policy);
    EXPECT_EQ(rawValue(context), entry["expect"].get<std::string>());
  }
}

TEST(FocusSnapshot, WindowIsTheFirstAXWindowAncestorAndDescriptionJoinsLabels) {
  FocusSnapshot snapshot{
      .focused = elementFromLabel("AXRow/AXTableRow"),
      .ancestors = {elementFromLabel("AXTable#Mail.messageList"), elementFromLabel("?"),
                    elementFromLabel("AXWindow/AXStandardWindow"), elementFromLabel("AXWindow")},
  };
  ASSERT_NE(snapshot.window(), nullptr);
  EXPECT_EQ(snapshot.window()->subrole, "AXStandardWindow");
  EXPECT_EQ(snapshot.description(),
            "AXRow/AXTableRow \u2039 AXTable#Mail.messageList \u2039 ? \u2039 "
            "AXWindow/AXStandardWindow \u2039 AXWindow");
  EXPECT_EQ(FocusSnapshot{}.window(), nullptr);
}

TEST(ElementMatcher, EveryPresentFieldMustHold) {
  const ElementInfo table = elementFromLabel("AXTable/AXContent#Mail.messageList");
  const auto fixture = testing::loadFixture("element_matchers.json");
  for (const auto& c : fixture["cases"]) {
    SCOPED_TRACE(c["matcher"].dump());
    const ElementMatcher matcher = ElementMatcher::fromJSON(c["matcher"]);
    EXPECT_EQ(matcher.matches(table), c["matches"].get<bool>());
    EXPECT_EQ(matcher.isSpecific(), c["specific"].get<bool>());
  }
  // A required field the element lacks is a mismatch, not a pass.
  EXPECT_FALSE(ElementMatcher{.identifierPrefix = ""}.matches(ElementInfo{.role = "AXTable"}));
}

TEST(FocusPolicyJSON, MissingOrNullMembersKeepDefaultsAndPresentOnesReplaceWhole) {
  const auto policy =
      FocusPolicy::fromJSON(json::parse(R"({"denyRoles": [], "composeWindowMarkers": null,
                      "messageWindowMarkers": ["X"], "unknownMember": 3})"));
  EXPECT_TRUE(policy.denyRoles.empty());
  EXPECT_EQ(policy.composeWindowMarkers, FocusPolicy::defaultComposeWindowMarkers());
  EXPECT_EQ(policy.messageWindowMarkers, std::vector<std::string>{"X"});
  EXPECT_EQ(policy.allow, FocusPolicy::default_().allow);
}

TEST(FocusPolicyJSON, WritesEverythingAndReadsItBack) {
  FocusPolicy policy = FocusPolicy::default_();
  policy.allow.push_back(FocusRule{.focused = {.subrole = "AXOnly"}, .ancestorWithin = -3});
  const json written = policy.toJSON();
  EXPECT_EQ(written.size(), 7u);
  EXPECT_FALSE(written["allow"][0].contains("ancestor"));
  EXPECT_FALSE(written["allow"][0]["focused"].contains("subrole"));
  EXPECT_EQ(written["allow"][2]["ancestorWithin"], -3);
  EXPECT_EQ(FocusPolicy::fromJSON(written), policy);
}

std::string kindName(DecodingError::Kind kind) {
  switch (kind) {
    case DecodingError::Kind::typeMismatch:
      return "typeMismatch";
    case DecodingError::Kind::valueNotFound:
      return "valueNotFound";
    case DecodingError::Kind::keyNotFound:
      return "keyNotFound";
    case DecodingError::Kind::dataCorrupted:
      return "dataCorrupted";
  }
  return "?";
}

TEST(FocusPolicyJSON, ReportsTheKindAndPathOfBadValues) {
  const auto fixture = testing::loadFixture("focus_policy_errors.json");
  for (const auto& c : fixture["cases"]) {
    SCOPED_TRACE(c["policy"].dump());
    try {
      FocusPolicy::fromJSON(c["policy"]);
      ADD_FAILURE() << "decoded without error";
    } catch (const DecodingError& error) {
      EXPECT_EQ(kindName(error.kind()), c["kind"].get<std::string>());
      EXPECT_EQ(error.codingPath(), c["path"].get<std::vector<std::string>>());
      EXPECT_EQ(error.missingKey(), c.value("missingKey", std::string()));
    }
  }
}

}  // namespace
}  // namespace quillo
