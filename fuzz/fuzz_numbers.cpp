// The number conversions of the catalog's number fields and of the settings store.
#include "FuzzSupport.h"
#include "resources/NumberConversion.h"

#include <cmath>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double leading = kr39::LeadingNumber(text);
    KR39_FUZZ_CHECK(!std::isnan(leading));
    const auto lenient = kr39::LenientToInt16(text);
    KR39_FUZZ_CHECK(lenient == kr39::RoundToInt16(leading));

    // A text that converts strictly is one plain number, so the lenient reading agrees.
    const auto strict = kr39::StrictToInt16(text);
    if (strict)
        KR39_FUZZ_CHECK(lenient == strict);

    // Any 16-bit value written in decimal converts back to itself both ways.
    if (size >= 2) {
        const auto value = static_cast<std::int16_t>(data[0] | (data[1] << 8));
        const auto written = std::to_string(value);
        KR39_FUZZ_CHECK(kr39::StrictToInt16(written) == value);
        KR39_FUZZ_CHECK(kr39::LenientToInt16(written) == value);
        KR39_FUZZ_CHECK(kr39::StrictToInt16(" " + written + " ") == value);
    }
    return 0;
}
