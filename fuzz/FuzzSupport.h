#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kr39::fuzz {

// Aborts with a message when an invariant of the code under test does not hold; libFuzzer then
// stores the input as a crash.
#define KR39_FUZZ_CHECK(cond)                                                                                \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

// A private scratch folder for the whole fuzzing process, in memory where the system offers it.
const std::filesystem::path& ScratchDir();

// Cuts the input into parts at each occurrence of `separator`; at most `maxParts` parts, the
// last one takes the rest.
std::vector<std::string_view> SplitInput(
    std::string_view data, std::string_view separator, std::size_t maxParts);

} // namespace kr39::fuzz
