// The library check on the shipped module library and on broken copies of it: each broken copy
// is reported with the file and line of its defect.
#include "eds/LibraryCheck.h"
#include "../TestSupport.h"

using namespace kr39;
using kr39test::ReadBytes;
using kr39test::WriteBytes;

namespace {

const fs::path kModules = fs::path(KR39_SOURCE_DIR) / "modules";

std::string Describe(const std::vector<LibraryFinding>& findings)
{
    std::string text;
    for (const auto& f : findings)
        text += FormatFinding(f.File, f.Finding) + "\n";
    return text;
}

// A library file with its first `What` replaced by `By`, or removed when `What` is empty, and
// the finding that names it (or the EDS of a station, `Eds`, generated with it).
struct Broken {
    std::string Name;
    std::string File;
    std::string What, By;
    int Line;
    std::string Message;
    std::string Eds = {};
    friend void PrintTo(const Broken& c, std::ostream* os) { *os << c.Name; }
};

class LibraryCheck : public kr39test::TempDir, public ::testing::WithParamInterface<Broken> { };

} // namespace

TEST(ShippedLibraryCheck, PassesWithoutAnyFinding)
{
    const auto findings = CheckModuleLibrary(kModules);
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

TEST_P(LibraryCheck, NamesTheDefect)
{
    const auto& c = GetParam();
    fs::copy(kModules, dir / "modules");
    const auto broken = dir / "modules" / c.File;
    auto text = ReadBytes(broken);
    const auto at = text.find(c.What);
    ASSERT_NE(at, std::string::npos) << c.What;
    if (c.What.empty())
        fs::remove(broken);
    else
        WriteBytes(broken, text.replace(at, c.What.size(), c.By));
    const auto findings = CheckModuleLibrary(dir / "modules");
    // Compared as paths, so that either separator names the same file.
    const auto file = c.Eds.empty() ? broken : fs::path(c.Eds);
    bool found = false;
    for (const auto& f : findings) {
        found |= fs::path(f.File) == file && f.Finding.Line == c.Line && f.Finding.Level == Severity::Error
            && f.Finding.Text.find(c.Message) != std::string::npos;
    }
    EXPECT_TRUE(found) << "expected " << file.string() << ":" << c.Line << ": " << c.Message << "\n"
                       << Describe(findings);
}

INSTANTIATE_TEST_SUITE_P(BrokenCopies, LibraryCheck,
    ::testing::Values(
        Broken {"ModuleFileMissing", "KR39PS24.dat", "", "", 0, "the module description file is missing"},
        Broken {"PictureMissing", "KR39PS24b.bmp", "", "", 0, "the picture is missing"},
        Broken {"NodePictureMissing", "KR39NODE000001_07.bmp", "", "", 0, "the picture is missing"},
        Broken {"LineEndLfAlone", "KR39PS24.dat", "(special", "\n(special", 2, "ends in LF alone"},
        Broken {"NonAsciiInTemplate", "KR39NODE000001.dat", "KR39 Systems", "KR39 Syst\xE8mes", 18,
            "a byte outside ASCII"},
        Broken {"CatalogWithLf", "pn.dat", "\r\n", "\n", 1, "ends in LF alone"},
        Broken {"ParameterLineWithoutBoxTag", "KR39PS24.dat", "<BOXNO>Supply", "Supply", 8,
            "a parameter line holds no \"<BOXNO>\""},
        Broken {"ModuleFileTooLong", "KR39PS24.dat", "\r\n", "\r\n" + std::string(32768, ' '), 0,
            "must be shorter than 32768 bytes"},
        Broken {"EnumValueOutsideItsParameter", "KR39PS24.dat", "1,\"On\"", "2,\"On\"", 110,
            "Enum6 value 2 is outside Param6's range 0..1", "station[KR39PS24].EDS"},
        Broken {"MaxInstWrittenAsANumber", "KR39NODE000001.dat", "MaxInst = <INSTNO>", "MaxInst = 5", 56,
            "MaxInst is 5 but [Params] holds 7", "station[KR39DI08DC24].EDS"},
        Broken {"NoCatalog", "pn.dat", "", "", 0, "file not found"}),
    [](const auto& info) { return info.param.Name; });
