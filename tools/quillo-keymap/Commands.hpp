// The subcommands of quillo-keymap. Each takes its own arguments, writes its
// result to `out` and problems to `err`, and returns the exit status.
#pragma once

#include <iosfwd>

#include "Arguments.hpp"

namespace quillo::keymaptool {

int explain(Arguments arguments, std::ostream& out, std::ostream& err);
int check(Arguments arguments, std::ostream& out, std::ostream& err);
int cheatsheet(Arguments arguments, std::ostream& out, std::ostream& err);

}  // namespace quillo::keymaptool
