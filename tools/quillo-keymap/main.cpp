// quillo-keymap: tools for people who edit their Quillo keymap by hand.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.hpp"

namespace {

constexpr const char* kUsage = R"USAGE(usage: quillo-keymap <command> [options]

commands:
  explain [--set gmail|outlookMac|outlookWindows | --file FILE]
          [--focus messageList|compose|messageWindow|other|unknown]
          [--app BUNDLE_ID] [--repeat] [--off] KEY
      What would pressing KEY do? KEY is written like a chord in keymap.json,
      with the key exactly as typed: e, I, shift+I, #, ctrl+E, cmd+return,
      cmd++. "none" stands for a key press that produced no character.
      Prints "perform ACTION", "swallow ACTION" or "passThrough REASON",
      followed by " (focus consulted)" when Mail's focus would be read; a key
      that begins a two-key sequence prints "startsWait".
      KEY may be a sequence of two keys, "g i": then one line per key,
      "g: startsWait (focus consulted)" and "i: completesSequence perform
      ACTION (focus consulted)" (the second key pressed within the wait, in
      the same focus: a focus that moved ends the wait).
      With --file, the keymap is the one read from FILE.

  check [FILE]
      Reads a keymap file the way Quillo loads it and prints each warning,
      then "FILE: N single keys, M chords, W warnings" (with ", S sequences"
      before the warnings when the file has two-key sequences). Then one line
      per action the file defines of its own ("own action NAME ("TITLE"):
      PATHS; acts in PLACES") and a note that only the running Mail can tell
      whether those menu items exist. FILE defaults to
      $XDG_CONFIG_HOME/Quillo/keymap.json (~/.config/Quillo/keymap.json).
      Exits 1 when the file cannot be read or is rejected as a whole.

  cheatsheet [--set gmail|outlookMac|outlookWindows|off | --file FILE |
              --custom CUSTOM_JSON]
      Lists, for every action (the file's own ones last), its keys and where
      they work: one line per action with four tab-separated fields: the
      action, its keys (chord text
      forms separated by spaces, a two-key sequence in double quotes: "g i"),
      the places (messageList, openMessage,
      writing) and "quillo" or "mail" (Mail's own shortcut, where the keymap
      gives the action none; showShortcuts, moveToMailbox and copyToMailbox,
      Quillo's own, have none of Mail's: no keys and no places then). The keymap is a preset's (default gmail), none
      at all with --set off, the one read from FILE, or that of a custom
      shortcut definition (custom.json).
)USAGE";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments.front() == "--help" || arguments.front() == "-h" ||
      arguments.front() == "help") {
    (arguments.empty() ? std::cerr : std::cout) << kUsage;
    return arguments.empty() ? 2 : 0;
  }
  const std::string command = arguments.front();
  arguments.erase(arguments.begin());
  using namespace quillo::keymaptool;
  if (command == "explain") return explain(Arguments(std::move(arguments)), std::cout, std::cerr);
  if (command == "check") return check(Arguments(std::move(arguments)), std::cout, std::cerr);
  if (command == "cheatsheet") {
    return cheatsheet(Arguments(std::move(arguments)), std::cout, std::cerr);
  }
  std::cerr << "error: unknown command \"" << command << "\" (try: quillo-keymap --help)\n";
  return 2;
}
