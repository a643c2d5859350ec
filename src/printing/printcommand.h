// Printing for scripts: lectra --print FILE [--pages I,J,K | --all]
// [--option NAME=VALUE]... --out OUT.pdf
#pragma once

#include <string>
#include <vector>

// Runs the command (arguments after the program name); the exit status:
// 0 printed, 1 the job failed (one line on standard error), 2 usage.
int RunPrintCommand(const std::vector<std::string>& args);
