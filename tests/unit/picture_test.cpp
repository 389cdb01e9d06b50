#include "picture_files.h"
#include "scene.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

class picture_file_test : public testing::Test {
protected:
    scratch_directory directory;
    std::vector<unsigned char> pixels = std::vector<unsigned char>(picture_bytes, 0xEE);
};

void expect_rejected(std::vector<unsigned char>& pixels, const char* message)
{
    EXPECT_EXIT(read_picture(pixels.data()), testing::ExitedWithCode(1), message);
}

}

TEST_F(picture_file_test, reads_a_file_of_the_exact_size)
{
    const std::vector<unsigned char> bytes = random_bytes(picture_bytes, 3);
    write_file("armor.raw", bytes);
    EXPECT_EQ(read_picture(pixels.data()), static_cast<long long>(picture_bytes));
    EXPECT_EQ(pixels, bytes);
}

TEST_F(picture_file_test, reads_the_first_bytes_of_a_longer_file)
{
    for (const std::size_t size : {picture_bytes + 1, 2 * picture_bytes}) {
        const std::vector<unsigned char> bytes = random_bytes(size, 4);
        write_file("armor.raw", bytes);
        EXPECT_EQ(read_picture(pixels.data()), static_cast<long long>(size));
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), bytes.begin()));
    }
}

TEST_F(picture_file_test, rejects_short_files_with_the_bytes_found)
{
    struct short_file {
        std::size_t size;
        const char* message;
    };
    for (const short_file f :
         {short_file{0, "^textures: \"armor\\.raw\" is too short: 0 bytes found, 196608 expected\n$"},
          short_file{1, "^textures: \"armor\\.raw\" is too short: 1 bytes found, 196608 expected\n$"},
          short_file{picture_bytes - 1,
                     "^textures: \"armor\\.raw\" is too short: 196607 bytes found, 196608 expected\n$"}}) {
        write_file("armor.raw", random_bytes(f.size, 5));
        expect_rejected(pixels, f.message);
    }
}

TEST_F(picture_file_test, rejects_a_missing_file_with_the_system_reason)
{
    expect_rejected(pixels, "^textures: cannot open \"armor\\.raw\": No such file or directory\n$");
}

TEST_F(picture_file_test, rejects_what_is_not_a_regular_file)
{
    std::filesystem::create_directory("armor.raw");
    expect_rejected(pixels, "^textures: \"armor\\.raw\" is not a regular file\n$");
    std::filesystem::remove("armor.raw");
    // A named pipe that nobody writes to must not block the reader.
    ASSERT_EQ(mkfifo("armor.raw", 0600), 0);
    expect_rejected(pixels, "^textures: \"armor\\.raw\" is not a regular file\n$");
}

TEST_F(picture_file_test, rejects_a_dangling_link_as_missing)
{
    std::filesystem::create_symlink("nowhere.raw", "armor.raw");
    expect_rejected(pixels, "^textures: cannot open \"armor\\.raw\": No such file or directory\n$");
}
