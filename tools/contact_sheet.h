#pragma once
// The contact sheet: one small frame every few seconds of the show, each
// labelled with its time and scene, in a grid on one picture.
#include <cstdint>
#include <string>
#include <vector>

// Thumbnails are the frame shrunk by this factor: 256 x 144 for the show.
const unsigned thumbnailShrink = 5;
const unsigned contactColumns = 6;

struct Thumbnail
{
    long frame = 0;
    double seconds = 0;
    int scene = 0;
    std::vector<std::uint8_t> pixels;  // RGBA, rows from the top
};

struct ContactSheet
{
    double everySeconds = 5.0;
    double fps = 60;
    unsigned thumbWidth = 0, thumbHeight = 0;
    std::vector<Thumbnail> thumbnails;
};

// The frame of the n-th thumbnail: the one shown at n * everySeconds.
long thumbnailFrame(const ContactSheet& sheet, long n);

// True when this frame is one of the sheet's thumbnails.
bool wantsThumbnail(const ContactSheet& sheet, long frame);

// Shrinks a frame (RGBA, rows from the top) into the next thumbnail.
void addThumbnail(ContactSheet& sheet, long frame, int scene, const std::uint8_t* pixels,
                  unsigned width, unsigned height);

// The label under a thumbnail: "1:05.0  scene 4" ("end" after the last scene).
std::string thumbnailLabel(const Thumbnail& thumbnail, int sceneCount);

// Lays the thumbnails out in a grid and saves it as a PNG at path; a
// failure names shownPath, the file the user asked for.
bool saveContactSheet(const ContactSheet& sheet, const std::string& path, const std::string& shownPath,
                      std::string& error);
