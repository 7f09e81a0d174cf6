// BMP files. LoadBMP196/197 read them: the file is untrusted, so it is read whole into one
// bounded buffer and every header field is checked against the bytes actually read before
// it is used; one with an alpha channel gives a bitmap with alpha. SaveBMP198 writes plain
// 24-bit files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/disp/internal.h"

namespace {

// Files above this size are refused unread: 64 M pixels at 32 bits.
constexpr uint64_t dsp_maxbmpfile = uint64_t(256) << 20;
constexpr int64_t dsp_maxside = 16384;
// LoadBMP failures reported on stderr; later ones only return null.
constexpr unsigned dsp_maxreports = 10;

enum : uint32_t { dsp_bi_rgb = 0, dsp_bi_bitfields = 3, dsp_bi_alphabitfields = 6 };

// The file's bytes; every read goes through has() first.
struct dsp_bytes {
  std::vector<uint8_t> b;
  bool has(uint64_t off, uint64_t len) const { return off <= b.size() && len <= b.size() - off; }
  uint32_t u16(uint64_t off) const { return uint32_t(b[off]) | uint32_t(b[off + 1]) << 8; }
  uint32_t u32(uint64_t off) const { return u16(off) | u16(off + 2) << 16; }
};

}  // namespace

char const* dsp_readfile(char const* path, std::vector<uint8_t>& bytes) {
  // Without O_NONBLOCK, opening a FIFO would wait for a writer; it is refused below anyway.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return strerror(errno);
  struct stat st;
  char const* why = nullptr;
  if (fstat(fd, &st) != 0)
    why = strerror(errno);
  else if (!S_ISREG(st.st_mode))
    why = "not a regular file";
  else if (uint64_t(st.st_size) > dsp_maxbmpfile)
    why = "larger than 256 MiB";
  if (!why) {
    try {
      bytes.resize(size_t(st.st_size));
    } catch (std::bad_alloc const&) {
      why = "out of memory";
    }
  }
  // A file that shrank meanwhile gives what it still has; one that grew, its first bytes.
  size_t got = 0;
  while (!why && got < bytes.size()) {
    ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) why = strerror(errno);
    if (n <= 0) break;
    got += size_t(n);
  }
  bytes.resize(got);
  close(fd);
  return why;
}

void dsp_loadfailed(char const* who, char const* entry, char const* path, char const* why) {
  std::string text = std::string(entry) + ": cannot load " + dsp_quoted(path) + ": " + why;
  dsp_seterror(std::strcmp(why, "out of memory") == 0 ? dsp_enomem : dsp_efile, text.c_str());
  // The line says what the error text says, so a failure reads the same wherever it is seen.
  (void)who;
  if (dsp.pictures.loadfailures++ < dsp_maxreports)
    dsp_warn("%s%s", text.c_str(),
             dsp.pictures.loadfailures == dsp_maxreports ? " (further failures not reported)" : "");
}

namespace {

// A colour channel given by a bit mask: where it sits and how wide it is.
struct dsp_channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 0;  // the largest value, 0 for an empty mask
  bool set(uint32_t m) {
    mask = m;
    if (!m) return true;
    shift = std::countr_zero(m);
    uint32_t v = m >> shift;
    if ((v & (v + 1)) != 0) return false;  // not one run of bits
    max = v;
    return true;
  }
  // The value scaled to 0..255, rounded.
  uint32_t of(uint32_t px) const {
    return max ? uint32_t((uint64_t((px & mask) >> shift) * 510 + max) / (2 * max)) : 0;
  }
};

// What the headers say, checked.
struct dsp_bmpinfo {
  int64_t w = 0, h = 0;
  bool topdown = false;
  uint32_t bpp = 0, compression = dsp_bi_rgb;
  uint64_t offset = 0;  // of the pixel data
  dsp_channel ch[4];    // red, green, blue and alpha (empty mask: none) for 16 and 32 bits
  bool alpha = false;   // the pixels' alpha is used: the bitmap gets an alpha channel
  uint32_t palette[256] = {};
};

