// Runs `kr39eds-cli generate` on stations of the shipped module library, copied into a
// temporary folder so that single files can be spoiled.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kShipped = fs::path(KR39_SOURCE_DIR) / "modules";

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct Outcome {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

class GenerateCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("kr39-gen-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "st");
        fs::copy(kShipped, dir / "mods");
        station = (dir / "st" / "Line4.CSE").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome Exec(const std::vector<std::string>& args, const std::string& language = "en")
    {
        std::string command = "env LANGUAGE=" + language + " LC_ALL=C " + Quote(KR39_CLI_PATH) + " --modules "
            + Quote((dir / "mods").string());
        for (const auto& arg : args)
            command += " " + Quote(arg);
        command += " >" + Quote((dir / "out").string()) + " 2>" + Quote((dir / "err").string());
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(dir / "out"), ReadAll(dir / "err")};
    }

    // A station file of the given part numbers for slots 0.. (the rest "None").
    void WriteStation(const std::vector<std::string>& partNos)
    {
        std::string text;
        for (std::size_t i = 0; i < 17; ++i)
            text += (i < partNos.size() ? partNos[i] : std::string("None")) + "\r\n";
        std::ofstream(station, std::ios::binary) << text;
    }

    void Spoil(const std::string& file, const std::string& from, const std::string& to)
    {
        auto text = ReadAll(dir / "mods" / file);
        const auto at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), to);
        std::ofstream(dir / "mods" / file, std::ios::binary) << text;
    }

    fs::path dir;
    std::string station;
};

const std::vector<std::string> kFullStation = {"KR39NODE000001", "KR39DI08DC24", "KR39DI16DC24",
    "KR39DI04AC230", "KR39SER01", "KR39DO08DC24", "KR39DO16DC24", "KR39DO04RLY", "KR39PS24", "KR39AI04U10",
    "KR39AI04I20", "KR39AI04RTD", "KR39AI02TC", "KR39AO02U10", "KR39AO04I20", "KR39CNT02", "KR39DI08DC24"};

} // namespace

TEST_F(GenerateCli, FullStationWritesTheEdsBesideTheStation)
{
    WriteStation(kFullStation);
    const auto run = Exec({"generate", station, "--date", "06.12.2026"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const auto eds = dir / "st" / "Line4.EDS";
    EXPECT_EQ(run.Out, eds.string() + "\n");
    EXPECT_EQ(run.Err, "");
    const auto text = ReadAll(eds);
    EXPECT_EQ(std::regex_search(text, std::regex("<[A-Z]+>")), false) << "a tag is left";
    EXPECT_NE(text.find("CreateDate = 06.12.2026;\r\n"), std::string::npos);
    EXPECT_NE(text.find("DescText = \"KR39 station Line4\";"), std::string::npos);
    EXPECT_NE(text.find("\"Box 16 Sensor diag\""), std::string::npos);
    EXPECT_NE(text.find("\"20 64 24 10 30 02\""), std::string::npos);
    // Bytes: the node's status word 2, DI 1 + 2 + 1 + 1, serial 8, power 1, AI 8 + 8 + 8 + 4, counter 8;
    // serial 8, DO 1 + 2 + 1, AO 4 + 8, counter 2.
    EXPECT_NE(text.find("        Input1 =\r\n                52,"), std::string::npos);
    EXPECT_NE(text.find("        Output1 =\r\n                26,"), std::string::npos);
    std::smatch maxInst;
    ASSERT_TRUE(std::regex_search(text, maxInst, std::regex("MaxInst = ([0-9]+);")));
    EXPECT_NE(text.find("Param" + maxInst[1].str() + "= "), std::string::npos);
    EXPECT_EQ(text.find("Param" + std::to_string(std::stoi(maxInst[1].str()) + 1) + "="), std::string::npos);
}

TEST_F(GenerateCli, OutputOptionAndDefaultDate)
{
    WriteStation({"KR39NODE000001", "KR39PS24"});
    const auto out = dir / "Other.EDS";
    std::ofstream(out, std::ios::binary) << "old";
    const auto run = Exec({"generate", "-o", out.string(), station});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const auto text = ReadAll(out);
    // The name inside is still the station's; the date is today's, in some short format.
    EXPECT_NE(text.find("DescText = \"KR39 station Line4\";"), std::string::npos);
    EXPECT_TRUE(std::regex_search(text, std::regex("CreateDate = [0-9][0-9./-]+[0-9];")));
    EXPECT_FALSE(fs::exists(dir / "st" / "Line4.EDS"));
}

TEST_F(GenerateCli, FailuresSayWhatAndWhere)
{
    struct Case {
        const char* name;
        const char* language;
        std::string file, from, to;
        std::string firstLine, secondLine;
    };
    const auto mods = (dir / "mods").string();
    const std::vector<Case> cases = {
        {"missing box tag", "en", "KR39DI08DC24.dat", "\"<BOXNO>Filter\"", "\"Filter\"",
            "Error when generating data!!!",
            mods + "/KR39DI08DC24.dat, line 8: a parameter line holds no \"<BOXNO>\""},
        {"module file too long", "de", "KR39PS24.dat", "<STOP>", "<STOP>" + std::string(33000, ' '),
            "Fehler beim generieren!!!",
            mods + "/KR39PS24.dat: the module description file is "
                + std::to_string(ReadAll(kShipped / "KR39PS24.dat").size() + 33000)
                + " bytes long; it must be shorter than 32768 bytes"},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir / "mods");
        fs::copy(kShipped, dir / "mods");
        Spoil(c.file, c.from, c.to);
        WriteStation({"KR39NODE000001", "KR39DI08DC24", "KR39PS24"});
        const auto run = Exec({"generate", station, "--date", "x"}, c.language);
        EXPECT_EQ(run.Exit, 1) << c.name;
        EXPECT_EQ(run.Out, "") << c.name;
        EXPECT_EQ(Lines(run.Err), (std::vector<std::string> {c.firstLine, c.secondLine})) << c.name;
        EXPECT_FALSE(fs::exists(dir / "st" / "Line4.EDS")) << c.name;
    }
}

TEST_F(GenerateCli, MissingFilesAndUnwritableOutput)
{
    WriteStation({"KR39NODE000001", "KR39DO08DC24"});
    fs::remove(dir / "mods" / "KR39DO08DC24.dat");
    auto run = Exec({"generate", station});
    EXPECT_EQ(run.Exit, 1);
    auto lines = Lines(run.Err);
    ASSERT_EQ(lines.size(), 2u) << run.Err;
    EXPECT_EQ(lines[0], "Error when generating data!!!");
    EXPECT_EQ(lines[1].rfind((dir / "mods" / "KR39DO08DC24.dat").string() + ": cannot read", 0), 0u)
        << lines[1];

    fs::copy(kShipped / "KR39DO08DC24.dat", dir / "mods" / "KR39DO08DC24.dat");
    run = Exec({"generate", station, "-o", (dir / "no-such-folder" / "x.EDS").string()});
    EXPECT_EQ(run.Exit, 1);
    lines = Lines(run.Err);
    ASSERT_EQ(lines.size(), 2u) << run.Err;
    EXPECT_EQ(lines[0], "Error when generating data!!!");
    EXPECT_NE(lines[1].find("x.EDS"), std::string::npos);

    // A station that cannot be opened fails as in the other commands.
    fs::remove(station);
    run = Exec({"generate", station});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(Lines(run.Err).at(0), "Error when loading data!!!");
}
