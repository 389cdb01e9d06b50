#include "picture_files.h"
#include "process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

// What the build promises its users: the packed-texture switch takes every
// spelling of a CMake boolean and refuses anything else, and an install
// puts the viewer and its picture where the README says.
namespace {

using namespace std::chrono_literals;

struct configured {
    std::optional<int> status;
    std::string output;
    std::string switch_value; // what the compiler is told, if configured
};

configured configure(const std::vector<std::string>& options)
{
    std::vector<std::string> argv{CMAKE_COMMAND, "-S", PROJECT_SOURCE_DIR, "-B", "build",
                                  "-DTEXTURES_TESTS=OFF", "-DTEXTURES_BENCHMARKS=OFF"};
    argv.insert(argv.end(), options.begin(), options.end());
    process cmake({.argv = argv});
    configured result;
    result.output = cmake.rest_of_output(120s);
    result.status = cmake.wait_exit(10s);
    result.output += cmake.error_output();
    std::ifstream flags("build/CMakeFiles/textures_core.dir/flags.make");
    const std::string text{std::istreambuf_iterator<char>(flags), std::istreambuf_iterator<char>()};
    const std::string definition = "-DUSE_PACKED_TEXTURES=";
    const std::size_t at = text.find(definition);
    if (at != std::string::npos)
        result.switch_value = text.substr(at + definition.size(),
                                          text.find_first_of(" \n", at) - at - definition.size());
    return result;
}

}

TEST(build, the_packed_switch_takes_every_spelling_of_a_boolean_and_nothing_else)
{
    scratch_directory directory;
    EXPECT_EQ(configure({}).switch_value, "0") << "the packed variant is not off by default";
    for (const std::string spelling : {"ON", "on", "1", "TRUE", "true", "YES", "yes", "Y"})
        EXPECT_EQ(configure({"-DUSE_PACKED_TEXTURES=" + spelling}).switch_value, "1") << spelling;
    for (const std::string spelling : {"OFF", "off", "0", "FALSE", "false", "NO", "no", "N"})
        EXPECT_EQ(configure({"-DUSE_PACKED_TEXTURES=" + spelling}).switch_value, "0") << spelling;
    std::filesystem::remove_all("build");
    const configured refused = configure({"-DUSE_PACKED_TEXTURES=packed"});
    EXPECT_NE(refused.status, 0) << "USE_PACKED_TEXTURES=packed was taken";
    EXPECT_NE(refused.output.find("give ON or OFF"), std::string::npos) << refused.output;
}

TEST(build, an_install_puts_the_viewer_and_its_picture_under_the_prefix_it_is_given)
{
    scratch_directory directory;
    const std::filesystem::path prefix = directory.path() + "/prefix";
    process install({.argv = {CMAKE_COMMAND, "--install", PROJECT_BINARY_DIR, "--prefix", prefix}});
    ASSERT_EQ(install.wait_exit(60s), 0) << install.error_output();
    EXPECT_NE(std::filesystem::status(prefix / "bin/textures").permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);
    EXPECT_EQ(read_file(prefix / "share/textures/armor.raw"),
              read_file(PROJECT_SOURCE_DIR "/data/armor.raw"));
    // The desktop entry starts the viewer in the picture's folder.
    const std::vector<unsigned char> entry = read_file(prefix / "share/applications/textures.desktop");
    EXPECT_NE(std::string(entry.begin(), entry.end()).find("\nPath=" + prefix.string() + "/share/textures\n"),
              std::string::npos)
        << std::string(entry.begin(), entry.end());
}
