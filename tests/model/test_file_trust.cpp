// Files that can be trusted: a damaged file says where and that data are missing, a UTF-8
// file is read as UTF-8, nothing is written garbled (titles, file names, settings paths),
// saving keeps links and refuses what is not a regular file, the document keeps the
// extension it was opened with, and physically meaningless values are found.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>

#include "model/document.h"
#include "model/safe_file.h"
#include "model/sdw_file.h"
#include "model/settings_file.h"
#include "model/text_encoding.h"
#include "model/value_checks.h"
#include "test_support.h"

using namespace keltora;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<SlopeModel> fresh()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    return m;
}

std::string firstLines(const std::string& text, int n)
{
    std::size_t pos = 0;
    for (int k = 0; k < n && pos != std::string::npos; ++k) {
        pos = text.find('\n', pos);
        if (pos != std::string::npos) ++pos;
    }
    return text.substr(0, pos);
}

} // namespace

// A file cut anywhere reads with a warning of lost data at the line where it ends; the
// intact examples read without any warning.
TEST(FileTrust, DamagedFilesSayWhereAndThatDataAreLost)
{
    const std::string full = test::readBytes(test::examplesDir() / "benchmark.SDW");
    for (int cut : {5, 60, 190, 230}) {
        SCOPED_TRACE(cut);
        auto m = fresh();
        const ReadResult r = parseDataFile(firstLines(full, cut), *m, SdwPart::Everything, "b");
        ASSERT_EQ(r.status, 0);
        EXPECT_TRUE(r.dataLoss());
        ASSERT_FALSE(r.fileWarnings.empty());
        EXPECT_EQ(r.fileWarnings.back().line, cut);
        EXPECT_TRUE(r.fileWarnings.back().dataLoss);
        EXPECT_EQ(r.warnings.back().text.rfind(std::to_string(cut) + "行目: ", 0), 0u);
    }
    for (const auto& entry : fs::directory_iterator(test::examplesDir())) {
        if (entry.path().extension() != ".SDW") continue;
        auto m = fresh();
        const ReadResult r = readDataFile(*m, entry.path());
        EXPECT_EQ(r.status, 0) << entry.path();
        EXPECT_TRUE(r.fileWarnings.empty()) << entry.path();
        EXPECT_FALSE(r.dataLoss());
    }

    // Several unreadable lines are each listed with their line; a title warning alone
    // loses no data.
    auto m = fresh();
    std::string text = cp932ToUtf8(formatDataFile(*m, "x"));
    auto replaceValue = [&text](const std::string& comment, const std::string& value) {
        const std::size_t at = text.find(comment + "\r\n") + comment.size() + 2;
        text.replace(at, text.find("\r\n", at) - at, value);
    };
    replaceValue("$   最大安全率", "x?");
    replaceValue("$   作図スケール分母", "zz");
    auto r = fresh();
    const ReadResult res = parseDataFile(utf8ToCp932(text), *r, SdwPart::Everything, "x");
    ASSERT_EQ(res.fileWarnings.size(), 2u);
    EXPECT_LT(res.fileWarnings[0].line, res.fileWarnings[1].line);
    EXPECT_NE(res.fileWarnings[1].text.find("「zz"), std::string::npos);

    std::string longTitle = cp932ToUtf8(formatDataFile(*m, "x"));
    const std::string titleComment = "$   業務名称\r\n";
    longTitle.insert(longTitle.find(titleComment) + titleComment.size(), std::string(80, 'T'));
    const ReadResult titled = parseDataFile(utf8ToCp932(longTitle), *r, SdwPart::Everything, "x");
    ASSERT_EQ(titled.fileWarnings.size(), 1u);
    EXPECT_EQ(titled.fileWarnings[0].line, 10);
    EXPECT_FALSE(titled.dataLoss());
    EXPECT_EQ(r->title, std::string(63, 'T'));
}

