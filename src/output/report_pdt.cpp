// Report file text: CP932 conversion, CR LF line ends, the stamp line, atomic writing.
#include "output/report_pdt.h"

#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/text_encoding.h"

namespace keltora {

void ReportText::line(std::string_view text)
{
    text_.append(text);
    text_.push_back('\n');
}

void ReportText::field(int number, std::string_view value)
{
    text_ += number < 10 ? cformat("0%d", number) : cformat("%2d", number);
    text_ += "  ";
    line(value);
}

std::string ReportText::bytes() const
{
    // CP932 trail bytes never take the value of LF, so line ends can be expanded after the
    // conversion.
    const std::string cp = utf8ToCp932(text_);
    std::string out;
    out.reserve(cp.size() + cp.size() / 16 + 2);
    for (char c : cp) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::string reportStampLine(const SlopeModel& model, const std::string& dataPath)
{
    std::string s =
        cformat("%-4d%-4d%-4d%-4d%-4d%-4d        ", model.calcDate[0], model.calcDate[1],
                model.calcDate[2], model.calcTime[0], model.calcTime[1], model.calcTime[2]);
    s += dataPath;
    // "%-8s" pads in bytes of the file's encoding.
    for (std::size_t n = cp932Length(dataPath); n < 8; ++n)
        s.push_back(' ');
    return s;
}

bool writeReportFile(const std::filesystem::path& dir, const std::string& name,
                     const std::string& bytes, ReportFileLog& log)
{
    if (auto err = writeFileAtomically(dir / name, bytes)) {
        log.messages.push_back(
            {"ファイル " + (dir / name).string() + " を作成できませんでした。(" + *err + ")",
             "error"});
        log.failed.push_back(name);
        return false;
    }
    log.written.push_back(name);
    return true;
}

} // namespace keltora
