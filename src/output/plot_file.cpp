// Writing the calculation figure as plot command records (lengths in 0.00001 mm).
#include "output/plot_file.h"

#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/text_encoding.h"
#include "output/external_program.h"

namespace keltora {
namespace {

std::string L(double mm)
{
    return formatPlotLength(mm);
}
// Coordinates on the sheet: the drawing window sits 10 mm inside the sheet on every side.
std::string X(double mm)
{
    return formatPlotLength(mm + kPlotSheetMargin);
}

std::string record(const FigureItem& it)
{
    switch (it.kind) {
    case FigureItemKind::Line:
        return "DL" + X(it.p1.x) + "," + X(it.p1.y) + "," + X(it.p2.x) + "," + X(it.p2.y) + "," +
               std::to_string(it.layer);
    case FigureItemKind::PointMark:
        return "AP" + X(it.p1.x) + "," + X(it.p1.y) + "," + L(it.size) + "," +
               std::to_string(it.style) + "," + std::to_string(it.layer);
    case FigureItemKind::Arc:
        return "GC" + X(it.p1.x) + "," + X(it.p1.y) + "," + X(it.centre.x) + "," + X(it.centre.y) +
               "," + X(it.p2.x) + "," + X(it.p2.y) + "," + std::to_string(it.style) + "," +
               std::to_string(it.layer);
    case FigureItemKind::Arrow:
        return "AH" + X(it.p1.x) + "," + X(it.p1.y) + "," + X(it.p2.x) + "," + X(it.p2.y) + "," +
               L(it.size) + "," + L(it.size2) + "," + std::to_string(it.style) + "," +
               std::to_string(it.layer);
    case FigureItemKind::Text: {
        // A text holds no line break: any CR or LF becomes a blank.
        std::string text = it.text;
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        return "VJ" + X(it.p1.x) + "," + X(it.p1.y) + "," + L(it.size) + "," + L(it.size2) + "," +
               L(0.0) + "," + std::to_string(it.layer) + "," + text;
    }
    case FigureItemKind::Polygon: return {};
    }
    return {};
}

} // namespace

std::string formatPlotLength(double mm)
{
    return cformat("%1.0lf", mm * kPlotUnitsPerMm);
}

int plotLayerPenWidth(int layer)
{
    if (layer == 1 || layer == 7) return 25;
    if (layer == 12) return 18;
    return 13;
}

std::string plotFileText(const Figure& figure)
{
    const double W = 2.0 * figure.halfWidth + 20.0, H = 2.0 * figure.halfHeight + 20.0;
    std::string out;
    out.reserve(64 * (figure.items.size() + 32));
    auto put = [&](const std::string& line) {
        out += line;
        out += '\n';
    };
    put(kPlotDrawingName);
    put("SC1," + L(0) + "," + L(0) + "," + L(0));
    put("EM" + L(0) + "," + L(0) + "," + L(W) + "," + L(H));
    put("SZ" + L(W) + "," + L(H));
    struct LineType {
        double dash, gap;
        int number;
        const char* name;
    };
    static const LineType types[] = {{1.0, 1.0, 1, "DOT10-10"},
                                     {2.0, 1.0, 2, "HIDDEN20-10"},
                                     {2.0, 1.0, 3, "CENTER20-10"},
                                     {2.0, 1.0, 4, "PHANTOM20-10"}};
    for (const LineType& t : types)
        put(cformat("LT%s,%s,%d,%d,%s", L(t.dash).c_str(), L(t.gap).c_str(), t.number, t.number,
                    t.name));
    for (int layer = 1; layer <= 16; ++layer)
        put(cformat("LY0,%d,7,%d,%02d", plotLayerPenWidth(layer), layer, layer));
    for (const FigureItem& it : figure.items)
        if (it.kind != FigureItemKind::Polygon) put(record(it));
    return out;
}

std::string plotFileBytes(const Figure& figure)
{
    const std::string text = utf8ToCp932(plotFileText(figure));
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::optional<Message> writePlotFile(const Figure& figure, const std::filesystem::path& directory)
{
    const std::filesystem::path path = directory / kPlotFileName;
    if (auto err = writeFileAtomically(path, plotFileBytes(figure)))
        return Message{"作図ファイル " + path.string() + " を作成できません。\n" + *err, "error"};
    return std::nullopt;
}

std::optional<Message> writePlotHandOff(const std::filesystem::path& directory)
{
    std::string dir = std::filesystem::absolute(directory).lexically_normal().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    const std::string text = dir + "\r\n" + kPlotFileName + "\r\n$$$$$$$$\r\n";
    const std::filesystem::path path = directory / kPlotHandOffName;
    if (auto err = writeFileAtomically(path, utf8ToCp932(text)))
        return Message{"ファイル " + path.string() + " を作成できません。\n" + *err, "error"};
    return std::nullopt;
}

std::optional<Message> runPlotCommand(const Figure& figure,
                                      const std::filesystem::path& startDirectory,
                                      const std::function<void()>& idle, std::string* note)
{
    if (auto m = writePlotFile(figure, startDirectory)) return m;
    if (auto m = writePlotHandOff(startDirectory)) return m;
    const HelperCommand command = helperProgramCommand(kPlotterEnvironment, kPlotterProgram);
    ProgramOutcome outcome = startAndWait(command, {}, startDirectory, idle);
    if (note && !outcome.started) *note = outcome.error;
    return std::nullopt;
}

} // namespace keltora
