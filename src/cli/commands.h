// The command registry of the `keltora` command line: each cmd_*.cpp registers one or
// more commands with a static CommandRegistrar.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/message.h"
#include "model/model.h"

namespace keltora::cli {

using Args = std::vector<std::string>;

struct Command {
    std::string name;
    std::string usage;   // one line: "info FILE.SDW"
    std::string summary; // what it does
    std::function<int(const Args&)> run; // args after the command name; returns exit code
};

std::vector<Command>& registry();

struct CommandRegistrar {
    explicit CommandRegistrar(Command c) { registry().push_back(std::move(c)); }
};

// Prints a message of the core to stderr as "[caption] text".
void printMessage(const Message& m);

// Small option parsing helpers: finds "--name VALUE" / "-o VALUE" and removes it.
bool takeOption(Args& args, const std::string& name, std::string& value);
bool takeFlag(Args& args, const std::string& name);
// Reads a section file; prints its error (and returns null) or its warnings.
std::unique_ptr<SlopeModel> loadSection(const std::string& path);

// Creates the working folder if needed; prints "keltora COMMAND: DIR is not a folder" and
// returns false when it cannot be used.
bool prepareWorkDir(const std::filesystem::path& dir, const char* command);

// Parses "X,Y" into two doubles.
bool parsePair(const std::string& text, double& x, double& y);

} // namespace keltora::cli
