// A show folder copied around loses and damages files. Each file the show
// reads, missing in turn or damaged, gives the lines the show defines for it
// and no others of ours, and the rest of the show still runs to its end.
// The whole show runs in the capture tool at a coarse fixed step.
#include "support/player_control.h"
#include "support/reliability.h"
#include "support/tool_test.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace
{
// One step a second: every phase of every scene still ends in its own frame.
const int coarseFps = 1;
const int fatalExit = 255;  // the entry point's -1

// The ways a copied file goes bad.
enum class Damage { ZeroBytes, RandomBytes, Truncated, Directory };
const Damage allDamage[] = {Damage::ZeroBytes, Damage::RandomBytes, Damage::Truncated, Damage::Directory};

void PrintTo(Damage damage, std::ostream* out);

std::string damageName(Damage damage)
{
    switch (damage)
    {
    case Damage::ZeroBytes: return "ZeroBytes";
    case Damage::RandomBytes: return "RandomBytes";
    case Damage::Truncated: return "Truncated";
    case Damage::Directory: return "Directory";
    }
    return "";
}

void PrintTo(Damage damage, std::ostream* out)
{
    *out << damageName(damage);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Puts a damaged version of a show file in place in a show copy.
void damageShowFile(const std::string& show, const std::string& name, Damage damage)
{
    std::string original = readFile(std::string(SHOW_DIR) + "/" + name);
    switch (damage)
    {
    case Damage::ZeroBytes:
        writeShowFile(show, name, "");
        break;
    case Damage::RandomBytes:
    {
        std::mt19937 random(static_cast<unsigned>(std::hash<std::string>()(name)));
        std::string noise(4096 + original.size() % 4096, '\0');
        for (char& byte : noise)
            byte = static_cast<char>(random());
        writeShowFile(show, name, noise);
        break;
    }
    case Damage::Truncated:
        writeShowFile(show, name, original.substr(0, original.size() / 2));
        break;
    case Damage::Directory:
        removeShowFile(show, name);
        std::filesystem::create_directory(show + "/" + name);
        break;
    }
}

// Runs the whole show on a show folder: in the capture tool, or in the
// player on a sped-up clock where the capture tool would not take the
// folder for a show's (it looks for "black.png").
ProcessResult runWholeShow(const std::string& show)
{
    if (std::filesystem::is_regular_file(show + "/black.png"))
        return runCapture(show, coarseFps);
    PrivateDisplay display;
    WatchedPlayer player = startPlayer(show, 16.0);
    return finishPlayer(player, 180);
}

// The whole show ran: exit 0, the given start-up, every
// scene's line, scene 8's numbers and nothing else on standard output.
void expectWholeShow(const ProcessResult& result, const std::vector<std::string>& startup)
{
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    ShowOutput out = splitShowOutput(result.out);
    EXPECT_EQ(out.startup, startup);
    EXPECT_EQ(out.scenes, sceneLoadedLines);
    EXPECT_FALSE(out.numbers.empty()) << "scene 8 wrote no overlay values";
    EXPECT_TRUE(out.other.empty()) << out.other.front();
}

// What may stand on standard error beside the capture tool's own lines:
// the graphics library's few lines about the bad file, each naming it or
// being its shader compiler's report, never a flood.
void expectFewErrorLines(const ProcessResult& result, size_t most)
{
    std::vector<std::string> foreign = foreignErrorLines(result.err);
    EXPECT_LE(foreign.size(), most) << result.err;
}

bool isPicture(const std::string& name)
{
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0 && name != "heatmap.png";
}

// The start-up a run prints when the given file cannot be used.
std::vector<std::string> startupWithout(const std::string& name)
{
    if (isPicture(name))
        return startupWith({"error loading texture " + name});
    if (name == fontFiles[0])
        return startupWith({"", "Error while loading font!"});
    return startupWith();
}

// Every file but the music (its own tests) and the heat shader (it ends the
// show at start-up, tested with the player below).
std::vector<std::string> filesTheShowOutlives()
{
    std::vector<std::string> files = pictureFiles;
    files.insert(files.end(), fontFiles.begin(), fontFiles.end());
    for (const std::string& shader : shaderFiles)
        if (shader.rfind("heat_shader", 0) != 0)
            files.push_back(shader);
    return files;
}

std::string testName(const std::string& file)
{
    std::string name;
    for (char c : file)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class MissingFile : public testing::TestWithParam<std::string> {};
class DamagedFile : public testing::TestWithParam<std::tuple<std::string, Damage>> {};
class DamagedHeatShader : public testing::TestWithParam<std::tuple<std::string, Damage>> {};

std::vector<std::string> effectShadersAndFonts()
{
    std::vector<std::string> files = fontFiles;
    for (const std::string& shader : shaderFiles)
        if (shader.rfind("heat_shader", 0) != 0)
            files.push_back(shader);
    return files;
}
}

TEST_P(MissingFile, GivesItsLinesAndTheShowRunsToItsEnd)
{
    ShowCopy copy;
    const std::string& show = copy.path;
    removeShowFile(show, GetParam());
    ProcessResult result = runWholeShow(show);
    expectWholeShow(result, startupWithout(GetParam()));
    // One line per file that could not be read; the vertex program serves four shaders.
    expectFewErrorLines(result, 4);
}
INSTANTIATE_TEST_SUITE_P(EachFile, MissingFile, testing::ValuesIn(filesTheShowOutlives()),
                         [](const auto& info) { return testName(info.param); });

// A font or an effect shader damaged in turn each way.
TEST_P(DamagedFile, IsRefusedAndTheShowRunsToItsEnd)
{
    auto [file, damage] = GetParam();
    ShowCopy copy;
    const std::string& show = copy.path;
    damageShowFile(show, file, damage);
    ProcessResult result = runWholeShow(show);
    // A truncated font may still open: its glyphs then come out as they can.
    if (file == fontFiles[0] && damage == Damage::Truncated)
    {
        std::vector<std::string> lines = splitShowOutput(result.out).startup;
        EXPECT_TRUE(lines == startupWith() || lines == startupWithout(file)) << result.out;
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(splitShowOutput(result.out).scenes, sceneLoadedLines);
    }
    else
        expectWholeShow(result, startupWithout(file));
    // A shader compiler reports every fault of a damaged source: a few dozen lines at most.
    expectFewErrorLines(result, 60);
    // A damaged shader source says so on standard error, in the graphics
    // library's words when it could be read, in ours when it is no file.
    if (file.find("shader") != std::string::npos)
    {
        const char* expected = damage == Damage::Directory ? "not a regular file" : "Failed to compile";
        EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
    }
}
INSTANTIATE_TEST_SUITE_P(EachWay, DamagedFile,
                         testing::Combine(testing::ValuesIn(effectShadersAndFonts()), testing::ValuesIn(allDamage)),
                         [](const auto& info) {
                             return testName(std::get<0>(info.param)) + "_" + damageName(std::get<1>(info.param));
                         });

// Every picture damaged the same way at once: each gives its own line, in
// catalogue order, and the show, drawing nothing for them, runs to its end.
class DamagedPictures : public testing::TestWithParam<Damage> {};
TEST_P(DamagedPictures, EachGivesItsLineAndTheShowRunsToItsEnd)
{
    ShowCopy copy;
    const std::string& show = copy.path;
    std::vector<std::string> lines;
    for (const std::string& file : pictureFiles)
    {
        damageShowFile(show, file, GetParam());
        if (isPicture(file))
            lines.push_back("error loading texture " + file);
    }
    ProcessResult result = runWholeShow(show);
    expectWholeShow(result, startupWith(lines));
    // The image loader's reason for each picture, and no more.
    expectFewErrorLines(result, 2 * pictureFiles.size());
}
INSTANTIATE_TEST_SUITE_P(EachWay, DamagedPictures, testing::ValuesIn(allDamage),
                         [](const auto& info) { return damageName(info.param); });

// The heat shader, missing or damaged, ends the player at start-up with -1
// and the show's one fatal message.
TEST_P(DamagedHeatShader, EndsStartUpWithMinusOne)
{
    auto [file, damage] = GetParam();
    ShowCopy copy;
    const std::string& show = copy.path;
    damageShowFile(show, file, damage);
    ProcessResult result = runProcess({playerPath}, {}, show, 120);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, fatalExit) << result.err;
    EXPECT_EQ(splitLines(result.out), std::vector<std::string>{"created render window"});
    EXPECT_NE(result.err.find("Failed to load shader, exiting...\n"), std::string::npos) << result.err;
}
INSTANTIATE_TEST_SUITE_P(EachWay, DamagedHeatShader,
                         testing::Combine(testing::Values("heat_shader.vs.txt", "heat_shader.fs.txt"),
                                          testing::ValuesIn(allDamage)),
                         [](const auto& info) {
                             return testName(std::get<0>(info.param)) + "_" + damageName(std::get<1>(info.param));
                         });

TEST(MissingHeatShader, EachOfItsFilesEndsStartUpWithMinusOne)
{
    for (const char* file : {"heat_shader.vs.txt", "heat_shader.fs.txt"})
    {
        SCOPED_TRACE(file);
        ShowCopy copy;
        const std::string& show = copy.path;
        removeShowFile(show, file);
        ProcessResult result = runProcess({playerPath}, {}, show, 120);
        EXPECT_EQ(result.exitCode, fatalExit) << result.err;
        EXPECT_EQ(splitLines(result.out), std::vector<std::string>{"created render window"});
        EXPECT_NE(result.err.find("Failed to load shader, exiting...\n"), std::string::npos) << result.err;
    }
}

namespace
{
// Appends bits to a deflate stream, least significant first.
struct BitWriter
{
    std::string bytes;
    unsigned pending = 0, count = 0;
    void put(unsigned value, unsigned bits)
    {
        for (unsigned i = 0; i < bits; ++i)
        {
            pending |= ((value >> i) & 1u) << count;
            if (++count == 8)
            {
                bytes += static_cast<char>(pending);
                pending = count = 0;
            }
        }
    }
    // Huffman codes go in most significant bit first.
    void putCode(unsigned code, unsigned bits)
    {
        for (unsigned i = bits; i-- > 0;)
            put((code >> i) & 1u, 1);
    }
};

void putBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void putChunk(std::string& png, const char* type, const std::string& data)
{
    putBigEndian(png, static_cast<uint32_t>(data.size()));
    png += type;
    png += data;
    putBigEndian(png, 0);  // the decoders do not check the checksum
}

// A complete grey PNG of side x side black pixels: every scanline is there,
// packed by deflate into a few megabytes, so that a decoder would really
// allocate and fill side * side bytes and more.
std::string hugeBlackPng(uint32_t side)
{
    const uint64_t rawSize = uint64_t(side) * (side + 1);  // a filter byte per row
    BitWriter deflate;
    deflate.put(1, 1);  // the last block
    deflate.put(1, 2);  // fixed Huffman codes
    deflate.putCode(0x30, 8);  // a literal 0
    uint64_t left = rawSize - 1;
    for (; left >= 258; left -= 258)
    {
        deflate.putCode(0xC5, 8);  // code 285: a match of 258 bytes
        deflate.putCode(0, 5);     // at distance 1
    }
    for (; left > 0; --left)
        deflate.putCode(0x30, 8);
    deflate.putCode(0, 7);  // end of block
    std::string zlib = "\x78\x01" + deflate.bytes;
    if (deflate.count)
        zlib += static_cast<char>(deflate.pending);
    uint32_t b = static_cast<uint32_t>(rawSize % 65521);  // Adler-32 of zeros: a stays 1
    putBigEndian(zlib, (b << 16) | 1u);

    std::string header;
    putBigEndian(header, side);
    putBigEndian(header, side);
    header += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit grey, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", "");
    return png;
}
}

// A picture whose header claims 30000 x 30000 pixels is refused before it is
// decoded: one line, and the show never holds gigabytes for it. The image
// decoder refuses that size itself; 20000 x 20000 it would decode, into
// 1.6 GB, so that one shows our own check at work.
TEST(HugePicture, IsRefusedBeforeDecoding)
{
    for (uint32_t side : {30000u, 20000u})
    {
        SCOPED_TRACE(std::to_string(side) + " pixels a side");
        ShowCopy copy;
        const std::string& show = copy.path;
        writeShowFile(show, "S3-1.png", hugeBlackPng(side));
        ProcessResult result = runWholeShow(show);
        expectWholeShow(result, startupWith({"error loading texture S3-1.png"}));
    }

    // The largest of the runs this test waited for.
    rusage usage = {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const long mostKilobytes = 1000 * 1024;
    EXPECT_LT(usage.ru_maxrss, mostKilobytes) << "a huge picture was decoded";
}

// A picture that the two-thread loading pass cannot open, a passing read
// error, is loaded again the plain way: it must then be drawn as it would
// have been had the first try worked, not as a block of colour. The failer
// refuses the file's first two openings, the size check's and the
// decoder's, so the first try fails and the second finds the file readable.
TEST(PassingReadError, APictureLoadedOnTheSecondTryIsDrawnAsOnTheFirst)
{
    const std::string failOpenPath = BUILD_DIR "/tests/libfail-open.so";
    // The last seconds of the head-and-shoulders sketch (frames 48 to 65 at
    // one a second), whose picture fades in over the stamps in layers.
    const int sketchEndFrom = 60, sketchEndTo = 66;
    auto framesOfSketchEnd = [&](const std::string& folder, const std::map<std::string, std::string>& env) {
        return runProcess({capturePath, "--fps", std::to_string(coarseFps), "--show-dir", SHOW_DIR, "--frames", folder,
                           "--from", std::to_string(sketchEndFrom), "--to", std::to_string(sketchEndTo)},
                          env, SHOW_DIR, 600);
    };

    ScratchDir undisturbed, retried;
    ProcessResult plain = framesOfSketchEnd(undisturbed.path, {});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    ProcessResult failed = framesOfSketchEnd(
        retried.path, {{"LD_PRELOAD", failOpenPath}, {"OSTRALIS_FAIL_OPEN", "S3-3.png"}, {"OSTRALIS_FAIL_OPEN_COUNT", "2"}});
    ASSERT_EQ(failed.exitCode, 0) << failed.err;
    EXPECT_EQ(failed.out, plain.out) << "the second try loaded the picture, silently";

    // The failure happened, and the frames are the same pixels.
    size_t refusals = 0;
    for (const std::string& line : splitLines(failed.err))
        refusals += line == "fail-open: refused opening S3-3.png";
    ASSERT_EQ(refusals, 2u) << failed.err;
    std::vector<std::string> frames = listDir(undisturbed.path);
    ASSERT_FALSE(frames.empty());
    ASSERT_EQ(listDir(retried.path), frames);
    for (const std::string& frame : frames)
    {
        sf::Image expected, got;
        ASSERT_TRUE(expected.loadFromFile(undisturbed.path + "/" + frame));
        ASSERT_TRUE(got.loadFromFile(retried.path + "/" + frame));
        ASSERT_EQ(got.getSize(), expected.getSize());
        EXPECT_TRUE(std::equal(got.getPixelsPtr(), got.getPixelsPtr() + got.getSize().x * got.getSize().y * 4,
                               expected.getPixelsPtr()))
            << frame << " differs from the undisturbed run";
    }
}
