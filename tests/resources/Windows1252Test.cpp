#include "resources/Windows1252.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kr39 {
namespace {

QString Text(const std::u16string& units)
{
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

// Bytes 0x80-0x9F by the code page; its five gaps are the C1 controls of the same number.
constexpr std::array<char16_t, 32> HighCharacters {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

TEST(Windows1252, EveryByteIsOneCharacterAndComesBackUnchanged)
{
    std::string bytes;
    std::u16string expected;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
        expected += byte >= 0x80 && byte < 0xA0 ? HighCharacters[static_cast<std::size_t>(byte - 0x80)]
                                                : static_cast<char16_t>(byte);
    }
    const QString text = DecodeWindows1252(bytes);
    EXPECT_EQ(text, Text(expected));
    EXPECT_EQ(EncodeWindows1252(text), bytes);
}

struct EncodeCase {
    const char* Name;
    std::u16string Text;
    std::string Bytes;
    friend void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.Name; }
};

class Windows1252Encode : public ::testing::TestWithParam<EncodeCase> { };

TEST_P(Windows1252Encode, SubstitutesOrDropsWhatTheCodePageCannotHold)
{
    EXPECT_EQ(EncodeWindows1252(Text(GetParam().Text)), GetParam().Bytes);
}

INSTANTIATE_TEST_SUITE_P(Characters, Windows1252Encode,
    ::testing::Values(EncodeCase {"Euro", u"\u20AC 5", "\x80 5"},
        EncodeCase {"NotInTheCodePage", u"a\u4E2Db\u0100",
            "a\x1A"
            "b\x1A"},
        EncodeCase {"OtherC1Controls", u"\u0080\u009F", "\x1A\x1A"},
        EncodeCase {"SupplementaryIsOneSubstitute", u"a\U0001F600b",
            "a\x1A"
            "b"},
        EncodeCase {"InvisiblesDropped", u"a\u200B\uFEFF\U000E0041b", "ab"},
        EncodeCase {"LoneSurrogates", {0xDC00, u'b', 0xD800, u'c'},
            "\x1A"
            "b\x1A"
            "c"},
        EncodeCase {"UnfinishedPairAtTheEnd", {u'a', 0xD800}, "a"}),
    [](const auto& info) { return info.param.Name; });

} // namespace
} // namespace kr39
