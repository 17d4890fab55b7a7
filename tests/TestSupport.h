// Helpers shared by the core and command-line tests: a fresh temporary folder per test.
#pragma once

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace kr39test {

inline void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// `count` copies of `line`, each ended by `end`.
inline std::string Repeat(int count, const std::string& line, const std::string& end = "\r\n")
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += line + end;
    return text;
}

// A station file: the given part numbers, then "None" up to line `count`, each ended by `end`.
inline std::string StationText(
    std::vector<std::string> partNos, const std::string& end = "\r\n", std::size_t count = 17)
{
    partNos.resize(count, "None");
    std::string text;
    for (const auto& partNo : partNos)
        text += partNo + end;
    return text;
}

// Removes a folder with all it holds; on Windows, which removes no read-only file, the files
// are made writable first.
inline void RemoveTree(const fs::path& folder)
{
#ifdef _WIN32
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
#endif
    fs::remove_all(folder);
}

// Each test gets an empty folder of its own, removed afterwards.
class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name
            = "kr39-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name();
        for (auto& c : name)
            c = c == '/' ? '-' : c;
        dir = fs::temp_directory_path() / name;
        RemoveTree(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        RemoveTree(dir);
    }
    void Write(const fs::path& name, const std::string& bytes) const { WriteBytes(dir / name, bytes); }
    std::string Read(const fs::path& name) const { return ReadBytes(dir / name); }

    fs::path dir;
};

} // namespace kr39test
