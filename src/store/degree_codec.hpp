#pragma once

#include "chart/printed_chart.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A finished degree as bytes, for the cache, and back. Decoding checks every length against what is
// left, so a damaged or foreign payload gives nothing, never a crash.

namespace curtis {

// A degree as the chart printed it, with how far the products of its run
// reached: they are complete for any run whose products reach no further.
struct CachedDegree {
    PrintedDegree degree;
    std::int32_t productsThrough = 0; // the largest t of that run, 0 without products
};

// The number of the layout below, named in every cache file's header: it
// changes whenever what a degree's bytes are or mean changes, so that no
// run reads another layout's files.
inline constexpr int degreeFormat = 1;

std::string encodeDegree(const CachedDegree& degree);
std::optional<CachedDegree> decodeDegree(const std::string& bytes);

} // namespace curtis
