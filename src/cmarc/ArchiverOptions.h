#pragma once
// The command-line switches of the archiver libraries as settings. A switch is a signed 8-bit
// value, -1 when not given; a text switch holds NotGivenText() when not given. What each switch
// means to which library is decided by the format drivers, which only spell them.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace qm {

enum TPackFilter { pfArchiver, pfComponent };
enum TResFileUse { ruOnPack, ruOnUnpack, ruOnRemoveItem, ruOnUpdate };
using TResFileUsage = std::set<TResFileUse>;

class TArchiverOptions {
public:
    TArchiverOptions();
    // Copies every property; copying is also what the copy constructor and assignment do.
    void Assign(const TArchiverOptions& source) { *this = source; }

    std::int8_t a, c, e, f, h, i, l, m, n, o, p, r, s, t, u;
    std::string w;
    std::int8_t x, y, z, jc, jd, je, jf, jh, ji, jm, jn;
    std::string jo, job;
    std::int8_t jp, jr, jsb, jsc, jsd, jse, jsf, jsl, jso, jss, jst, jsv, jsz, jw;
    std::vector<std::string> jx;
    std::int8_t jyc, jyd, jyk, jyn, jyo;
    std::string jz;
    std::int8_t ga, gd, ge, gf, gj, gm, gn, go, gp;
    std::string gr;
    std::int8_t gs, gu, gw, gya, gyc;
    std::string gyd, gye;
    std::int8_t gyo, gyq, gys;
    std::string gyt, gyw;
    std::int8_t gyx;

    std::string UserOptions;  // appended unchanged to every command line
    std::string UserFileList; // appended after the file arguments
    TPackFilter PackFilter;   // carried along; no operation reads it
    std::string ResFileName;  // response file; empty for none
    TResFileUsage ResFileUsage;
    bool IncludeExtraStreams;
    std::string StreamSeparator;
};

// The values the main window's archive component `arcMain` is configured with: every member is
// extracted with its stored folders, overwriting, without the libraries' own dialogs.
TArchiverOptions ArcMainOptions();

} // namespace qm
