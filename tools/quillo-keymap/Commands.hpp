// The subcommands of quillo-keymap. Each takes its own arguments, writes its
// result to `out` and problems to `err`, and returns the exit status.
#pragma once

#include <iosfwd>

#include <ostream>

#include "Arguments.hpp"
#include "KeymapFiles.hpp"

namespace quillo::keymaptool {

/// Runs a command's body and turns its failures into the exit statuses of
/// the tool: 2 for a usage error, 1 for a file that cannot be used.
template <class Body>
int reportingErrors(std::ostream& err, Body&& body) {
  try {
    return body();
  } catch (const UsageError& error) {
    err << "error: " << error.what() << "\n";
    return 2;
  } catch (const FileError& error) {
    err << "error: " << error.what() << "\n";
    return 1;
  }
}

int explain(Arguments arguments, std::ostream& out, std::ostream& err);
int check(Arguments arguments, std::ostream& out, std::ostream& err);
int cheatsheet(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace quillo::keymaptool
