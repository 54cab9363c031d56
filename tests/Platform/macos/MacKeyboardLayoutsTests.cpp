// The keyboard-layout adapter over the MacShim: UCKeyTranslate through the
// current input source's 'uchr' data types what the simulated Mac's layout
// types, key for key, so a control-letter chord is known by its letter.
#include <gtest/gtest.h>

#include "MacShimFixture.hpp"
#include "Platform/Text.hpp"
#include "Platform/macos/MacKeyboardLayouts.hpp"

namespace quillo {
namespace {

using namespace platform;

class MacKeyboardLayoutsTest : public testing::MacShimTest {
 protected:
  /// What the key types, as the key interceptor asks (no dead keys).
  std::optional<std::string> typed(const KeyboardLayouts& layouts, std::uint16_t keyCode,
                                   std::uint32_t modifiers) {
    const auto layout = layouts.currentKeyboardLayout();
    if (!layout) return std::nullopt;
    std::uint32_t deadKeyState = 0;
    std::u16string characters;
    if (layout->translate(keyCode, keyActionDown, modifiers, layouts.keyboardType(),
                          keyTranslateNoDeadKeysMask, deadKeyState, 4, characters) != 0)
      return std::nullopt;
    return text::utf8(characters);
  }

  macos::MacKeyboardLayouts layouts;
};

TEST_F(MacKeyboardLayoutsTest, EveryKeyTypesWhatTheMacsLayoutTypes) {
  const KeyboardLayouts& direct = mac.windowServer();
  for (std::uint16_t keyCode = 0; keyCode < 128; ++keyCode) {
    for (std::uint32_t modifiers : {0u, KeyTranslateModifiers::shift, KeyTranslateModifiers::option,
                                    KeyTranslateModifiers::control}) {
      EXPECT_EQ(typed(layouts, keyCode, modifiers), typed(direct, keyCode, modifiers))
          << "key " << keyCode << " modifiers " << modifiers;
    }
  }
}

TEST_F(MacKeyboardLayoutsTest, ADeadKeyWaitsUnlessDeadKeysAreOff) {
  const auto layout = layouts.currentKeyboardLayout();
  std::uint32_t deadKeyState = 0;
  std::u16string characters;
  ASSERT_EQ(layout->translate(KeyCode::e, keyActionDown, KeyTranslateModifiers::option,
                              layouts.keyboardType(), 0, deadKeyState, 4, characters),
            0);
  EXPECT_EQ(deadKeyState, 1u);
  EXPECT_TRUE(characters.empty());
}

TEST_F(MacKeyboardLayoutsTest, ALayoutWithoutKeyLayoutDataIsNone) {
  mac.windowServer().layoutDataAvailable = false;
  EXPECT_EQ(layouts.currentKeyboardLayout(), nullptr);
}

TEST_F(MacKeyboardLayoutsTest, AHeldLayoutKeepsItsInputSourceUntilLetGo) {
  auto layout = layouts.currentKeyboardLayout();
  EXPECT_GT(macshim::liveObjectCount(), liveBefore);
  layout.reset();
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore);
}

}  // namespace
}  // namespace quillo
