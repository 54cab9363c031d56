// The steps of the files in Quillo's folder: written, saved as editors do,
// removed, and a folder that fails.
#include "StepForms.hpp"

#include <filesystem>
#include <fstream>
#include "Platform/FileSystem.hpp"

namespace quillo::simulated {

using namespace steps;

std::vector<ScenarioRunner::Step> ScenarioRunner::fileSteps() {
  using R = ScenarioRunner;
  using S = ScenarioStep;
  return {
      {"write FILE",
       "write FILE in Quillo's folder (keymap.json, custom.json) from the \"| \" lines that "
       "follow (at the console: the lines that follow, up to a line with a single \".\")",
       [](R& r, const Words& w, const S& step) {
         std::string contents;
         for (const auto& line : step.block)
           contents += line + "\n";
         const auto path = r.host_.supportFolder() / w[1];
         platform::createDirectories(path.parent_path());
         // Written in place, as an editor that saves over the file does.
         std::ofstream file(path, std::ios::trunc);
         file << contents;
         if (!file) throw StepFailure("cannot write " + path.string());
         r.written_[w[1]] = contents;
       }},
      {"remove FILE", "delete a file in Quillo's folder",
       [](R& r, const Words& w, const S&) {
         std::filesystem::remove(r.host_.supportFolder() / w[1]);
       }},
      {"save FILE in-place|truncate|atomic|recreate|symlink",
       "save FILE in Quillo's folder from the \"| \" lines as an editor does: over the old "
       "bytes, truncating first, writing a temporary file renamed over it, deleting and "
       "creating it anew, or writing the file a symbolic link FILE points to (made on first use)",
       [](R& r, const Words& w, const S& step) { r.save(w[1], w[2], step.block); }},
      {"disk full|ok", "",
       [](R& r, const Words& w, const S&) {
         r.folderFault(w[1] == "full" ? ScenarioHost::FolderFault::diskFull
                                      : ScenarioHost::FolderFault::none);
       }},
      {"folder read-only|writable",
       "Quillo's folder fails as on a full disk or a read-only volume (files there stay "
       "readable), or works again",
       [](R& r, const Words& w, const S&) {
         r.folderFault(w[1] == "read-only" ? ScenarioHost::FolderFault::readOnly
                                           : ScenarioHost::FolderFault::none);
       }},
      {"delete debug-log-folder", "delete the folder of Quillo's debug log, with the log",
       [](R& r, const Words&, const S&) {
         std::filesystem::remove_all(r.host_.debugLog().filePath().parent_path());
       }},
  };
}

void ScenarioRunner::folderFault(ScenarioHost::FolderFault fault) {
  if (!host_.setFolderFault(fault)) throw StepFailure("the files here cannot fail");
}

void ScenarioRunner::save(const std::string& name, const std::string& how,
                          const std::vector<std::string>& block) {
  std::string contents;
  for (const auto& line : block)
    contents += line + "\n";
  const auto folder = host_.supportFolder();
  const auto path = folder / name;
  platform::createDirectories(folder);
  const auto write = [](const std::filesystem::path& to, const std::string& text,
                        std::ios::openmode mode) {
    std::ofstream file(to, std::ios::binary | mode);
    file << text;
    if (!file) throw StepFailure("cannot write " + to.string());
  };
  if (how == "in-place") {
    // Over the old bytes, then cut what is left of a longer file: the file
    // keeps its inode throughout.
    if (!std::filesystem::exists(path)) write(path, "", std::ios::out);
    {
      std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
      file.seekp(0);
      file << contents;
      if (!file) throw StepFailure("cannot write " + path.string());
    }
    std::filesystem::resize_file(path, contents.size());
  } else if (how == "truncate") {
    write(path, "", std::ios::out | std::ios::trunc);
    write(path, contents, std::ios::out | std::ios::app);
  } else if (how == "atomic") {
    const auto temporary = folder / ("." + name + ".swp");
    write(temporary, contents, std::ios::out | std::ios::trunc);
    std::filesystem::rename(temporary, path);
  } else if (how == "recreate") {
    std::filesystem::remove(path);
    write(path, contents, std::ios::out | std::ios::trunc);
  } else {
    // Kept elsewhere, as in a folder of dotfiles, and linked into place.
    const auto target = folder.parent_path() / "dotfiles" / name;
    platform::createDirectories(target.parent_path());
    write(target, contents, std::ios::out | std::ios::trunc);
    if (!std::filesystem::is_symlink(path)) {
      std::filesystem::remove(path);
      std::filesystem::create_symlink(target, path);
    }
  }
  written_[name] = contents;
}

}  // namespace quillo::simulated
