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

} // namespace kr39
