#pragma once
// The progress line of long work (the forge's pictures and music, the
// capture, the bench), on standard error: on a terminal one live line,
// rewritten a few times a second, with the share done and the time left;
// otherwise (a log, a pipe) a plain line now and then.
#include <chrono>
#include <mutex>
#include <string>

struct Progress
{
    std::string label;        // "<program>: ", then what is being done
    double total = 1.0;       // the amount of work, in any unit
    bool terminal = false;    // standard error is a terminal
    bool lineShown = false;   // a live line waits to be ended
    std::chrono::steady_clock::time_point start, lastLine;
    std::mutex lock;          // workers may report from their own threads
};

// Starts timing work of the given size. The label leads every line.
void startProgress(Progress& progress, const std::string& label, double total);

// Reports the amount done so far, with a note of its own (may be empty). Cheap
// when nothing is due: a terminal's line every quarter second, a plain line
// every ten seconds.
void reportProgress(Progress& progress, double done, const std::string& note = "");

// Ends the live line, if any, and writes the summary (unless empty) as the
// last line.
void finishProgress(Progress& progress, const std::string& summary);

// Seconds as "M:SS".
std::string clockText(double seconds);

// Seconds elapsed since the work started.
double progressSeconds(const Progress& progress);
