#include "cmarc/ArchiverOptions.h"

#include "cmarc/ArchiveCommon.h"

namespace qm {

TArchiverOptions::TArchiverOptions() {
    for (std::int8_t* sw :
         {&a,  &c,   &e,   &f,   &h,   &i,   &l,   &m,   &n,   &o,   &p,   &r,   &s,
          &t,  &u,   &x,   &y,   &z,   &jc,  &jd,  &je,  &jf,  &jh,  &ji,  &jm,  &jn,
          &jp, &jr,  &jsb, &jsc, &jsd, &jse, &jsf, &jsl, &jso, &jss, &jst, &jsv, &jsz,
          &jw, &jyc, &jyd, &jyk, &jyn, &jyo, &ga,  &gd,  &ge,  &gf,  &gj,  &gm,  &gn,
          &go, &gp,  &gs,  &gu,  &gw,  &gya, &gyc, &gyo, &gyq, &gys, &gyx})
        *sw = -1;
    for (std::string* text : {&w, &jo, &job, &jz, &gr, &gyd, &gye, &gyt, &gyw})
        *text = NotGivenText();
    PackFilter = pfComponent;
    ResFileUsage = {ruOnPack, ruOnUnpack, ruOnRemoveItem};
    IncludeExtraStreams = true;
    StreamSeparator = ";#";
}

TArchiverOptions ArcMainOptions() {
    TArchiverOptions o;
    o.a = 1;
    o.c = 1;
    o.f = 1;
    o.i = 0;
    o.l = 0;
    o.m = 1;
    o.n = 1;
    o.o = 2;
    o.p = 0;
    o.r = 1;
    o.s = 1;
    o.t = 0;
    o.u = 0;
    o.x = 1;
    o.y = 1;
    o.z = 0;
    o.jc = 0;
    o.jd = 0;
    o.jf = 0;
    o.ji = 0;
    o.jm = 2;
    o.jn = 0;
    o.jsb = 0;
    o.jsc = 0;
    o.jsd = 0;
    o.jse = 1;
    o.jsf = 1;
    o.jsl = 0;
    o.jso = 0;
    o.jss = 0;
    o.jst = 1;
    o.jsv = 0;
    o.jsz = 1;
    o.jyc = 1;
    o.jyd = 1;
    o.jyk = 0;
    o.jyn = 1;
    o.jyo = 1;
    o.ga = 1;
    o.gd = 0;
    o.ge = 0;
    o.gm = 1;
    o.gya = 0;
    o.gyc = 0;
    o.ResFileUsage = {ruOnPack, ruOnUnpack, ruOnRemoveItem};
    o.StreamSeparator = ";#";
    return o;
}

} // namespace qm
