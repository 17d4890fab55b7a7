// The EDS checker fed with fuzzed files: it reports and never fails otherwise. Every finding
// names a line of the input; the lexical layer keeps only entries with a keyword. The same
// bytes go through the file-name conversion and the date parser as well.
#include "FuzzSupport.h"
#include "eds/EdsCheck.h"
#include "eds/EdsValues.h"

#include <algorithm>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const int lines = static_cast<int>(std::count(input.begin(), input.end(), '\n')) + 1;

    const auto findings = kr39::CheckEds(input);
    int last = 0;
    for (const auto& finding : findings) {
        KR39_FUZZ_CHECK(finding.Line >= 1 && finding.Line <= lines);
        KR39_FUZZ_CHECK(finding.Line >= last); // in line order
        KR39_FUZZ_CHECK(!finding.Text.empty());
        const auto line = kr39::FormatFinding("f.eds", finding);
        KR39_FUZZ_CHECK(line.find('\n') == std::string::npos);
        last = finding.Line;
    }

    std::vector<kr39::EdsFinding> lexical;
    const auto doc = kr39::ParseEds(input, lexical);
    for (const auto& section : doc.Sections) {
        KR39_FUZZ_CHECK(!section.Name.empty());
        for (const auto& entry : section.Entries)
            KR39_FUZZ_CHECK(!entry.Keyword.empty() && !entry.Fields.empty());
    }

    const auto name = kr39::EdsFileNameText(input);
    KR39_FUZZ_CHECK(name.size() <= input.size());
    for (const char c : name)
        KR39_FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != 0x7F);
    if (const auto date = kr39::ParseDateOption(input))
        KR39_FUZZ_CHECK(date->size() == 10 && kr39::ParseDateOption(*date) == date);
    return 0;
}
