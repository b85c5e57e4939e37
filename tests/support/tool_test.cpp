// Shared by the tools' tests: running them and reading what they write.
#include "support/tool_test.h"

#include <signal.h>
#include <sys/resource.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

std::string toolPath(const std::string& tool)
{
    return std::string(BUILD_DIR) + "/" + tool;
}

ProcessResult runTool(const std::string& tool, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env)
{
    std::vector<std::string> argv = {toolPath(tool)};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, env, SHOW_DIR, 1800.0);
}

std::vector<TimelineEvent> parseTimeline(const std::string& out)
{
    std::vector<TimelineEvent> events;
    bool inTimeline = false;
    for (const std::string& line : splitLines(out))
    {
        if (line.compare(0, 12, "timeline at ") == 0)
        {
            inTimeline = true;
            continue;
        }
        if (!inTimeline || line.empty())
            continue;
        TimelineEvent event;
        std::istringstream row(line);
        row >> event.what;
        if (event.what == "scene")
        {
            std::string number;
            row >> number;
            event.what += " " + number;
        }
        row >> event.frame >> event.seconds;
        if (row)
            events.push_back(event);
    }
    return events;
}

long timelineFrame(const std::vector<TimelineEvent>& timeline, const std::string& what)
{
    for (const TimelineEvent& event : timeline)
        if (event.what == what)
            return event.frame;
    return -1;
}

ScratchDir::ScratchDir()
{
    char pattern[] = "/tmp/ostralis-tool-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

ScratchDir::~ScratchDir()
{
    std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path.c_str());
}

std::vector<std::string> listDir(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* handle = opendir(dir.c_str()))
    {
        while (dirent* entry = readdir(handle))
        {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(handle);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string probeStream(const std::string& file, const std::string& stream, const std::string& entry)
{
    ProcessResult probe = runProcess({"ffprobe", "-v", "error", "-select_streams", stream, "-show_entries",
                                      "stream=" + entry, "-of", "default=noprint_wrappers=1:nokey=1", file});
    std::vector<std::string> lines = splitLines(probe.out);
    return lines.empty() ? "" : lines.front();
}

double soundOnsetSeconds(const std::string& file)
{
    // The detector reports where silence starts and ends; a file that opens
    // with silence has its first start at 0.
    ProcessResult probe = runProcess({"ffprobe", "-v", "error", "-f", "lavfi", "-i",
                                      "amovie=" + file + ",silencedetect=noise=-60dB:duration=0.02",
                                      "-show_entries", "frame_tags=lavfi.silence_start,lavfi.silence_end",
                                      "-of", "default=noprint_wrappers=1"});
    if (probe.exitCode != 0)
        return -1;
    for (const std::string& line : splitLines(probe.out))
    {
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        double value = std::atof(line.c_str() + equals + 1);
        if (key.find("silence_start") != std::string::npos && value > 0.001)
            return 0;  // the first silence comes after some sound
        if (key.find("silence_end") != std::string::npos)
            return value;
    }
    return 0;
}

ImageDifference compareImages(const sf::Image& a, const sf::Image& b, int tolerance)
{
    ImageDifference difference;
    if (a.getSize() != b.getSize())
    {
        difference.largest = 255;
        difference.pixelsBeyond = long(a.getSize().x) * a.getSize().y;
        return difference;
    }
    const sf::Uint8* p = a.getPixelsPtr();
    const sf::Uint8* q = b.getPixelsPtr();
    size_t count = size_t(a.getSize().x) * a.getSize().y;
    for (size_t i = 0; i < count; ++i, p += 4, q += 4)
    {
        int worst = 0;
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(int(p[c]) - int(q[c])));
        difference.largest = std::max(difference.largest, worst);
        if (worst > tolerance)
            ++difference.pixelsBeyond;
    }
    return difference;
}

FileSizeLimit::FileSizeLimit(unsigned long bytes)
{
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    savedSoft = limit.rlim_cur;
    savedHandler = signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = savedSoft;
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, savedHandler);
}
