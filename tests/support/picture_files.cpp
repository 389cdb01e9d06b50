#include "picture_files.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>

namespace {

// The directories of this process not yet removed, and the process that
// made each. One that ends through exit() (a death test's child, which
// runs the test afresh) runs no destructor: it removes its own as it
// exits, and leaves those of the process it was forked from.
std::map<std::string, pid_t> live;

void remove_live()
{
    for (const auto& [path, owner] : live)
        if (owner == getpid())
            std::filesystem::remove_all(path);
}

}

scratch_directory::scratch_directory() : previous_(std::filesystem::current_path())
{
    [[maybe_unused]] static const int at_exit = std::atexit(remove_live);
    std::string pattern = (std::filesystem::temp_directory_path() / "textures-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    live[path_] = getpid();
    std::filesystem::current_path(path_);
}

scratch_directory::~scratch_directory()
{
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
    live.erase(path_);
}

void write_file(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<unsigned char> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> random_bytes(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<unsigned char> bytes(count);
    for (unsigned char& b : bytes)
        b = static_cast<unsigned char>(generator() >> 24);
    return bytes;
}

const unusable_picture missing_and_short_pictures[2] = {
    {0, "textures: cannot open \"armor.raw\": No such file or directory"},
    {1000, "textures: \"armor.raw\" is too short: 1000 bytes found, 196608 expected"}};

void make_picture(const unusable_picture& picture)
{
    if (picture.size > 0)
        write_file("armor.raw", random_bytes(picture.size, 7));
}
