#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "util/Result.h"

namespace kr39 {

// Every file the program reads (catalog, station file, templates) is a small text file; a
// bigger one is refused before it is read, so that picking a wrong file (a disk image, a
// video) gives a message instead of exhausting memory.
inline constexpr std::uintmax_t MaxReadBytes = 64u * 1024u * 1024u;

// The whole file as bytes, unchanged. Fails on a missing, unreadable or non-regular file and
// on one larger than `maxBytes`.
Result<std::string> ReadFileBytes(const std::filesystem::path& path, std::uintmax_t maxBytes = MaxReadBytes);

// Splits text into lines. A line ends at CR LF or at a bare LF; the terminator is not part of
// the line. Text after the last terminator is one more line; a terminator at the very end
// opens no further line, so "a\r\nb\r\n" and "a\r\nb" both give {"a", "b"} and "" gives {}.
// A CR that is not followed by LF stays in the line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Writes bytes to path atomically: a temporary file in the same folder is written, flushed and
// renamed over the target only when complete, so a failure never damages a file that was
// there. The failure names the path and the step that failed.
Result<void> WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Test seam for the write path: while set, WriteFileAtomic calls it before each step
// ("create", "write", "flush", "close", "rename") and fails that step when it returns false.
using WriteFaultHook = std::function<bool(std::string_view step)>;
void SetWriteFaultHookForTesting(WriteFaultHook hook);

} // namespace kr39
