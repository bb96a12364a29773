// Entry point of the `keltora` command line: dispatches to the registered commands.
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <iostream>

#include "cli/commands.h"
#include "model/c_format.h"
#include "model/sdw_file.h"

namespace keltora::cli {

std::vector<Command>& registry()
{
    static std::vector<Command> commands;
    return commands;
}

void printMessage(const Message& m)
{
    std::fprintf(stderr, "[%s] %s\n", m.caption.c_str(), m.text.c_str());
}

std::unique_ptr<SlopeModel> loadSection(const std::string& path)
{
    auto model = std::make_unique<SlopeModel>();
    resetModel(*model);
    ReadResult r = readDataFile(*model, path);
    if (r.status != 0) {
        printMessage(*r.error);
        return nullptr;
    }
    for (const Message& w : r.warnings)
        printMessage(w);
    return model;
}

bool prepareWorkDir(const std::filesystem::path& dir, const char* command)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (std::filesystem::is_directory(dir, ec)) return true;
    std::fprintf(stderr, "keltora %s: %s is not a folder\n", command, dir.c_str());
    return false;
}

bool takeOption(Args& args, const std::string& name, std::string& value)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name && i + 1 < args.size()) {
            value = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            return true;
        }
        if (args[i].rfind(name + "=", 0) == 0) {
            value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool takeFlag(Args& args, const std::string& name)
{
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end()) return false;
    args.erase(it);
    return true;
}

bool parsePair(const std::string& text, double& x, double& y)
{
    char tail = 0;
    return cscan(text.c_str(), "%lf,%lf%c", &x, &y, &tail) == 2;
}

} // namespace keltora::cli

namespace {

void usage()
{
    std::printf("KELTORA slope stability analysis\n\nusage: keltora COMMAND [ARGS]\n\ncommands:\n");
    auto cmds = keltora::cli::registry();
    std::sort(cmds.begin(), cmds.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const auto& c : cmds) std::printf("  %-44s %s\n", c.usage.c_str(), c.summary.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        usage();
        return argc < 2 ? 2 : 0;
    }
    const std::string name = argv[1];
    keltora::cli::Args args(argv + 2, argv + argc);
    for (const auto& c : keltora::cli::registry())
        if (c.name == name) {
            try {
                return c.run(args);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "[error] %s\n", e.what());
                return 2;
            }
        }
    std::fprintf(stderr, "keltora: unknown command '%s'\n\n", name.c_str());
    usage();
    return 2;
}
