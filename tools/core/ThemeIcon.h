#pragma once
// Images as icons of the freedesktop icon theme: what size an image is, and where in the hicolor
// theme it belongs.
#include <string>

namespace qm {

struct TImageFacts {
    bool Image = false;    // a PNG, SVG or XPM the theme can use
    bool Scalable = false; // SVG
    int Width = 0, Height = 0;
};

// PNG sizes are read from the file's header; an SVG is scalable; an XPM has no size here.
TImageFacts ImageFactsOf(const std::string& path);
// "scalable/apps", "48x48/apps": the theme's folder for the image; empty when the theme has no
// folder for it (not square, or a size the theme does not list).
std::string ThemeSubfolder(const TImageFacts& facts);
// How good an icon the image makes: scalable first, then the larger square, then the rest.
int IconRank(const TImageFacts& facts);
// A name that is the application's alone in the theme: "quillmate-<id>-<stem>" with only
// letters, digits, '-', '_' and '.' from the stem.
std::string ThemeIconName(int appId, const std::string& stem);

} // namespace qm
