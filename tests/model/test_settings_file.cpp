// The settings file: recent-file order, short files, exact bytes.
#include <gtest/gtest.h>

#include "model/settings_file.h"
#include "model/text_encoding.h"
#include "test_support.h"

using namespace keltora;

TEST(SettingsFile, RecentFilesMoveUpAndFallOff)
{
    Settings s;
    for (const char* p : {"/a/1.SDW", "/a/2.SDW", "/a/3.SDW", "/a/4.SDW", "/a/5.SDW"})
        addRecentFile(s, p);
    EXPECT_EQ(s.recentFiles[0], "/a/5.SDW");
    EXPECT_EQ(s.recentFiles[4], "/a/1.SDW");
    addRecentFile(s, "/a/3.SDW"); // entry 3 becomes entry 1; 4 and 5 stay
    EXPECT_EQ(s.recentFiles[0], "/a/3.SDW");
    EXPECT_EQ(s.recentFiles[1], "/a/5.SDW");
    EXPECT_EQ(s.recentFiles[2], "/a/4.SDW");
    EXPECT_EQ(s.recentFiles[3], "/a/2.SDW");
    EXPECT_EQ(s.recentFiles[4], "/a/1.SDW");
    addRecentFile(s, "/a/6.SDW"); // a sixth file pushes out the oldest
    EXPECT_EQ(s.recentFiles[0], "/a/6.SDW");
    EXPECT_EQ(s.recentFiles[4], "/a/2.SDW");
    addRecentFile(s, "/a/./6.SDW"); // compared byte for byte
    EXPECT_EQ(s.recentFiles[1], "/a/6.SDW");
    addRecentFile(s, "");
    EXPECT_EQ(s.recentFiles[0], "/a/./6.SDW");
}

TEST(SettingsFile, RoundTripShortAndMissingFiles)
{
    test::TempDir dir;
    Settings s;
    s.dataDirectory = "/data/岸壁/";
    addRecentFile(s, "/data/岸壁/A.SDW");
    s.windowSizes[2] = {500, 600, 0, 0};
    ASSERT_FALSE(writeSettings(dir / kSettingsFileName, s));
    const std::string bytes = test::readBytes(dir / kSettingsFileName);
    EXPECT_EQ(bytes.substr(0, 10), utf8ToCp932("/data/岸壁/\r\n").substr(0, 10));
    EXPECT_NE(bytes.find("\r\n\r\n"), std::string::npos); // empty recent entries
    EXPECT_NE(bytes.find("777 600 0 0\r\n"), std::string::npos);

    Settings r = readSettings(dir / kSettingsFileName, "/start/");
    EXPECT_EQ(r.dataDirectory, s.dataDirectory);
    EXPECT_EQ(r.recentFiles, s.recentFiles);
    EXPECT_EQ(r.windowSizes[2].width, 500);
    EXPECT_EQ(r.windowSizes[1].height, 600);

    Settings missing = readSettings(dir / "none.ini", "/start/");
    EXPECT_EQ(missing.dataDirectory, "/start/");
    EXPECT_EQ(missing.windowSizes[15].width, 388);

    // Ends before the window sizes: the recent files present are taken, sizes default.
    Settings shortFile = parseSettings("/d/\n/d/x.SDW\n/d/y.SDW\n", "/start/");
    EXPECT_EQ(shortFile.dataDirectory, "/d/");
    EXPECT_EQ(shortFile.recentFiles[1], "/d/y.SDW");
    EXPECT_EQ(shortFile.recentFiles[2], "");
    EXPECT_EQ(shortFile.windowSizes[1].width, 777);
}
