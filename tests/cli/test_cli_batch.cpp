// `keltora calc` on several files with a CSV or JSON summary, and `keltora report` with the
// summary pages in front (the rendered text, where the build renders).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "model/c_format.h"
#include "model/model.h"
#include "model/sdw_file.h"
#include "output/batch_summary.h"
#include "test_support.h"

using namespace keltora;

namespace {

namespace fs = std::filesystem;

std::string quoted(const fs::path& p)
{
    return "'" + p.string() + "'";
}

int runCli(const std::string& args, std::string* out)
{
    return test::runCommand(quoted(test::cliPath()) + " " + args + " 2>&1", out);
}

// CSV lines split at commas (the example rows have no quoted fields but the warnings).
std::vector<std::vector<std::string>> csvRows(const std::string& bytes)
{
    std::vector<std::vector<std::string>> rows;
    std::string text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(line.ends_with("\r")) << line;
        if (line.ends_with("\r")) line.pop_back();
        std::vector<std::string> f;
        std::string cur;
        bool q = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (q) {
                if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    cur += '"';
                    ++i;
                } else if (c == '"') {
                    q = false;
                } else {
                    cur += c;
                }
            } else if (c == '"') {
                q = true;
            } else if (c == ',') {
                f.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        f.push_back(cur);
        rows.push_back(f);
    }
    return rows;
}

// "F = 1.109" from the critical line of `keltora calc`.
std::string calcFactor(const std::string& out)
{
    for (const char* key : {"critical circle: F = ", "critical line: F = "}) {
        const std::size_t p = out.find(key);
        if (p != std::string::npos) {
            const std::size_t b = p + std::string(key).size();
            return out.substr(b, out.find(' ', b) - b);
        }
    }
    return "<none>";
}

} // namespace

// A batch over every example gives one row per file whose factor, verdict and grid level
// are those of the file's own calculation; the exit code is the worst of the files.
TEST(CliBatch, SummaryRowsEqualEachFilesOwnCalculation)
{
    test::TempDir dir;
    std::vector<fs::path> examples;
    for (const auto& e : fs::directory_iterator(test::examplesDir()))
        if (e.path().extension() == ".SDW") examples.push_back(e.path());
    std::sort(examples.begin(), examples.end());
    ASSERT_GE(examples.size(), 5u);
    std::string args =
        "calc --quiet --workdir " + quoted(dir / "work") + " --summary " + quoted(dir / "all.csv");
    for (const auto& e : examples)
        args += " " + quoted(e);
    std::string out;
    const int batchCode = runCli(args, &out);

    const auto rows = csvRows(test::readBytes(dir / "all.csv"));
    ASSERT_EQ(rows.size(), examples.size() + 1) << out;
    const std::vector<std::string>& head = rows[0];
    std::map<std::string, std::size_t> col;
    for (std::size_t i = 0; i < head.size(); ++i)
        col[head[i]] = i;
    for (const char* c : {"file", "method", "F", "allowable", "verdict", "x", "y", "radius",
                          "angle", "grid", "time_s", "warnings", "error", "exit_code"})
        ASSERT_TRUE(col.count(c)) << c;

    int worst = 0;
    for (std::size_t i = 0; i < examples.size(); ++i) {
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), head.size()) << examples[i];
        EXPECT_EQ(row[col["file"]], examples[i].string());
        std::string own;
        const int code = runCli(
            "calc --quiet --workdir " + quoted(dir / "single") + " " + quoted(examples[i]), &own);
        worst = std::max(worst, code);
        EXPECT_EQ(row[col["F"]], calcFactor(own)) << examples[i] << "\n" << own;
        EXPECT_EQ(row[col["exit_code"]], std::to_string(code));
        EXPECT_EQ(row[col["verdict"]], code == 0 ? "OK" : code == 1 ? "OUT" : "");
        EXPECT_NE(own.find("found in " +
                           std::string(row[col["surface"]] == "line" ? "level " : "grid ") +
                           row[col["grid"]]),
                  std::string::npos)
            << own;
        EXPECT_TRUE(row[col["error"]].empty()) << row[col["error"]];
        // Each file ran in its own work folder.
        EXPECT_TRUE(fs::exists(dir / "work" / examples[i].stem() / "answer1.dmp")) << examples[i];
    }
    EXPECT_EQ(batchCode, worst) << out;
}

