// Feeds arbitrary bytes to libdisp's BMP loader as a file. Whatever loads is drawn onto the
// headless window in several ways, blurred, saved and loaded again (which must give back
// exactly the same pixels), then released, so nothing piles up across runs.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/disp/disp.h"

namespace {

std::string in, out;  // scratch files of this fuzzing process, rewritten for every input

bool put(uint8_t const* data, size_t size) {
  int fd = open(in.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write(fd, data, size) == ssize_t(size);
  close(fd);
  return ok;
}

// The size written in a saved file's header.
bool savedsize(unsigned long& w, unsigned long& h) {
  uint8_t head[26];
  FILE* f = fopen(out.c_str(), "rb");
  if (!f) return false;
  bool ok = fread(head, 1, sizeof head, f) == sizeof head;
  fclose(f);
  auto u32 = [&](int at) {
    return qe_u(head[at]) | qe_u(head[at + 1]) << 8 | qe_u(head[at + 2]) << 16 |
           qe_u(head[at + 3]) << 24;
  };
  w = u32(18);
  h = u32(22);
  return ok;
}

// Saving and loading again gives the same picture, pixel for pixel.
void roundtrip(bitmap* b) {
  unsigned long w, h;
  if (!SaveBMP198(b, out.c_str()) || !savedsize(w, h)) abort();
  bitmap* back = LoadBMP197(out.c_str());
  bitbuf *x = CreateBB233(b), *y = CreateBB233(back);
  if (!back || !x || !y) abort();
  for (unsigned long py = 0; py < h; ++py)
    for (unsigned long px = 0; px < w; ++px)
      if (GetBBPixel152(x, px, py) != GetBBPixel152(y, px, py)) abort();
  ReleaseBB234(x);
  ReleaseBB234(y);
  ReleaseBMP194(back);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("DISP_HEADLESS", "1", 1);
  char const* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
  std::string base = std::string(dir ? dir : "/tmp") + "/bmpfuzz." + std::to_string(getpid());
  in = base + ".in.bmp";
  out = base + ".out.bmp";
  atexit([] {
    unlink(in.c_str());
    unlink(out.c_str());
  });
  if (!CreateWin42(64, 48)) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (!put(data, size)) return 0;
  // The last byte, when there is one, doubles as a colour key and a drawing position.
  unsigned long const k = size ? data[size - 1] : 0;
  bitmap* b = LoadBMP196(in.c_str(), k * 0x010101);
  if (!b) return 0;
  DrawBMP218(b);
  DrawBMP216(b, k % 70, qe_u(-long(k % 9)));
  DrawBMP214(b, 3, 3, 1 + k, 5);
  DrawBMP209(b, 1, 2, 7, 3, k % 5, k % 3, 2, 0, 0);
  DrawBMP228();
  bitmap* copy = CreateBMP190(b);
  DrawBMP206(copy, b, 1, 1);
  BlurBMPBox230(copy, k % 4, 1);
  BlurBMPGau232(copy, double(k % 12) + 0.5);
  MixBMP229(copy, copy, b);
  roundtrip(copy);
  ReleaseBMP194(copy);
  ReleaseBMP194(b);
  return 0;
}
