#pragma once
// The tools' command lines, read by CLI11 the same way everywhere: --help
// lists every option with its meaning and default, --version prints the
// show's version, and a mistake is one line on standard error. Nothing here
// needs a display, so a tool reads its options before it opens one.
#include <CLI/CLI.hpp>

#include <string>

// The status a tool ends with when its options are wrong.
const int optionsMistakeExit = 2;

// A new command line for a tool, with --version and a help text that fits a terminal.
void describeTool(CLI::App& app);

// Reads the options. Returns -1 when the tool goes on; otherwise the exit
// status to end with at once: 0 after --help or --version (printed on
// standard output), 2 after a mistake (one line "<tool>: <reason>").
int readOptions(CLI::App& app, int argc, char** argv);

// A checker that refuses an empty value: "needs a file name" for a FILE,
// "needs a directory" for a DIR.
CLI::Validator nonEmpty(const std::string& kind);

// A checker for a number from low to high, whose message gives the bounds
// as plain numbers ("from 0 to 1800").
CLI::Validator numberRange(double low, double high);

// The --show-dir option every tool has: where the show's files are.
void addShowDirOption(CLI::App& app, std::string& showDir);

// The show's version, "1.0.0".
const char* showVersion();

// A checker for a positive frame rate, whole ("60") or a fraction
// ("60000/1001"), from 1 to 240 frames a second.
struct FrameRate
{
    long numerator = 60;
    long denominator = 1;
    double perSecond() const { return double(numerator) / double(denominator); }
    std::string text() const;  // "60" or "60000/1001", as ffmpeg reads it
};
bool parseFrameRate(const std::string& text, FrameRate& rate);
