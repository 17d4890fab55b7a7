// The library check on the shipped module library and on broken copies of it: each broken copy
// is reported with the file and line of its defect.
#include "eds/LibraryCheck.h"
#include "../TestSupport.h"

#include <functional>

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

struct Broken {
    std::string Name;
    std::function<void(const fs::path& dir)> Break;
    std::string File; // the file the finding names: in the library folder, or a station's EDS
    int Line;
    std::string Message;
};

void PrintTo(const Broken& c, std::ostream* os)
{
    *os << c.Name;
}

// Replaces the first `what` in a file of the library copy by `by`.
void Edit(const fs::path& file, const std::string& what, const std::string& by)
{
    auto text = ReadBytes(file);
    const auto at = text.find(what);
    ASSERT_NE(at, std::string::npos) << what;
    WriteBytes(file, text.replace(at, what.size(), by));
}

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
    c.Break(dir / "modules");
    const auto findings = CheckModuleLibrary(dir / "modules");
    // Compared as paths, so that either separator names the same file.
    const auto file = c.File.starts_with("station[") ? fs::path(c.File) : dir / "modules" / c.File;
    bool found = false;
    for (const auto& f : findings) {
        found |= fs::path(f.File) == file && f.Finding.Line == c.Line && f.Finding.Level == Severity::Error
            && f.Finding.Text.find(c.Message) != std::string::npos;
    }
    EXPECT_TRUE(found) << "expected " << file.string() << ":" << c.Line << ": " << c.Message << "\n"
                       << Describe(findings);
}

INSTANTIATE_TEST_SUITE_P(BrokenCopies, LibraryCheck,
    ::testing::Values(Broken {"ModuleFileMissing", [](const fs::path& d) { fs::remove(d / "KR39PS24.dat"); },
                          "KR39PS24.dat", 0, "the module description file is missing"},
        Broken {"PictureMissing", [](const fs::path& d) { fs::remove(d / "KR39PS24b.bmp"); }, "KR39PS24b.bmp",
            0, "the picture is missing"},
        Broken {"NodePictureMissing", [](const fs::path& d) { fs::remove(d / "KR39NODE000001_07.bmp"); },
            "KR39NODE000001_07.bmp", 0, "the picture is missing"},
        Broken {"LineEndLfAlone",
            [](const fs::path& d) { Edit(d / "KR39PS24.dat", "(special", "\n(special"); }, "KR39PS24.dat", 2,
            "ends in LF alone"},
        Broken {"NonAsciiInComment",
            [](const fs::path& d) { Edit(d / "KR39PS24.dat", "24 V DC", "24 V DC \xB0"); }, "KR39PS24.dat", 2,
            "a byte outside ASCII"},
        Broken {"NonAsciiInTemplate",
            [](const fs::path& d) { Edit(d / "KR39NODE000001.dat", "KR39 Systems", "KR39 Syst\xE8mes"); },
            "KR39NODE000001.dat", 18, "a byte outside ASCII"},
        Broken {"CatalogWithLf", [](const fs::path& d) { Edit(d / "pn.dat", "\r\n", "\n"); }, "pn.dat", 1,
            "ends in LF alone"},
        Broken {"ParameterLineWithoutBoxTag",
            [](const fs::path& d) { Edit(d / "KR39PS24.dat", "<BOXNO>Supply", "Supply"); }, "KR39PS24.dat", 8,
            "a parameter line holds no \"<BOXNO>\""},
        Broken {"ModuleFileTooLong",
            [](const fs::path& d) {
                WriteBytes(d / "KR39PS24.dat", ReadBytes(d / "KR39PS24.dat") + std::string(32768, ' '));
            },
            "KR39PS24.dat", 0, "must be shorter than 32768 bytes"},
        Broken {"EnumValueOutsideItsParameter",
            [](const fs::path& d) { Edit(d / "KR39PS24.dat", "1,\"On\"", "2,\"On\""); },
            "station[KR39PS24].EDS", 110, "Enum6 value 2 is outside Param6's range 0..1"},
        Broken {"MaxInstWrittenAsANumber",
            [](const fs::path& d) { Edit(d / "KR39NODE000001.dat", "MaxInst = <INSTNO>", "MaxInst = 5"); },
            "station[KR39DI08DC24].EDS", 56, "MaxInst is 5 but [Params] holds 7"},
        Broken {
            "NoCatalog", [](const fs::path& d) { fs::remove(d / "pn.dat"); }, "pn.dat", 0, "file not found"}),
    [](const auto& info) { return info.param.Name; });
