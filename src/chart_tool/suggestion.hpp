#pragma once

#include <string>
#include <vector>

namespace curtis {

// The option a mistyped one was probably meant to be: of the long options
// `known` ("--max-degree"), the nearest to `given` by edit distance (an
// insertion, deletion, substitution or swap of two neighbouring characters
// each one step), if it is near enough to be a likely slip: one step for a
// name of up to five characters, two beyond; else the one option that
// begins with `given` (of three characters or more), if only one does.
// Empty when none is, or when `given` is not a long option; a value given
// with '=' is left out.
std::string nearestOption(const std::string& given, const std::vector<std::string>& known);

} // namespace curtis
