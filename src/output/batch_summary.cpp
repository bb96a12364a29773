// CSV and JSON summaries of a batch of calculations, one row per section file.
#include "output/batch_summary.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "analysis/results.h"
#include "model/c_format.h"
#include "model/model.h"

namespace keltora {

std::string methodName(int method)
{
    switch (method) {
    case kMethodFellenius: return "円弧(修正フェレニウス法)";
    case kMethodTschebotarioff: return "円弧(チェボタリオフ法)";
    case kMethodBishop: return "円弧(簡易ビショップ法)";
    case kMethodLineByAngle: return "直線すべり－始点とすべり角指定";
    case kMethodBishopModified: return "円弧(簡易ビショップ法)-修正式";
    case kMethodLineBySegments: return "直線すべり－始点と終点を指定";
    default: return "(不明な検討方法)";
    }
}

void fillBatchResult(BatchRow& row, int method, double allowable, int decimals,
                     const CalculationResults& results)
{
    row.method = method;
    row.allowable = allowable;
    row.decimals = std::clamp(decimals, 0, 10);
    row.gridsSearched = results.gridsRun;
    row.hasResult = results.validFlag == kResultsValid && results.hasCritical;
    if (!row.hasResult) return;
    const SlipResult& c = results.critical;
    row.f = c.f;
    // The verdict of the calculation's own message: F >= allowable is OK.
    row.verdict = c.f >= allowable ? "OK" : "OUT";
    row.line = method == kMethodLineByAngle || method == kMethodLineBySegments;
    row.x = c.cx;
    row.y = c.cy;
    if (row.line)
        row.angle = c.rr;
    else
        row.radius = c.rr;
    row.hasEnd = method == kMethodLineBySegments;
    if (row.hasEnd) {
        row.endX = c.dx;
        row.endY = c.dy;
    }
    row.grid = c.grid;
}

std::optional<BatchFormat> batchFormatOf(const std::filesystem::path& file)
{
    std::string ext = file.extension().string();
    for (char& ch : ext)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (ext == ".csv") return BatchFormat::Csv;
    if (ext == ".json") return BatchFormat::Json;
    return std::nullopt;
}

namespace {

// A value printed with `decimals` places, or empty when it is not a finite number.
std::string number(double v, int decimals)
{
    if (!std::isfinite(v)) return {};
    return cformat("%.*f", decimals, v);
}

std::string csvField(const std::string& s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty()) out += " / ";
        out += p;
    }
    return out;
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20)
                out += cformat("\\u%04x", c);
            else
                out += ch;
        }
    }
    return out + "\"";
}

// A JSON number, or null for a value that is absent or not finite.
std::string jsonNumber(bool present, double v, int decimals)
{
    if (!present || !std::isfinite(v)) return "null";
    return cformat("%.*f", decimals, v);
}

} // namespace

std::string batchCsv(const std::vector<BatchRow>& rows)
{
    std::string out = "\xEF\xBB\xBF";
    out += "file,method,method_name,F,allowable,verdict,surface,x,y,radius,angle,end_x,end_y,"
           "grid,grids_searched,time_s,exit_code,warnings,error\r\n";
    for (const BatchRow& r : rows) {
        const bool circle = r.hasResult && !r.line;
        const bool line = r.hasResult && r.line;
        std::vector<std::string> f = {
            csvField(r.file),
            r.method >= 0 ? cformat("%d", r.method) : std::string(),
            r.method >= 0 ? csvField(methodName(r.method)) : std::string(),
            r.hasResult ? number(r.f, r.decimals) : std::string(),
            r.method >= 0 ? number(r.allowable, 3) : std::string(),
            r.verdict,
            circle ? "circle"
            : line ? "line"
                   : "",
            r.hasResult ? number(r.x, 3) : std::string(),
            r.hasResult ? number(r.y, 3) : std::string(),
            circle ? number(r.radius, 3) : std::string(),
            line ? number(r.angle, 3) : std::string(),
            line && r.hasEnd ? number(r.endX, 3) : std::string(),
            line && r.hasEnd ? number(r.endY, 3) : std::string(),
            r.hasResult ? cformat("%d", r.grid) : std::string(),
            r.method >= 0 ? cformat("%d", r.gridsSearched) : std::string(),
            number(r.seconds, 3),
            cformat("%d", r.exitCode),
            csvField(joined(r.warnings)),
            csvField(r.error)};
        for (std::size_t i = 0; i < f.size(); ++i) {
            if (i > 0) out += ',';
            out += f[i];
        }
        out += "\r\n";
    }
    return out;
}

std::string batchJson(const std::vector<BatchRow>& rows)
{
    std::string out = "{\n  \"files\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const BatchRow& r = rows[i];
        const bool circle = r.hasResult && !r.line;
        const bool line = r.hasResult && r.line;
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"file\": " + jsonString(r.file);
        out += ", \"method\": " + (r.method >= 0 ? cformat("%d", r.method) : "null");
        out += ", \"method_name\": " + (r.method >= 0 ? jsonString(methodName(r.method)) : "null");
        out += ", \"F\": " + jsonNumber(r.hasResult, r.f, r.decimals);
        out += ", \"allowable\": " + jsonNumber(r.method >= 0, r.allowable, 3);
        out += ", \"verdict\": " + (r.verdict.empty() ? "null" : jsonString(r.verdict));
        out += ", \"surface\": " + (circle ? std::string("\"circle\"")
                                    : line ? std::string("\"line\"")
                                           : std::string("null"));
        out += ", \"x\": " + jsonNumber(r.hasResult, r.x, 3);
        out += ", \"y\": " + jsonNumber(r.hasResult, r.y, 3);
        out += ", \"radius\": " + jsonNumber(circle, r.radius, 3);
        out += ", \"angle\": " + jsonNumber(line, r.angle, 3);
        out += ", \"end_x\": " + jsonNumber(line && r.hasEnd, r.endX, 3);
        out += ", \"end_y\": " + jsonNumber(line && r.hasEnd, r.endY, 3);
        out += ", \"grid\": " + (r.hasResult ? cformat("%d", r.grid) : "null");
        out += ", \"grids_searched\": " + (r.method >= 0 ? cformat("%d", r.gridsSearched) : "null");
        out += ", \"time_s\": " + jsonNumber(true, r.seconds, 3);
        out += ", \"exit_code\": " + cformat("%d", r.exitCode);
        out += ", \"warnings\": [";
        for (std::size_t w = 0; w < r.warnings.size(); ++w)
            out += (w ? ", " : "") + jsonString(r.warnings[w]);
        out += "], \"error\": " + (r.error.empty() ? "null" : jsonString(r.error)) + "}";
    }
    out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

} // namespace keltora
