// The forge: makes every picture and the music of the show from our own code.
//   ostralis-forge pictures SHOW_DIR SHEET.png
//   ostralis-forge music [--stems DIR] FILE.mp3
#include "forge.h"
#include "tools/options.h"

int main(int argc, char** argv)
{
    CLI::App app("Makes every picture and the music of the show from our own code.", "ostralis-forge");
    describeTool(app);
    app.require_subcommand(1);

    std::string showDir, sheet, music, stems;
    CLI::App* pictures = app.add_subcommand("pictures", "paint the show's pictures into SHOW_DIR and a sheet of them all");
    pictures->add_option("SHOW_DIR", showDir, "the show directory the pictures are written to")->required();
    pictures->add_option("SHEET", sheet, "a PNG of every picture side by side")->required();
    CLI::App* compose = app.add_subcommand("music", "compose the show's music and encode it as an MP3");
    compose->add_option("FILE", music, "the MP3 file to write")->required();
    compose->add_option("--stems", stems, "also write each voice as its own WAV file into DIR");

    int status = readOptions(app, argc, argv);
    if (status >= 0)
        return status;
    return pictures->parsed() ? forgePictures(showDir, sheet) : forgeMusic(music, stems);
}
