// The progress line shared by the forge and the tools.
#include "common/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace
{
const double terminalInterval = 0.25;
const double logInterval = 10.0;
}

void startProgress(Progress& progress, const std::string& label, double total)
{
    std::lock_guard<std::mutex> guard(progress.lock);
    progress.label = label;
    progress.total = total > 0 ? total : 1.0;
    progress.terminal = isatty(2) == 1;
    progress.lineShown = false;
    progress.start = progress.lastLine = std::chrono::steady_clock::now();
}

std::string clockText(double seconds)
{
    char text[32];
    long whole = std::lround(std::max(seconds, 0.0));
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

double progressSeconds(const Progress& progress)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.start).count();
}

void reportProgress(Progress& progress, double done, const std::string& note)
{
    std::lock_guard<std::mutex> guard(progress.lock);
    auto now = std::chrono::steady_clock::now();
    double sinceLine = std::chrono::duration<double>(now - progress.lastLine).count();
    if (sinceLine < (progress.terminal ? terminalInterval : logInterval))
        return;
    progress.lastLine = now;

    // Time left at the pace so far; nothing to go by before any work is done.
    double share = std::min(std::max(done / progress.total, 0.0), 1.0);
    double elapsed = std::chrono::duration<double>(now - progress.start).count();
    std::string left;
    if (share >= 1)
        left = ", a little left";
    else if (share > 0)
        left = ", about " + clockText(elapsed * (1 - share) / share) + " left";
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.0f%%", 100 * share);
    std::string line = progress.label + (note.empty() ? "" : note + ", ") + percent + left;

    if (progress.terminal)
    {
        std::cerr << "\r\033[K" << line << std::flush;
        progress.lineShown = true;
    }
    else
        std::cerr << line << std::endl;
}

void finishProgress(Progress& progress, const std::string& summary)
{
    std::lock_guard<std::mutex> guard(progress.lock);
    if (progress.lineShown)
        std::cerr << "\r\033[K";
    progress.lineShown = false;
    if (!summary.empty())
        std::cerr << summary << std::endl;
}
