#include "util/Result.h"

namespace kr39 {

std::string Failure::Describe() const
{
    if (File.empty())
        return What;
    if (Line > 0)
        return File + ", line " + std::to_string(Line) + ": " + What;
    return File + ": " + What;
}

std::string QuoteForMessage(std::string_view text)
{
    constexpr std::size_t kLimit = 60;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < kLimit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            quoted += "\\x";
            quoted += kHex[c >> 4];
            quoted += kHex[c & 0xF];
        } else {
            quoted += static_cast<char>(c);
        }
    }
    quoted += text.size() > kLimit ? "...\"" : "\"";
    return quoted;
}

} // namespace kr39