// A file that cannot be read is a row with its error, never the end of the batch; the
// JSON summary holds the same rows; a wrong summary name is refused before any work.
TEST(CliBatch, UnreadableFileIsARowAndJsonSummary)
{
    test::TempDir dir;
    const fs::path good = test::examplesDir() / "embankment.SDW";
    test::writeBytes(dir / "broken.SDW", "not a section\r\n");
    std::string out;
    const int rc = runCli("calc --quiet --workdir " + quoted(dir / "w") + " --summary " +
                              quoted(dir / "s.json") + " " + quoted(dir / "missing.SDW") + " " +
                              quoted(dir / "broken.SDW") + " " + quoted(good),
                          &out);
    EXPECT_EQ(rc, 2) << out;
    const std::string json = test::readBytes(dir / "s.json");
    EXPECT_TRUE(json.starts_with("{\n  \"files\": [")) << json;
    EXPECT_NE(json.find("missing.SDW\", \"method\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"verdict\": \"OK\""), std::string::npos) << json;
    EXPECT_NE(json.find("embankment.SDW\", \"method\": 0"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"error\": null"), json.rfind("\"error\": null")) << json;
    EXPECT_TRUE(fs::exists(dir / "w" / "embankment" / "answer1.dmp"));

    // Two files of the same name in different folders get different work folders.
    fs::create_directories(dir / "other");
    fs::copy_file(good, dir / "other" / "embankment.SDW");
    ASSERT_EQ(runCli("calc --quiet --workdir " + quoted(dir / "w2") + " " + quoted(good) + " " +
                         quoted(dir / "other" / "embankment.SDW"),
                     &out),
              0)
        << out;
    EXPECT_TRUE(fs::exists(dir / "w2" / "embankment" / "answer1.dmp"));
    EXPECT_TRUE(fs::exists(dir / "w2" / "embankment_2" / "answer1.dmp"));
    // Without --workdir each file's folder lies beside it.
    ASSERT_EQ(runCli("calc --quiet " + quoted(dir / "other" / "embankment.SDW") + " " +
                         quoted(dir / "broken.SDW"),
                     &out),
              2);
    EXPECT_TRUE(fs::exists(dir / "other" / "embankment" / "answer1.dmp"));

    // A section kept in the work folder under the name of the summary's map is refused:
    // the report would write over it.
    fs::create_directories(dir / "w3");
    fs::copy_file(good, dir / "w3" / "SB_SUMMARY_MAP.VOV");
    EXPECT_EQ(runCli("calc --quiet " + quoted(dir / "w3" / "SB_SUMMARY_MAP.VOV") + " --workdir " +
                         quoted(dir / "w3"),
                     &out),
              2)
        << out;
    EXPECT_EQ(test::readBytes(dir / "w3" / "SB_SUMMARY_MAP.VOV"), test::readBytes(good));

    EXPECT_EQ(runCli("calc " + quoted(good) + " --summary " + quoted(dir / "s.txt"), &out), 2);
    EXPECT_NE(out.find("--summary"), std::string::npos) << out;
    const std::string before = test::readBytes(good);
    EXPECT_EQ(runCli("calc " + quoted(good) + " --summary " + quoted(good), &out), 2);
    EXPECT_EQ(test::readBytes(good), before); // the input is untouched
}

// The summary rows as written: quoting, empty fields of a failed file, JSON escapes.
TEST(BatchSummary, CsvAndJsonRows)
{
    BatchRow ok;
    ok.file = "/data/a,b \"x\".SDW";
    ok.method = kMethodLineBySegments;
    ok.hasResult = true;
    ok.f = 1.2345;
    ok.decimals = 3;
    ok.allowable = 1.2;
    ok.verdict = "OK";
    ok.line = true;
    ok.x = 1;
    ok.y = 2;
    ok.angle = 24.0644;
    ok.hasEnd = true;
    ok.endX = 20.9;
    ok.endY = 10;
    ok.grid = 2;
    ok.gridsSearched = 2;
    ok.seconds = 0.25;
    ok.exitCode = 0;
    ok.warnings = {"12: 値が読めません", "block 1\nline"};
    BatchRow bad;
    bad.file = "/data/none.SDW";
    bad.error = "ファイルがありません";
    bad.exitCode = 2;
    const std::string csv = batchCsv({ok, bad});
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF"
                                "file,method,method_name,F,allowable,verdict,"));
    EXPECT_NE(
        csv.find("\r\n\"/data/a,b \"\"x\"\".SDW\",5,直線すべり－始点と終点を指定,1.234,1.200,OK,"
                 "line,1.000,2.000,,24.064,20.900,10.000,2,2,0.250,0,\"12: 値が読めません / "
                 "block 1\nline\",\r\n"),
        std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\r\n/data/none.SDW,,,,,,,,,,,,,,,0.000,2,,ファイルがありません\r\n"),
              std::string::npos)
        << csv;
    const std::string json = batchJson({ok, bad});
    EXPECT_NE(json.find("\"file\": \"/data/a,b \\\"x\\\".SDW\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"F\": 1.234"), std::string::npos);
    EXPECT_NE(json.find("\"radius\": null, \"angle\": 24.064"), std::string::npos) << json;
    EXPECT_NE(json.find("\"block 1\\nline\""), std::string::npos);
    EXPECT_NE(json.find("\"F\": null"), std::string::npos);
    EXPECT_NE(json.find("\"error\": \"ファイルがありません\""), std::string::npos);
    EXPECT_EQ(batchJson({}), "{\n  \"files\": []\n}\n");
    // A value that is not a number never reaches the files as "nan".
    ok.f = std::nan("");
    EXPECT_EQ(batchCsv({ok}).find("nan"), std::string::npos);
    EXPECT_NE(batchJson({ok}).find("\"F\": null"), std::string::npos);
    EXPECT_EQ(batchFormatOf("x.CSV"), BatchFormat::Csv);
    EXPECT_EQ(batchFormatOf("x.json"), BatchFormat::Json);
    EXPECT_FALSE(batchFormatOf("x.csv.txt"));
}

