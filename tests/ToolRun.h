// Runs a shell command line (the quendel tool, mostly) from the source directory and keeps what
// it wrote and how it ended.
#ifndef QUENDEL_TESTS_TOOLRUN_H
#define QUENDEL_TESTS_TOOLRUN_H

#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "TestSupport.h"

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
    nlohmann::json Json() const { return nlohmann::json::parse(out); }
};

inline std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// Standard error goes to its own file unless the line sends it elsewhere first ("2>&1").
inline ToolRun RunCommand(const std::string& line) {
    TempDir scratch;
    const std::string errFile = scratch.Path() + "/err";
    const std::string command =
        "cd " + Quoted(QUENDEL_SOURCE_DIR) + " && exec 2>" + Quoted(errFile) + "; " + line;
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    for (size_t n = 0; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadWholeFile(errFile);
    return run;
}

// With a time limit in seconds, the tool is ended then (status 124) instead of hanging the test.
inline ToolRun RunTool(const std::string& arguments, int seconds = 0) {
    const std::string limit = seconds > 0 ? "timeout " + std::to_string(seconds) + " " : "";
    return RunCommand(limit + QUENDEL_TOOL + " " + arguments);
}

#endif