// A UTF-8 file (a text editor's default) is read as UTF-8, with a warning, and saved as
// CP932: the title survives, nothing is garbled.
TEST(FileTrust, Utf8FilesAreReadAsUtf8AndSavedAsCp932)
{
    test::TempDir dir;
    auto m = fresh();
    m->title = "岸壁（－５．５ｍ）背後地";
    const std::string utf8 = cp932ToUtf8(formatDataFile(*m, "u"));
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
        test::writeBytes(dir / "u.SDW", bytes);
        auto r = fresh();
        const ReadResult res = readDataFile(*r, dir / "u.SDW");
        ASSERT_EQ(res.status, 0);
        EXPECT_TRUE(res.utf8);
        EXPECT_EQ(r->title, m->title);
        ASSERT_EQ(res.fileWarnings.size(), 1u);
        EXPECT_NE(res.fileWarnings[0].text.find("UTF-8"), std::string::npos);
        EXPECT_FALSE(res.dataLoss());
        ASSERT_TRUE(writeDataFile(*r, dir / "u.SDW").ok);
        EXPECT_EQ(test::readBytes(dir / "u.SDW"), formatDataFile(*m, "u"));
    }
    // A CP932 file is not mistaken for UTF-8.
    auto r = fresh();
    const ReadResult cp = parseDataFile(formatDataFile(*m, "u"), *r, SdwPart::Everything, "u");
    EXPECT_FALSE(cp.utf8);
    EXPECT_EQ(r->title, m->title);
}

// Titles and names that would break the positional file, or come back garbled, are
// refused before anything is written; a long title is cut and reported.
TEST(FileTrust, TitlesAndNamesThatWouldBreakTheFileAreRefused)
{
    test::TempDir dir;
    test::writeBytes(dir / "keep.SDW", "keep");
    auto m = fresh();
    for (const char* title : {"first\nsecond", "cr\rinside"}) {
        m->title = title;
        const WriteResult w = writeDataFile(*m, dir / "keep.SDW");
        EXPECT_FALSE(w.ok);
        ASSERT_TRUE(w.error);
        EXPECT_NE(w.error->text.find("改行"), std::string::npos);
    }
    m->title = "盛土 😀 ①";
    WriteResult w = writeDataFile(*m, dir / "keep.SDW");
    EXPECT_FALSE(w.ok);
    ASSERT_TRUE(w.error);
    EXPECT_NE(w.error->text.find("「😀」"), std::string::npos) << w.error->text;
    m->title = "ok";
    EXPECT_FALSE(writeDataFile(*m, dir / "bad\nname.SDW").ok);
    EXPECT_FALSE(fs::exists(dir / "bad\nname.SDW"));
    EXPECT_EQ(test::readBytes(dir / "keep.SDW"), "keep");
    EXPECT_EQ(m->modified, -1);

    m->title = std::string(40, 'a') + "あいうえおかきくけこさしす"; // 40 + 26 bytes
    w = writeDataFile(*m, dir / "long.SDW");
    ASSERT_TRUE(w.ok);
    ASSERT_EQ(w.warnings.size(), 1u);
    EXPECT_EQ(cp932Length(m->title), 62u); // cut at a character boundary
    auto r = fresh();
    ASSERT_EQ(readDataFile(*r, dir / "long.SDW").status, 0);
    EXPECT_EQ(r->title, m->title);
}

