// The tools' shared way of reading a command line.
#include "tools/options.h"

#include <cstdlib>
#include <sstream>
#include <iostream>

void describeTool(CLI::App& app)
{
    app.set_version_flag("--version", std::string(app.get_name()) + " " + showVersion(),
                         "print the show's version and end");
    app.get_formatter()->column_width(34);
    app.option_defaults()->always_capture_default();
}

int readOptions(CLI::App& app, int argc, char** argv)
{
    try
    {
        app.parse(argc, argv);
        return -1;
    }
    catch (const CLI::Success& done)
    {
        // --help or --version: printed as CLI11 prints them, on standard output.
        return app.exit(done, std::cout, std::cerr);
    }
    catch (const CLI::ParseError& mistake)
    {
        std::string reason = mistake.what();
        for (char& c : reason)
            if (c == '\n')
                c = ' ';
        std::cerr << app.get_name() << ": " << reason << " (see --help)" << std::endl;
        return optionsMistakeExit;
    }
}

CLI::Validator nonEmpty(const std::string& kind)
{
    std::string reason = kind == "DIR" ? "needs a directory" : "needs a file name";
    return CLI::Validator([reason](std::string& text) { return text.empty() ? reason : std::string(); }, kind);
}

CLI::Validator numberRange(double low, double high)
{
    auto plain = [](double value) {
        std::ostringstream text;
        text << value;
        return text.str();
    };
    const std::string bounds = plain(low) + " to " + plain(high);
    return CLI::Validator(
        [=](std::string& text) {
            char* end = nullptr;
            double value = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(value >= low && value <= high))
                return "takes a number from " + bounds + ", not '" + text + "'";
            return std::string();
        },
        "NUMBER in " + bounds);
}

void addShowDirOption(CLI::App& app, std::string& showDir)
{
    app.add_option("--show-dir", showDir, "the show's files (default: show/ beside this program)")
        ->check(nonEmpty("DIR"));
}

const char* showVersion()
{
    return OSTRALIS_VERSION;
}

std::string FrameRate::text() const
{
    return denominator == 1 ? std::to_string(numerator)
                            : std::to_string(numerator) + "/" + std::to_string(denominator);
}

bool parseFrameRate(const std::string& text, FrameRate& rate)
{
    size_t slash = text.find('/');
    std::string top = text.substr(0, slash);
    std::string bottom = slash == std::string::npos ? "1" : text.substr(slash + 1);
    auto whole = [](const std::string& digits, long& value) {
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        value = std::atol(digits.c_str());
        return value > 0;
    };
    FrameRate parsed;
    if (!whole(top, parsed.numerator) || !whole(bottom, parsed.denominator))
        return false;
    double perSecond = parsed.perSecond();
    if (perSecond < 1.0 || perSecond > 240.0)
        return false;
    rate = parsed;
    return true;
}
