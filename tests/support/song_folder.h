#pragma once
// The song a test's program finds: the show's, a short one with all 13
// orders in a few seconds, a broken one, or none.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

enum class Song { none, broken, fast, show };

// Puts the song into `folder` as qk17.xm.
inline void putSong(Song song, const std::string& folder)
{
    const std::string file = folder + "/qk17.xm";
    if (song == Song::broken)
        std::ofstream(file) << "Extended Module: but nothing more";
    EXPECT_TRUE(song != Song::fast || system(("'" MAKE_MODULE_BINARY "' --fast '" + file + "'").c_str()) == 0);
    if (song == Song::show)
        std::filesystem::copy_file(SHOW_MODULE_PATH, file);
}

// A new folder of the test's own, holding the song.
inline std::string folderWith(Song song)
{
    char name[] = "/tmp/textdemo-test-XXXXXX";
    const std::string folder = mkdtemp(name) ? name : "/tmp";
    putSong(song, folder);
    return folder;
}
