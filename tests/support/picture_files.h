#pragma once

#include <string>
#include <vector>

// Runs a test in a fresh temporary directory, the working directory the
// viewer reads "armor.raw" from; the directory goes when the object does.
class scratch_directory {
public:
    scratch_directory();
    ~scratch_directory();
    scratch_directory(const scratch_directory&) = delete;
    scratch_directory& operator=(const scratch_directory&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

void write_file(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> read_file(const std::string& path); // empty if unreadable
std::vector<unsigned char> random_bytes(std::size_t count, unsigned seed);

// A missing and a short picture file, and the line, without its newline,
// that the viewer refuses each with; size 0 stands for no file at all.
struct unusable_picture {
    std::size_t size;
    const char* message;
};
extern const unusable_picture missing_and_short_pictures[2];
// Leaves such a picture file in the current directory.
void make_picture(const unusable_picture& picture);