// The PDF report opens with the summary: the governing factor, the verdict and the
// allowable value, for an OK and an OUT section; --summary keeps only the summary, the
// check list and the minimum pages.
TEST(CliBatch, ReportSummaryPageText)
{
    if (!fs::exists(test::cliPath().parent_path() / "keltora-report-viewer"))
        GTEST_SKIP() << "this build does not render";
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext is not installed";
    test::TempDir dir;
    struct Case {
        const char* name;
        const char* verdict;
        const char* factor;
        const char* allowable;
        const char* sign;
    };
    // An OUT section: the embankment (F = 1.320) against a stricter allowable factor.
    {
        SlopeModel m;
        resetModel(m);
        ASSERT_EQ(readDataFile(m, test::examplesDir() / "embankment.SDW").status, 0);
        m.conditions.allowableSafetyFactor = 1.5;
        ASSERT_TRUE(writeDataFile(m, dir / "strict.SDW").ok);
    }
    for (const Case& c : {Case{"quay_backfill.SDW", "OK", "1.109", "1.000", "≧"},
                          Case{"strict.SDW", "OUT", "1.320", "1.500", "＜"}}) {
        const fs::path work = dir / (std::string("work-") + c.name);
        const fs::path section =
            fs::exists(dir / c.name) ? dir / c.name : test::examplesDir() / c.name;
        std::string out;
        const int rc = runCli("report " + quoted(section) + " --workdir " + quoted(work) + " -o " +
                                  quoted(work / "full.pdf"),
                              &out);
        EXPECT_EQ(rc, std::string(c.verdict) == "OK" ? 0 : 1) << out;
        std::string first;
        ASSERT_EQ(test::runCommand(
                      "pdftotext -layout -f 1 -l 1 " + quoted(work / "full.pdf") + " -", &first),
                  0);
        EXPECT_NE(first.find("安定計算の要約"), std::string::npos) << first;
        // The verdict box: "最小安全率 Ｆｓ ＝ 1.109 ≧ 許容安全率 Ｆａ ＝ 1.000 判定：OK"
        // (pdftotext gives the words in their order on the line, spaced as it likes).
        std::string box;
        {
            const std::size_t b = first.find("最小安全率 Ｆｓ");
            ASSERT_NE(b, std::string::npos) << first;
            const std::size_t e = first.find("判定：", b);
            ASSERT_NE(e, std::string::npos) << first;
            for (char ch : first.substr(b, e - b))
                if (ch != ' ' && ch != '\n') box += ch;
        }
        EXPECT_EQ(box, std::string("最小安全率Ｆｓ＝") + c.factor + c.sign + "許容安全率Ｆａ＝" +
                           c.allowable)
            << first;
        EXPECT_NE(first.find(std::string("判定：") + c.verdict), std::string::npos) << first;
        EXPECT_NE(first.find("計算対照図"), std::string::npos) << first; // the figure's title

        ASSERT_EQ(runCli("report " + quoted(section) + " --summary" + " --workdir " + quoted(work) +
                             " -o " + quoted(work / "short.pdf"),
                         &out),
                  rc)
            << out;
        std::string full, shortText;
        test::runCommand("pdftotext " + quoted(work / "full.pdf") + " -", &full);
        test::runCommand("pdftotext " + quoted(work / "short.pdf") + " -", &shortText);
        EXPECT_NE(shortText.find("チェックリスト"), std::string::npos);
        EXPECT_NE(shortText.find("最小安全率の円弧（第"), std::string::npos) << shortText;
        EXPECT_EQ(shortText.find("計算結果一覧表"), std::string::npos);
        EXPECT_NE(full.find("計算結果一覧表"), std::string::npos);
        EXPECT_LT(shortText.size(), full.size());

        // The report viewer makes the same choice from the folder.
        const std::string viewer =
            quoted(test::cliPath().parent_path() / "keltora-report-viewer") + " --text ";
        std::string all, summaryOnly;
        ASSERT_EQ(test::runCommand(viewer + quoted(work) + " 2>&1", &all), 0) << all;
        ASSERT_EQ(test::runCommand(viewer + "--summary " + quoted(work) + " 2>&1", &summaryOnly), 0)
            << summaryOnly;
        EXPECT_TRUE(all.starts_with("---- 1 / ")) << all.substr(0, 200);
        EXPECT_NE(all.find("安定計算の要約"), std::string::npos);
        EXPECT_LT(all.find("安定計算の要約"), all.find("チェックリスト"));
        EXPECT_NE(summaryOnly.find("安定計算の要約"), std::string::npos);
        EXPECT_EQ(summaryOnly.find("計算結果一覧表"), std::string::npos);
        EXPECT_LT(summaryOnly.size(), all.size());
    }
}
