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

// What an image is, from its file name's extension and its bytes (the whole file or at least its
// first 4 KiB): an image only when its content is of that kind; PNG sizes from its header; an
// SVG is scalable; an XPM has no size here.
TImageFacts ImageFactsOf(const std::string& fileName, const std::string& bytes);
// Whether bytes are an image of the kind the extension (".png", ".svg", ".xpm") says.
bool IsImageContent(const std::string& extension, const std::string& bytes);
// "scalable/apps", "48x48/apps": the theme's folder for the image; empty when the theme has no
// folder for it (not square, or a size the theme does not list).
std::string ThemeSubfolder(const TImageFacts& facts);
// How good an icon the image makes: scalable first, then the larger square, then the rest.
int IconRank(const TImageFacts& facts);
// A name that is the application's alone in the theme: "quillmate-<id>-<stem>" with only
// letters, digits, '-', '_' and '.' from the stem.
std::string ThemeIconName(int appId, const std::string& stem);

} // namespace qm