// Where the parts of a BMP file lie, beyond what dsp_bmpinfo keeps for decoding.
struct dsp_bmplayout {
  uint32_t hsize = 0;   // bytes of the info header
  uint32_t used = 0;    // palette entries stated (0: as many as the depth allows)
  uint64_t entry = 4;   // bytes per palette entry
  uint64_t tables = 0;  // where masks or palette start
};

// The file and info headers: size, planes, depth.
char const* dsp_bmpheader(dsp_bytes const& f, dsp_bmpinfo& info, dsp_bmplayout& at) {
  if (!f.has(0, 18)) return "too short for a BMP header";
  if (f.b[0] != 'B' || f.b[1] != 'M') return "not a BMP file (no \"BM\" at the start)";
  info.offset = f.u32(10);
  at.hsize = f.u32(14);
  uint32_t const hsize = at.hsize;
  uint32_t planes;
  if (hsize == 12) {  // the old OS/2 header: 16-bit sizes, 3-byte palette entries
    if (!f.has(14, 12)) return "header cut short";
    info.w = f.u16(18);
    info.h = f.u16(20);
    planes = f.u16(22);
    info.bpp = f.u16(24);
    at.entry = 3;
  } else if (hsize == 40 || hsize == 52 || hsize == 56 || hsize == 108 || hsize == 124) {
    if (!f.has(14, hsize)) return "header cut short";
    info.w = int32_t(f.u32(18));
    info.h = int32_t(f.u32(22));
    planes = f.u16(26);
    info.bpp = f.u16(28);
    info.compression = f.u32(30);
    at.used = f.u32(46);
    at.entry = 4;
  } else {
    return "unknown header size";
  }
  if (planes != 1) return "plane count is not 1";
  if (info.h < 0) {
    info.topdown = true;
    info.h = -info.h;  // 64-bit: INT32_MIN negates safely
  }
  if (info.w < 1 || info.h < 1) return "width or height is zero or negative";
  if (info.w > dsp_maxside || info.h > dsp_maxside) return "larger than 16384 pixels a side";
  uint32_t const bpp = info.bpp;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    return "unsupported bits per pixel";
  at.tables = 14 + uint64_t(hsize);
  return nullptr;
}

// The colour channels of 16- and 32-bit pixels: the file's bit masks or the defaults.
char const* dsp_bmpmasks(dsp_bytes const& f, dsp_bmpinfo& info, dsp_bmplayout& at) {
  uint32_t const bpp = info.bpp;
  bool const fields =
      info.compression == dsp_bi_bitfields || info.compression == dsp_bi_alphabitfields;
  if (info.compression != dsp_bi_rgb && !fields)
    return "compressed BMP (RLE, JPEG or PNG) not supported";
  if (fields && bpp != 16 && bpp != 32) return "bit fields at a depth other than 16 or 32";
  if (fields) {
    // The masks follow a 40-byte header; longer headers hold them inside.
    uint64_t const from = 54;
    if (at.hsize == 40) at.tables += info.compression == dsp_bi_alphabitfields ? 16 : 12;
    if (!f.has(from, 12)) return "bit masks cut short";
    uint32_t const r = f.u32(from), g = f.u32(from + 4), b = f.u32(from + 8);
    // An alpha mask follows the three in the longer headers and with ALPHABITFIELDS.
    bool const hasa = at.hsize >= 56 || info.compression == dsp_bi_alphabitfields;
    if (hasa && !f.has(from + 12, 4)) return "bit masks cut short";
    uint32_t const a = hasa ? f.u32(from + 12) : 0;
    if ((r & g) || (r & b) || (g & b) || ((r | g | b) & a)) return "bit masks overlap";
    if (bpp == 16 && ((r | g | b | a) >> 16)) return "bit masks wider than 16 bits";
    if (!info.ch[0].set(r) || !info.ch[1].set(g) || !info.ch[2].set(b) || !info.ch[3].set(a))
      return "bit mask is not one run of bits";
    info.alpha = a != 0;
  } else if (bpp == 16) {
    info.ch[0].set(0x7C00);
    info.ch[1].set(0x03E0);
    info.ch[2].set(0x001F);
  } else if (bpp == 32) {
    info.ch[0].set(0xFF0000);
    info.ch[1].set(0x00FF00);
    info.ch[2].set(0x0000FF);
  }
  return nullptr;
}

