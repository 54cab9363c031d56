#include "CustomStore.hpp"

#include <nlohmann/json.hpp>

#include "Platform/FileSystem.hpp"
#include "QuilloCore/DecodingError.hpp"
#include "QuilloCore/FileLimits.hpp"

namespace quillo {

CustomStore::CustomStore(const platform::Paths& paths, platform::FileSystem& files,
                         platform::SystemLog& systemLog)
    : fileURL_(paths.applicationSupport() / "Quillo" / "custom.json"),
      files_(files),
      log_(systemLog, "app") {}

void CustomStore::load() {
  const platform::FileResult read = files_.read(fileURL_, FileLimits::maximumSize);
  if (!read.ok) {
    // A FIFO or a folder by that name is not taken for a definition; say why
    // the set is not what the user may expect.
    if (read.notRegularFile) {
      log_.error("Couldn't read the custom shortcuts: custom.json isn't a regular file");
    }
    return;
  }
  try {
    definition = CustomKeymap::decode(read.contents);
    exists = true;
  } catch (const DecodingError&) {
    // Not a definition: keep the empty one; the next save replaces the file.
  }
}

void CustomStore::save() {
  std::optional<std::string> error = files_.createDirectories(fileURL_.parent_path());
  if (!error) {
    // nlohmann's objects keep their members sorted by name.
    error = files_.writeAtomically(fileURL_, definition.toJSON().dump(2) + "\n", 0644);
  }
  if (error) {
    log_.error("Couldn't save the custom shortcuts: " + *error);
    return;
  }
  exists = true;
}

}  // namespace quillo
