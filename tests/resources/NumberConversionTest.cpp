#include "resources/NumberConversion.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace kr39;

namespace {

struct Case {
    std::string Text;
    std::optional<int> Expected;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << '"' << c.Text << '"';
}

class Strict : public ::testing::TestWithParam<Case> { };
class Lenient : public ::testing::TestWithParam<Case> { };

} // namespace

TEST_P(Strict, Converts)
{
    const auto result = StrictToInt16(GetParam().Text);
    ASSERT_EQ(result.has_value(), GetParam().Expected.has_value());
    if (result) {
        EXPECT_EQ(*result, *GetParam().Expected);
    }
}

TEST_P(Lenient, Converts)
{
    const auto result = LenientToInt16(GetParam().Text);
    ASSERT_EQ(result.has_value(), GetParam().Expected.has_value());
    if (result) {
        EXPECT_EQ(*result, *GetParam().Expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, Strict,
    ::testing::Values(Case {"1000", 1000}, Case {" 1036 ", 1036}, Case {"-5", -5}, Case {"+7", 7},
        Case {"2.5", 2}, Case {"3.5", 4}, Case {"-2.5", -2}, Case {"32767", 32767}, Case {"-32768", -32768},
        Case {"32767.5", std::nullopt}, Case {"32768", std::nullopt}, Case {"", std::nullopt},
        Case {"   ", std::nullopt}, Case {"-", std::nullopt}, Case {"1019abc", std::nullopt},
        Case {"abc", std::nullopt}, Case {"1 0", std::nullopt}, Case {"1e3", 1000}, Case {".5", 0}));

INSTANTIATE_TEST_SUITE_P(Texts, Lenient,
    ::testing::Values(Case {"1019abc", 1019}, Case {"", 0}, Case {"abc", 0}, Case {"  8", 8}, Case {"008", 8},
        Case {"8  ", 8}, Case {"   ", 0}, Case {" - 1 2x", -12}, Case {"0", 0}, Case {"-5", -5},
        Case {"1.5", 2}, Case {"0.5", 0}, Case {"1E2", 100}, Case {"1E", 1}, Case {"99999", std::nullopt},
        Case {std::string(100000, '9'), std::nullopt}, Case {"12-3", 12}));