// The palette of 1- to 8-bit pixels, between the headers and the pixel data.
char const* dsp_bmppalette(dsp_bytes const& f, dsp_bmpinfo& info, dsp_bmplayout const& at) {
  uint64_t const most = uint64_t(1) << info.bpp;
  if (at.used > most) return "palette larger than the bit depth allows";
  uint64_t const room = (info.offset - at.tables) / at.entry;
  // An unstated count means a full palette, or as much of it as the file has room for.
  uint64_t const n = at.used ? at.used : std::min(most, room);
  if (n > room) return "palette runs into the pixel data";
  if (!f.has(at.tables, n * at.entry)) return "palette cut short";
  for (uint64_t i = 0; i < n; ++i) {
    uint64_t const p = at.tables + i * at.entry;
    info.palette[i] = uint32_t(f.b[p + 2]) << 16 | uint32_t(f.b[p + 1]) << 8 | f.b[p];
  }
  return nullptr;
}

char const* dsp_parsebmp(dsp_bytes const& f, dsp_bmpinfo& info) {
  dsp_bmplayout at;
  if (char const* why = dsp_bmpheader(f, info, at)) return why;
  if (char const* why = dsp_bmpmasks(f, info, at)) return why;
  if (info.offset < at.tables) return "pixel data overlaps the headers";
  if (info.bpp <= 8)
    if (char const* why = dsp_bmppalette(f, info, at)) return why;
  // Every row padded to 4 bytes; only the last one may lack its padding.
  uint64_t const bits = uint64_t(info.w) * info.bpp;
  uint64_t const row = (bits + 31) / 32 * 4;
  if (!f.has(info.offset, row * uint64_t(info.h - 1) + (bits + 7) / 8))
    return "pixel data cut short";
  return nullptr;
}

// c * a / 255, rounded.
uint32_t dsp_mul255(uint32_t c, uint32_t a) {
  uint32_t const t = c * a + 128;
  return (t + (t >> 8)) >> 8;
}

// Row y of the file (counted as stored) into pixels.
void dsp_decoderow(dsp_bmpinfo const& info, uint8_t const* s, uint32_t* d) {
  int const w = int(info.w);
  switch (info.bpp) {
    case 1:
    case 4:
    case 8: {
      int const bpp = int(info.bpp), perbyte = 8 / bpp;
      uint32_t const mask = (1u << bpp) - 1;
      for (int x = 0; x < w; ++x) {
        int const shift = 8 - bpp * (x % perbyte + 1);  // leftmost pixel in the high bits
        d[x] = info.palette[(s[x / perbyte] >> shift) & mask];
      }
      break;
    }
    case 16:
    case 32: {
      int const n = int(info.bpp / 8);
      for (int x = 0; x < w; ++x) {
        uint8_t const* p = s + x * n;
        uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
        if (n == 4) v |= uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        uint32_t const r = info.ch[0].of(v), g = info.ch[1].of(v), b = info.ch[2].of(v);
        if (!info.alpha) {
          d[x] = r << 16 | g << 8 | b;
          continue;
        }
        uint32_t const a = info.ch[3].of(v);  // premultiplied, as cairo keeps it
        d[x] = a << 24 | dsp_mul255(r, a) << 16 | dsp_mul255(g, a) << 8 | dsp_mul255(b, a);
      }
      break;
    }
    default:  // 24
      for (int x = 0; x < w; ++x)
        d[x] = uint32_t(s[3 * x + 2]) << 16 | uint32_t(s[3 * x + 1]) << 8 | s[3 * x];
  }
}