// Saving through a symbolic link writes the file it points to and keeps the link; a
// folder, FIFO or device is never replaced.
TEST(FileTrust, SavingKeepsLinksAndRefusesWhatIsNotAFile)
{
    test::TempDir dir;
    fs::create_directory(dir / "real");
    auto m = fresh();
    m->title = "first";
    ASSERT_TRUE(writeDataFile(*m, dir / "real" / "case.SDW").ok);
    fs::create_symlink("real/case.SDW", dir / "link.SDW");
    m->title = "second";
    ASSERT_TRUE(writeDataFile(*m, dir / "link.SDW").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.SDW"));
    auto r = fresh();
    ASSERT_EQ(readDataFile(*r, dir / "real" / "case.SDW").status, 0);
    EXPECT_EQ(r->title, "second");
    // A link to a link to a file that does not exist yet creates that file.
    fs::create_symlink("link2.SDW", dir / "link1.SDW");
    fs::create_symlink("real/new.SDW", dir / "link2.SDW");
    ASSERT_TRUE(writeDataFile(*m, dir / "link1.SDW").ok);
    EXPECT_TRUE(fs::is_regular_file(dir / "real" / "new.SDW"));
    EXPECT_TRUE(fs::is_symlink(dir / "link1.SDW"));

    ASSERT_EQ(::mkfifo((dir / "fifo.SDW").c_str(), 0644), 0);
    auto err = writeFileAtomically(dir / "fifo.SDW", "x");
    ASSERT_TRUE(err);
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.SDW"));
    EXPECT_TRUE(writeFileAtomically("/dev/null", "x")); // a device
    fs::create_directory(dir / "folder.SDW");
    EXPECT_TRUE(writeFileAtomically(dir / "folder.SDW", "x"));
    EXPECT_FALSE(writeDataFile(*m, dir / "fifo.SDW").ok);
    // No temporary files are left behind.
    for (const auto& e : fs::directory_iterator(dir.path()))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

// A file opened as "case.sdw" is saved as "case.sdw", not as a new "case.SDW" beside it.
TEST(FileTrust, TheDocumentKeepsTheExtensionItWasOpenedWith)
{
    test::TempDir dir;
    auto m = fresh();
    ASSERT_TRUE(writeDataFile(*m, dir / "case.sdw").ok);
    Document doc(dir.path());
    ASSERT_EQ(doc.open(dir / "case.sdw").status, 0);
    EXPECT_EQ(doc.dataPath(), dir / "case.sdw");
    doc.model().title = "changed";
    doc.model().modified = 1;
    ASSERT_TRUE(doc.save().ok);
    EXPECT_FALSE(fs::exists(dir / "case.SDW"));
    auto r = fresh();
    ASSERT_EQ(readDataFile(*r, dir / "case.sdw").status, 0);
    EXPECT_EQ(r->title, "changed");

    ASSERT_TRUE(doc.saveAs(dir / "other.Sdw").ok);
    EXPECT_EQ(doc.dataPath(), dir / "other.Sdw");
    doc.reset();
    doc.model().dataName = "x";
    EXPECT_EQ(doc.dataPath().extension(), ".SDW");
}

// Paths that "KORVAN.ini" cannot hold are left out and reported, never written garbled;
// the file keeps its 38 lines.
TEST(FileTrust, SettingsPathsThatCannotBeStoredAreReported)
{
    test::TempDir dir;
    Settings s;
    s.dataDirectory = "/data/😀/";
    s.recentFiles[0] = "/data/a.SDW";
    s.recentFiles[1] = "/data/line\nbreak.SDW";
    s.recentFiles[2] = "/data/岸壁.SDW";
    MessageList notes;
    ASSERT_FALSE(writeSettings(dir / kSettingsFileName, s, &notes));
    EXPECT_EQ(notes.size(), 2u);
    const std::string bytes = test::readBytes(dir / kSettingsFileName);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 38);
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    Settings r = readSettings(dir / kSettingsFileName, "/start/");
    EXPECT_EQ(r.dataDirectory, "/start/"); // left out: the start directory
    EXPECT_EQ(r.recentFiles[0], "/data/a.SDW");
    EXPECT_EQ(r.recentFiles[1], "");
    EXPECT_EQ(r.recentFiles[2], "/data/岸壁.SDW");
}

// Values no soil can have are found, named by block or line; a sound section has none.
TEST(FileTrust, PhysicallyMeaninglessValuesAreFound)
{
    auto m = fresh();
    ASSERT_EQ(readDataFile(*m, test::examplesDir() / "embankment.SDW").status, 0);
    EXPECT_TRUE(checkPhysicalValues(*m).empty());

    m->blocks[0].unitWeight = -18.0;
    m->blocks[0].baseCohesion = -5.0;
    m->blocks[0].frictionAngle = 90.0;
    m->lines[0].endPoint = 999;
    m->conditions.method = 7;
    const auto f = checkPhysicalValues(*m);
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[0].element, 0);
    EXPECT_NE(f[0].text.find("-18.000"), std::string::npos);
    EXPECT_NE(f[1].text.find("粘着力"), std::string::npos);
    EXPECT_EQ(f[2].element, 0);
    EXPECT_NE(f[2].text.find("90.000 度"), std::string::npos);
    EXPECT_EQ(f[3].kind, ValueFinding::Kind::Line);
    EXPECT_NE(f[3].text.find("点999"), std::string::npos);
    EXPECT_EQ(f[4].kind, ValueFinding::Kind::Method);
    EXPECT_NE(f[4].text.find("5 直線すべり"), std::string::npos);

    // The calculation's method guard, in words.
    const std::string explained = explainMethodGuard("cm.kt != 0,1", 7);
    EXPECT_NE(explained.find("コード 7"), std::string::npos);
    EXPECT_NE(explained.find("0 修正フェレニウス法"), std::string::npos);
    EXPECT_EQ(explainMethodGuard("other", 7), "other");
}
