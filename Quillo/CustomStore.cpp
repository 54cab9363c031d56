#include "CustomStore.hpp"

#include <nlohmann/json.hpp>

#include "Platform/FileSystem.hpp"
#include "QuilloCore/DecodingError.hpp"
#include "QuilloCore/FileLimits.hpp"

namespace quillo {

CustomStore::CustomStore(const platform::Paths& paths, platform::FileSystem& files,
                         platform::SystemLog& systemLog)
    : filePath_(paths.applicationSupport() / "Quillo" / "custom.json"),
      files_(files),
      log_(systemLog, "app") {}

void CustomStore::load() {
  const platform::FileResult read = files_.read(filePath_, FileLimits::maximumSize);
  if (!read.ok) {
    // A FIFO or a folder by that name is not taken for a definition; say why
    // the set is not what the user may expect.
    if (read.notRegularFile) {
      log_.error("Couldn't read the custom shortcuts: custom.json isn't a regular file");
    }
    return;
  }
  try {
    definition_ = CustomKeymap::decode(read.contents);
    exists_ = true;
  } catch (const DecodingError& error) {
    // Not a definition: keep the empty one; the next save keeps a copy of
    // the file before it replaces it.
    log_.error("Couldn't decode the custom shortcuts in custom.json: " + error.description());
  }
}

std::optional<std::string> CustomStore::keepUndecodable() {
  const platform::FileResult read = files_.read(filePath_, FileLimits::maximumSize);
  if (!read.ok) return std::nullopt;  // nothing there, or nothing a save replaces
  try {
    CustomKeymap::decode(read.contents);
    return std::nullopt;
  } catch (const DecodingError&) {
  }
  const auto aside = platform::freeSibling(filePath_, undecodableSuffix);
  // A file past the size limit was not read whole: it moves aside instead.
  const bool whole = read.contents.size() <= FileLimits::maximumSize;
  if (auto error = whole ? files_.writeAtomically(aside, read.contents, 0644)
                         : files_.rename(filePath_, aside)) {
    return "couldn't keep a copy of the undecodable custom.json: " + *error;
  }
  log_.notice("custom.json couldn't be decoded: kept a copy of it as " + aside.string());
  return std::nullopt;
}

void CustomStore::save() {
  std::optional<std::string> error = files_.createDirectories(filePath_.parent_path());
  if (!error) error = keepUndecodable();
  if (!error) {
    // nlohmann's objects keep their members sorted by name.
    error = files_.writeAtomically(filePath_, definition_.toJSON().dump(2) + "\n", 0644);
  }
  if (error) {
    log_.error("Couldn't save the custom shortcuts: " + *error);
    return;
  }
  exists_ = true;
}

void CustomStore::change(const std::function<void(CustomKeymap&)>& edit) {
  edit(definition_);
  save();
}

}  // namespace quillo
