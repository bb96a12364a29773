// Starting an external program (the plotter, the report viewer) and waiting for it to end.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace keltora {

// The command of a helper program: the value of the environment variable `envOverride`
// when it is set and not empty (a shell command line, which may carry options), else
// `defaultName` in the folder of the running executable (a program path).
struct HelperCommand {
    std::string command;
    bool shell = false; // run through /bin/sh -c
};
HelperCommand helperProgramCommand(const char* envOverride, const std::string& defaultName);

// The folder of the running executable (empty when it cannot be found).
std::filesystem::path executableDirectory();

struct ProgramOutcome {
    bool started = false; // false: the program could not be started (see error)
    int exitCode = -1;    // the exit code, or -1 when it did not exit normally
    std::string error;
};

// Starts `command` (searched on PATH when it holds no '/') with `args` in `workingDirectory`
// (the current one when empty) and waits for it to end, calling `idle` every 250 ms while
// it runs (the GUI processes its pending events there).
ProgramOutcome startAndWait(const std::string& command, const std::vector<std::string>& args,
                            const std::filesystem::path& workingDirectory = {},
                            const std::function<void()>& idle = {});

// As startAndWait, for a helper command (a shell command line gets `args` appended).
ProgramOutcome startAndWait(const HelperCommand& command, const std::vector<std::string>& args,
                            const std::filesystem::path& workingDirectory = {},
                            const std::function<void()>& idle = {});

} // namespace keltora
