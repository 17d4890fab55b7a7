#include "util/Result.h"

namespace kr39 {

std::string Failure::Describe() const
{
    if (File.empty())
        return What;
    const auto file = EscapeControls(File);
    if (Line > 0)
        return file + ", line " + std::to_string(Line) + ": " + What;
    return file + ": " + What;
}

std::string EscapeControls(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            escaped += "\\x";
            escaped += kHex[c >> 4];
            escaped += kHex[c & 0xF];
        } else {
            escaped += ch;
        }
    }
    return escaped;
}

std::string QuoteForMessage(std::string_view text)
{
    constexpr std::size_t kLimit = 60;
    return "\"" + EscapeControls(text.substr(0, kLimit)) + (text.size() > kLimit ? "...\"" : "\"");
}

} // namespace kr39
