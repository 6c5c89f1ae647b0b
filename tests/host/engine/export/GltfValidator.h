// The Khronos glTF validator run on a file: the npm package gltf-validator installed by
// scripts/setup-test-tools.sh into the build folder, driven by validate-gltf.js.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

struct ValidatorReport {
    bool ran = false;
    int errors = -1;
    std::string output; // everything the script printed: the counts and each error
};

inline std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline ValidatorReport ValidateGltf(const std::string& file) {
    ValidatorReport report;
    if (!std::filesystem::exists(GLTF_VALIDATOR_DIR "/package.json")) {
        report.output = "the glTF validator is not installed in " GLTF_VALIDATOR_DIR
                        ": run scripts/setup-test-tools.sh";
        return report;
    }
    const std::string command = "node " + ShellQuoted(GLTF_VALIDATE_SCRIPT) + " " +
                                ShellQuoted(GLTF_VALIDATOR_DIR) + " " + ShellQuoted(file) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        report.output = "cannot run node";
        return report;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        report.output.append(buffer, n);
    const int status = pclose(pipe);
    int warnings = 0;
    report.ran = status == 0 && std::sscanf(report.output.c_str(), "errors %d warnings %d",
                                            &report.errors, &warnings) == 2;
    return report;
}
