// Name matching for the output-exists test: '*' is any run of characters, '?' exactly one
// character; every other character, '[' ']' '\' included, stands for itself.
#pragma once

#include <string_view>

namespace framora {

bool WildcardMatch(std::string_view pattern, std::string_view name);
bool HasWildcard(std::string_view pattern);

}  // namespace framora
