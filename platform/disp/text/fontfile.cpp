// Fonts beyond the installed ones: a font file added by path for this run, used by the
// family name it holds; whether a family asked for is there at all; the language text is in.
#include <fontconfig/fontconfig.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/disp/internal.h"

namespace {

// The longest language tag taken (BCP 47 allows 35 characters, with its extensions).
constexpr size_t dsp_langmax = 35;

// fontconfig's generic names: never installed as such, they stand for the system's choice.
bool dsp_genericfamily(std::string const& name) {
  for (char const* g : {"monospace", "mono", "sans-serif", "sans", "serif", "cursive", "fantasy",
                        "emoji", "math", "system-ui"})
    if (FcStrCmpIgnoreCase(reinterpret_cast<FcChar8 const*>(g),
                           reinterpret_cast<FcChar8 const*>(name.c_str())) == 0)
      return true;
  return false;
}

// Whether fontconfig has a face of that family, installed or loaded by disp_loadfont.
bool dsp_installedfamily(std::string const& name) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<FcChar8 const*>(name.c_str()));
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, pat, os);
  bool const found = set && set->nfont > 0;
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  return found;
}

// The family of the first face in a font file; "" when fontconfig reads no face from it.
std::string dsp_familyin(char const* path) {
  int count = 0;
  FcPattern* p = FcFreeTypeQuery(reinterpret_cast<FcChar8 const*>(path), 0, nullptr, &count);
  if (!p) return "";
  FcChar8* family = nullptr;
  std::string name;
  if (FcPatternGetString(p, FC_FAMILY, 0, &family) == FcResultMatch)
    name = reinterpret_cast<char const*>(family);
  FcPatternDestroy(p);
  return name;
}

// A tag of letters, digits, '-' and '_' ("zh-TW", "sr", "ja_JP"), as Pango takes them.
bool dsp_languagetag(std::string const& tag) {
  if (tag.size() > dsp_langmax) return false;
  for (char c : tag)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')) return false;
  return true;
}

}  // namespace

bool dsp_knownfamily(std::string const& name) {
  // The library's own default is documented to fall back to the monospace face.
  if (name.empty() || name == "Consolas" || dsp_genericfamily(name)) return true;
  return dsp_installedfamily(name);
}

// ---- Entries -------------------------------------------------------------------------

// The file is added to fontconfig's configuration, the one both the direct path and Pango
// read, for the rest of the run; the family it holds is used like any installed one.
qr_ms disp_loadfont(qe_s path) {
  dsp_extension ext;
  dsp_setup();
  static thread_local std::string family;
  family.clear();
  if (!path) {
    dsp_fail(dsp_earg, __func__, "the path is null");
    return "";
  }
  std::string const shown = dsp_quoted(path);
  if (FILE* f = std::fopen(path, "rb")) {
    std::fclose(f);
  } else {
    dsp_fail(dsp_efile, __func__, "cannot open %s: %s", shown.c_str(), std::strerror(errno));
    return "";
  }
  family = dsp_familyin(path);
  if (family.empty()) {
    dsp_fail(dsp_efile, __func__,
             "%s is not a font file (TrueType, OpenType or another kind "
             "FreeType reads)",
             shown.c_str());
    return "";
  }
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  if (!FcConfigAppFontAddFile(FcConfigGetCurrent(), reinterpret_cast<FcChar8 const*>(path))) {
    dsp_fail(dsp_enomem, __func__, "fontconfig could not add %s", shown.c_str());
    family.clear();
    return "";
  }
  dsp_fontschanged();
  return family.c_str();
}

// Null or "" takes the hint away.
qr_v disp_setfontlanguage(qe_s tag) {
  dsp_extension ext;
  dsp_setup();
  std::string want = tag ? std::string(tag, strnlen(tag, dsp_langmax + 1)) : "";
  if (!dsp_languagetag(want)) {
    dsp_fail(dsp_earg, __func__, "%s is not a language tag (such as \"zh-CN\" or \"sr\")",
             dsp_quoted(tag).c_str());
    return;
  }
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp_setlanguage(want);
}
