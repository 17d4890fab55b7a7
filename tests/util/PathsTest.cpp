// Where the programs find their module library: beside the program file, through the links an
// installation puts in bin/.
#include "util/Paths.h"

#include "../TestSupport.h"

using namespace kr39;

namespace {

struct Layout {
    std::string Name;
    std::vector<std::string> Folders; // made under the test's folder
    std::vector<std::pair<std::string, std::string>> Links; // link, target as written in it
    std::string Program; // the path the program is started by
    std::string Expected; // its module library
    friend void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.Name; }
};

class ModulesDirOfLayout : public kr39test::TempDir, public ::testing::WithParamInterface<Layout> { };

TEST_P(ModulesDirOfLayout, IsTheFolderBesideTheProgramFile)
{
    const auto& layout = GetParam();
    fs::create_directories(dir / "usr/lib/kr39eds");
    kr39test::WriteBytes(dir / "usr/lib/kr39eds/kr39eds-cli", "program");
    for (const auto& folder : layout.Folders)
        fs::create_directories(dir / folder);
    for (const auto& [link, target] : layout.Links) {
        fs::create_directories((dir / link).parent_path());
        std::error_code ec;
        fs::create_symlink(target == "ABS" ? dir / "usr/bin/kr39eds-cli" : fs::path(target), dir / link, ec);
        if (ec)
            GTEST_SKIP() << "no symbolic links here: " << ec.message();
    }
    EXPECT_TRUE(fs::equivalent(ModulesDirOf(dir / layout.Program), dir / layout.Expected))
        << ModulesDirOf(dir / layout.Program);
}

INSTANTIATE_TEST_SUITE_P(Installed, ModulesDirOfLayout,
    ::testing::Values(
        Layout {"LinkToALink", {"usr/lib/kr39eds/modules"},
            {{"usr/bin/kr39eds-cli", "../lib/kr39eds/kr39eds-cli"}, {"usr/local/bin/kr39", "ABS"}},
            "usr/local/bin/kr39", "usr/lib/kr39eds/modules"},
        // A modules folder beside the link is not the program's.
        Layout {"LinkBesideOtherModules", {"usr/lib/kr39eds/modules", "usr/bin/modules"},
            {{"usr/bin/kr39eds-cli", "../lib/kr39eds/kr39eds-cli"}}, "usr/bin/kr39eds-cli",
            "usr/lib/kr39eds/modules"},
        Layout {"LinkedProgramFolder", {"usr/lib/kr39eds/Modules"}, {{"opt/kr39eds", "../usr/lib/kr39eds"}},
            "opt/kr39eds/kr39eds-cli", "usr/lib/kr39eds/Modules"}),
    [](const auto& info) { return info.param.Name; });

// This test program lies in the build's bin folder, beside the copied module library.
TEST(DefaultModulesDir, IsTheLibraryBesideTheRunningProgram)
{
    EXPECT_TRUE(fs::equivalent(DefaultModulesDir(), fs::path(KR39_BIN_DIR) / "modules"))
        << DefaultModulesDir();
}

} // namespace
