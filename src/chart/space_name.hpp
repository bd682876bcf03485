#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace curtis {

// The name topologists give the stunted projective space P_a^b whose cells
// run from a to b (none: infinite): the sphere S^a for a single cell P_a^a,
// RP^b for P_1^b, RP^b_+ for P_0^b (RP^b with a disjoint base point), P_a^b
// otherwise, with braces around an index of more than one character. The
// infinite top is written as the sign ∞, or as "inf" where only ASCII will
// do.
enum class Script { Unicode, Ascii };
std::string spaceName(std::int32_t bottomCell, std::optional<std::int32_t> topCell,
                      Script script = Script::Unicode);

} // namespace curtis
