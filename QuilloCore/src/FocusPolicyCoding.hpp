// Decoding of the focus policy objects at a given coding path (the keymap file
// decodes its "focus" member with these so its errors name the whole path).
#pragma once

#include "JSONDecoding.hpp"
#include "QuilloCore/FocusPolicy.hpp"

namespace quillo::json_coding {

ElementMatcher decodeElementMatcher(const Json& value, CodingPath& path);
FocusRule decodeFocusRule(const Json& value, CodingPath& path);
FocusPolicy decodeFocusPolicy(const Json& value, CodingPath& path);

}  // namespace quillo::json_coding
