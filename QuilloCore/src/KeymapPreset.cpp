#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

ChordBindings chords(std::initializer_list<std::pair<std::string_view, ActionID>> entries) {
  ChordBindings table;
  for (const auto& [text, action] : entries) {
    // The tables below are written in the chord text form; every entry parses.
    table.emplace(*KeyChord::fromKeymapString(text), action);
  }
  return table;
}

Keymap makeOutlookMac() {
  return Keymap({},
                chords({
                    {"ctrl+e", ActionID::archive},
                    {"ctrl+]", ActionID::nextMessage},
                    {"ctrl+[", ActionID::previousMessage},
                    {"cmd+j", ActionID::forward},
                    {"ctrl+1", ActionID::toggleFlag},
                    {"cmd+t", ActionID::markRead},
                    {"shift+cmd+t", ActionID::markUnread},
                    // Outlook for Mac's Move to folder.
                    {"shift+cmd+m", ActionID::moveToMailbox},
                }),
                Keymap::defaultComposeBindings(), {}, Keymap::defaultActions(),
                FocusPolicy::default_());
}

Keymap makeOutlookWindows() {
  return Keymap({{KeyToken::named(KeyToken::NamedKey::return_), ActionID::openMessage}},
                chords({
                    {"ctrl+r", ActionID::reply},
                    {"ctrl+shift+r", ActionID::replyAll},
                    {"ctrl+f", ActionID::forward},
                    {"ctrl+n", ActionID::newMessage},
                    {"ctrl+q", ActionID::markRead},
                    {"ctrl+u", ActionID::markUnread},
                    {"ctrl+shift+g", ActionID::toggleFlag},
                    {"ctrl+e", ActionID::focusSearch},
                    {"ctrl+z", ActionID::undo},
                    // Outlook for Windows' Move to folder.
                    {"ctrl+shift+v", ActionID::moveToMailbox},
                }),
                chords({{"ctrl+return", ActionID::send}, {"ctrl+enter", ActionID::send}}),
                chords({
                    {"ctrl+c", ActionID::copy},
                    {"ctrl+v", ActionID::paste},
                    {"ctrl+x", ActionID::cut},
                }),
                Keymap::defaultActions(), FocusPolicy::default_());
}

}  // namespace

const Keymap& keymap(KeymapPreset preset) {
  switch (preset) {
    case KeymapPreset::outlookMac: {
      static const Keymap outlookMac = makeOutlookMac();
      return outlookMac;
    }
    case KeymapPreset::outlookWindows: {
      static const Keymap outlookWindows = makeOutlookWindows();
      return outlookWindows;
    }
    case KeymapPreset::gmail:
      break;
  }
  return Keymap::default_();
}

}  // namespace quillo