dsp_picture* dsp_loadbmp(char const* path, unsigned long key) {
  dsp_setup();
  if (!path) {
    dsp_seterror(dsp_earg, "loadbmp: the path is null");
    return nullptr;
  }
  dsp_bytes f;
  dsp_bmpinfo info;
  char const* why = dsp_readfile(path, f.b);
  if (!why) why = dsp_parsebmp(f, info);
  dsp_picture* p = nullptr;
  if (!why && !(p = dsp_newpicture(qe_u(info.w), qe_u(info.h), info.alpha))) why = "out of memory";
  if (why) {
    dsp_loadfailed("LoadBMP", "loadbmp", path, why);
    return nullptr;
  }
  dsp_pixels const px = dsp_pixelsof(*p);
  uint64_t const row = (uint64_t(info.w) * info.bpp + 31) / 32 * 4;
  for (int64_t y = 0; y < info.h; ++y) {
    int64_t const to = info.topdown ? y : info.h - 1 - y;
    dsp_decoderow(info, f.b.data() + info.offset + uint64_t(y) * row, px.row(int(to)));
  }
  dsp_changed(*p);
  p->key = key;
  dsp.pictures.last = p;
  return p;
}

// The 54 bytes before the pixels of a 24-bit bottom-up BMP of w x h, rows of `row` bytes.
std::vector<uint8_t> dsp_bmphead(uint32_t w, uint32_t h, uint32_t row) {
  uint32_t const data = row * h;
  std::vector<uint8_t> head(54, 0);
  head[0] = 'B', head[1] = 'M';
  auto put = [&](int at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) head[size_t(at + i)] = uint8_t(v >> (8 * i));
  };
  put(2, 54 + data, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, w, 4);
  put(22, h, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, data, 4);
  put(38, 2835, 4);  // 72 dots per inch
  put(42, 2835, 4);
  return head;
}

// Rows are gathered into writes of about this many bytes.
constexpr size_t dsp_bmpchunk = 1 << 16;

}  // namespace

// key: the colour that DrawBMP leaves out of this bitmap when the call names none (1: none).
qr_b LoadBMP196(qe_s path, qe_u key) { return dsp_loadbmp(path, key); }

qr_b LoadBMP197(qe_s path) { return dsp_loadbmp(path, 1); }

// 24 bits a pixel, bottom-up, no palette: what every reader takes. A write that fails
// leaves no half-written file behind.
qr_bool SaveBMP198(qe_b b, qe_s path) {
  dsp_setup();
  if (!dsp_isbitmap(b) || !path) {
    dsp_seterror(dsp_earg, path ? "savebmp: not a live bitmap" : "savebmp: the path is null");
    return false;
  }
  dsp_out out;
  if (!dsp_openout(out, path, false)) return dsp_outfail(out, "SaveBMP", "savebmp", false);
  uint32_t const row = (uint32_t(b->w) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> buf = dsp_bmphead(uint32_t(b->w), uint32_t(b->h), row);
  dsp_pixels const px = dsp_pixelsof(*b);
  for (int y = b->h - 1; y >= 0; --y) {
    size_t const at = buf.size();
    buf.resize(at + row, 0);
    uint32_t const* s = px.row(y);
    for (int x = 0; x < b->w; ++x) {
      buf[at + 3 * size_t(x)] = uint8_t(s[x]);
      buf[at + 3 * size_t(x) + 1] = uint8_t(s[x] >> 8);
      buf[at + 3 * size_t(x) + 2] = uint8_t(s[x] >> 16);
    }
    if (buf.size() >= dsp_bmpchunk || y == 0) {
      if (!dsp_writeout(out, buf.data(), buf.size())) break;
      buf.clear();
    }
  }
  if (!dsp_closeout(out)) return dsp_outfail(out, "SaveBMP", "savebmp", true);
  return true;
}
