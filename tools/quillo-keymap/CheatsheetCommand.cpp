// quillo-keymap cheatsheet: which keys do what, and where, for a keymap.
#include <iostream>

#include "Commands.hpp"
#include "KeymapFiles.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/DecodingError.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo::keymaptool {
namespace {

/// The keymap to list: a preset's (default gmail), none for "off", or the one
/// read from a keymap file or a custom definition.
std::optional<Keymap> chosenKeymap(Arguments& arguments) {
  const auto set = arguments.take("set");
  const auto file = arguments.take("file");
  const auto custom = arguments.take("custom");
  if ((set ? 1 : 0) + (file ? 1 : 0) + (custom ? 1 : 0) > 1) {
    throw UsageError("use only one of --set, --file and --custom");
  }
  if (!arguments.positionals().empty()) throw UsageError("cheatsheet takes no KEY or FILE");
  if (file) return loadKeymapFile(*file).keymap;
  if (custom) {
    const std::string data = readWholeFile(*custom);
    try {
      return CustomKeymap::decode(data).keymap();
    } catch (const DecodingError& error) {
      throw FileError(*custom + " isn't a custom keymap: " + error.what());
    }
  }
  if (set == "off") return std::nullopt;
  if (!set) return keymap(KeymapPreset::gmail);
  if (auto preset = fromRawValue<KeymapPreset>(*set)) return keymap(*preset);
  throw UsageError("--set must be one of gmail, outlookMac, outlookWindows, off, not \"" + *set +
                   "\"");
}

std::string placesText(CheatSheet::PlaceSet places) {
  std::string text;
  for (auto place : allCases<CheatSheet::Place>()) {
    if (!places.contains(place)) continue;
    if (!text.empty()) text += ',';
    text += rawValue(place);
  }
  return text;
}

}  // namespace

int cheatsheet(Arguments arguments, std::ostream& out, std::ostream& err) {
  return reportingErrors(err, [&] {
    const std::optional<Keymap> keymap = chosenKeymap(arguments);
    for (const auto& entry : CheatSheet::entries(keymap)) {
      std::string keys;
      for (const auto& key : entry.keys) {
        if (!keys.empty()) keys += ' ';
        keys += key.keymapString();
      }
      // A sequence's own space would read as two keys: it is quoted.
      for (const auto& sequence : entry.sequences) {
        if (!keys.empty()) keys += ' ';
        keys += '"' + sequence.keymapString() + '"';
      }
      out << keymap.value_or(Keymap::default_()).actionName(entry.action) << '\t' << keys << '\t'
          << placesText(entry.places) << '\t' << (entry.fromQuillo ? "quillo" : "mail") << '\n';
    }
    return 0;
  });
}

}  // namespace quillo::keymaptool
