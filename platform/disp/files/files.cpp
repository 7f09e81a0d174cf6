// Files: the plain operations (exists, create, copy, move, delete) and the one simple reader
// that takes bytes, little-endian numbers and text from a file. Files are untrusted: every
// read is bounded by the length seen at open, and bytes that are not there read as zero.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/disp/internal.h"

// None of these entries needs the environment switches, so none calls dsp_setup().

namespace {

// ---- Types ---------------------------------------------------------------------------

// The reader's open file and a window of it in memory, so that byte-sized reads cost no
// system call each. Invariants: pos <= len; buf holds the bytes [bufat, bufat + bufn) of the
// file, and bufat + bufn <= len.
struct dsp_reader {
  int fd = -1;       // -1: no file open
  uint64_t len = 0;  // the file's length when it was opened
  uint64_t pos = 0;  // where the next read starts
  uint64_t bufat = 0;
  size_t bufn = 0;
  unsigned char buf[65536];
};

// Longest text that GetPchar323 and GetString324 hand out, terminator not counted.
constexpr size_t dsp_textmax = 65535;

// Longest wide path, in 16-bit units, that OpenFileW314 looks at: Linux takes no longer
// path, and the bound keeps an unterminated argument from being read without end.
constexpr size_t dsp_widepathmax = 4096;

// ---- State ---------------------------------------------------------------------------

// One reader for the whole program. The lock makes calls from several threads safe; the
// texts are handed out in per-thread buffers, so one thread never overwrites another's.
std::mutex dsp_readerlock;
dsp_reader dsp_rd;

// errno of the last file entry that failed (0: none yet), the detail behind GetError38's
// file error.
std::atomic<int> dsp_fileerror{0};

// ---- Internals -----------------------------------------------------------------------

// The file entry running on this thread, for the text of its failure: what it was doing
// and with which paths. Set for the span of the entry.
struct dsp_fileop {
  char const* what;  // "openfile: cannot open"
  char const* path;
  char const* to;  // the second path of copyfile and movefile, or null
};
thread_local dsp_fileop const* dsp_curop = nullptr;

struct dsp_fileopscope {
  dsp_fileop op;
  dsp_fileopscope(char const* what, char const* path, char const* to = nullptr)
      : op{what, path, to} {
    dsp_curop = &op;
  }
  ~dsp_fileopscope() { dsp_curop = nullptr; }
};

bool dsp_filefail(int err) {
  dsp_fileerror = err;
  unsigned code = err == ENOMEM ? dsp_enomem : err == EINVAL ? dsp_earg : dsp_efile;
  if (!dsp_curop) {
    dsp_seterror(code);
    return false;
  }
  // openfile: cannot open "x.txt": No such file or directory
  char why[128];
  std::string text = std::string(dsp_curop->what) + " " + dsp_quoted(dsp_curop->path);
  if (dsp_curop->to) text += " to " + dsp_quoted(dsp_curop->to);
  text += std::string(": ") + strerror_r(err, why, sizeof why);
  dsp_seterror(code, text.c_str());
  return false;
}

bool dsp_badpath(char const* path) { return !path || !*path; }

// Closes the file descriptor, retrying nothing: on Linux it is released even when close
// reports an error.
void dsp_closefd(int fd) {
  if (fd >= 0) close(fd);
}

// Writes all of n bytes; false on an error (disk full, ...).
bool dsp_writeall(int fd, unsigned char const* p, size_t n) {
  while (n > 0) {
    ssize_t w = write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= size_t(w);
  }
  return true;
}

// Copies everything of `in` from its start to `out`, up to the end of `in` as it is while
// copying. copy_file_range lets the file system share or copy blocks without our buffer;
// where it cannot (other file systems, kernels, or files such as those of /proc that claim
// a length of 0) the plain loop does the work.
bool dsp_copydata(int in, int out) {
  uint64_t done = 0;
  for (;;) {
    ssize_t r = copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r > 0) {
      done += uint64_t(r);
      continue;
    }
    if (r == 0 && done > 0) return true;
    if (r < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
      return false;
    break;  // the offsets moved with what the kernel copied: go on by hand from there
  }
  std::vector<unsigned char> buf(65536);
  for (;;) {
    ssize_t r = read(in, buf.data(), buf.size());
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (r == 0) return true;
    if (!dsp_writeall(out, buf.data(), size_t(r))) return false;
  }
}

// Copies the regular file `from` to the new file `to`, which must not exist yet. The copy
// gets the permission bits of `from`. On any failure the partial copy is removed, so `to`
// is either complete or absent.
bool dsp_copy(char const* from, char const* to) {
  int in = open(from, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (in < 0) return dsp_filefail(errno);
  struct stat st;
  int err = fstat(in, &st) != 0    ? errno
            : S_ISDIR(st.st_mode)  ? EISDIR
            : !S_ISREG(st.st_mode) ? EINVAL
                                   : 0;
  if (err != 0) {
    dsp_closefd(in);
    return dsp_filefail(err);
  }
  fcntl(in, F_SETFL, 0);  // blocking reads, as for any regular file
  int out = open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, st.st_mode & 0777);
  if (out < 0) {
    int const openerr = errno;
    dsp_closefd(in);
    return dsp_filefail(openerr);
  }
  bool ok = dsp_copydata(in, out);
  err = errno;
  dsp_closefd(in);
  if (close(out) != 0 && ok) {  // a delayed write error (NFS, quota) shows only here
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(to);
    return dsp_filefail(err);
  }
  return true;
}

// The caller holds the lock.
void dsp_closereader() {
  dsp_closefd(dsp_rd.fd);
  dsp_rd.fd = -1;
  dsp_rd.len = dsp_rd.pos = dsp_rd.bufat = 0;
  dsp_rd.bufn = 0;
}

// Regular files only: anything else would have the reader read a directory, block on a
// pipe, or read a device without end.
bool dsp_openreader(char const* path) {
  dsp_holdtell tell;  // the watcher is told after the lock is let go
  std::lock_guard lock(dsp_readerlock);
  dsp_closereader();
  if (dsp_badpath(path)) return dsp_filefail(ENOENT);
  // A look before opening spares devices the side effects of an open; the check after it
  // is the one that counts, since the path may change in between.
  struct stat st;
  if (stat(path, &st) != 0) return dsp_filefail(errno);
  if (!S_ISREG(st.st_mode)) return dsp_filefail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return dsp_filefail(errno);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    dsp_closefd(fd);
    return dsp_filefail(EINVAL);
  }
  fcntl(fd, F_SETFL, 0);
  dsp_rd.fd = fd;
  dsp_rd.len = uint64_t(st.st_size);
  return true;
}

// Makes the byte at pos (pos < len) available in the buffer. False if the file no longer
// has it: it was shortened after it was opened, or cannot be read any more.
bool dsp_fill() {
  dsp_reader& r = dsp_rd;
  if (r.pos >= r.bufat && r.pos < r.bufat + r.bufn) return true;
  size_t want = size_t(std::min<uint64_t>(sizeof r.buf, r.len - r.pos));
  r.bufat = r.pos;
  r.bufn = 0;
  while (r.bufn < want) {
    ssize_t got = pread(r.fd, r.buf + r.bufn, want - r.bufn, off_t(r.bufat + r.bufn));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    r.bufn += size_t(got);
  }
  return r.bufn > 0;
}

// Copies the next n bytes to out, fewer where the file ends first, and moves past them.
// Bytes that vanished since the file was opened read as zero. Returns how many were taken.
// The caller holds the lock.
size_t dsp_take(unsigned char* out, size_t n) {
  dsp_reader& r = dsp_rd;
  if (r.fd < 0) return 0;
  size_t k = size_t(std::min<uint64_t>(n, r.len - r.pos));
  for (size_t i = 0; i < k;) {
    if (!dsp_fill()) {
      std::memset(out + i, 0, k - i);
      r.pos += k - i;
      break;
    }
    size_t off = size_t(r.pos - r.bufat);
    size_t m = std::min(k - i, r.bufn - off);
    std::memcpy(out + i, r.buf + off, m);
    i += m;
    r.pos += m;
  }
  return k;
}

// The next n (1..4) bytes as a little-endian number; missing bytes at the end count as zero.
uint32_t dsp_le(size_t n) {
  unsigned char b[4] = {0, 0, 0, 0};
  {
    std::lock_guard lock(dsp_readerlock);
    dsp_take(b, n);
  }
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// UTF-16 to UTF-8. False for an unpaired surrogate, which names no character and so no
// file, or for a text without a terminator within dsp_widepathmax units.
bool dsp_utf16to8(short const* ws, std::string& out) {
  for (size_t i = 0; i < dsp_widepathmax; ++i) {
    uint32_t c = uint16_t(ws[i]);
    if (c == 0) return true;
    if (c >= 0xD800 && c < 0xDC00) {
      uint32_t d = uint16_t(ws[i + 1]);  // ws[i] is no terminator, so ws[i + 1] exists
      if (d < 0xDC00 || d > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
      ++i;
    } else if (c >= 0xDC00 && c < 0xE000) {
      return false;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | c >> 12);
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | c >> 18);
      out += char(0x80 | (c >> 12 & 0x3F));
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return false;
}

}  // namespace

// ---- Entries: file operations --------------------------------------------------------

// Follows symbolic links: a link to a regular file counts as a file.
qr_bool IsFile307(qe_s path) {
  struct stat st;
  return !dsp_badpath(path) && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// Never truncates: an existing file (or anything else of that name) makes it fail, so data
// is never lost by accident.
qr_bool NewFile308(qe_s path) {
  dsp_fileopscope scope("newfile: cannot create", path);
  if (dsp_badpath(path)) return dsp_filefail(ENOENT);
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return dsp_filefail(errno);
  dsp_closefd(fd);
  return true;
}

// Like `mkdir -p`: missing parents are made too, and a directory that is already there is
// success. Parents made before a later step fails stay.
qr_bool NewDir309(qe_s path) {
  dsp_fileopscope scope("newdir: cannot make", path);
  if (dsp_badpath(path)) return dsp_filefail(ENOENT);
  std::string p(path);
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i < p.size() && p[i] != '/') continue;
    if (p[i - 1] == '/') continue;  // a run of slashes
    std::string part = p.substr(0, i);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return dsp_filefail(errno);
  }
  struct stat st;
  if (stat(path, &st) != 0) return dsp_filefail(errno);
  return S_ISDIR(st.st_mode) || dsp_filefail(EEXIST);
}

qr_bool CopyFile310(qe_s from, qe_s to) {
  dsp_fileopscope scope("copyfile: cannot copy", from, to);
  if (dsp_badpath(from) || dsp_badpath(to)) return dsp_filefail(ENOENT);
  return dsp_copy(from, to);
}

// A rename that never replaces `to`. Across file systems a regular file is copied and the
// original deleted; should the delete fail, the copy is removed again, so the file is in
// exactly one place whatever happens.
qr_bool MoveFile311(qe_s from, qe_s to) {
  dsp_fileopscope scope("movefile: cannot move", from, to);
  if (dsp_badpath(from) || dsp_badpath(to)) return dsp_filefail(ENOENT);
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
  int err = errno;
  if (err == EINVAL || err == ENOSYS) {
    // The file system cannot rename without replacing; look first. The gap between look
    // and rename is the price of such file systems.
    struct stat st;
    if (lstat(to, &st) == 0) return dsp_filefail(EEXIST);
    if (rename(from, to) == 0) return true;
    err = errno;
  }
  if (err != EXDEV) return dsp_filefail(err);
  struct stat st;
  if (lstat(from, &st) != 0) return dsp_filefail(errno);
  if (!S_ISREG(st.st_mode)) return dsp_filefail(EXDEV);
  if (!dsp_copy(from, to)) return false;
  if (unlink(from) != 0) {
    err = errno;
    unlink(to);
    return dsp_filefail(err);
  }
  return true;
}

// Files, symbolic links (the link, never what it points to) and empty directories; a
// directory with anything in it is refused, never emptied.
qr_bool DeleteFile312(qe_s path) {
  dsp_fileopscope scope("deletefile: cannot delete", path);
  if (dsp_badpath(path)) return dsp_filefail(ENOENT);
  if (unlink(path) == 0) return true;
  int err = errno;
  if (err != EISDIR && err != EPERM) return dsp_filefail(err);
  if (rmdir(path) == 0) return true;
  return dsp_filefail(errno == ENOTDIR ? err : errno);  // ENOTDIR: it was a file after all
}

// ---- Entries: the reader -------------------------------------------------------------

// Any open file is closed first, so after a failure no file is open.
qr_bool OpenFile313(qe_s path) {
  dsp_fileopscope scope("openfile: cannot open", path);
  return dsp_openreader(path);
}

qr_bool OpenFileW314(qe_ws path) {
  std::string narrow;
  bool ok = !path || dsp_utf16to8(path, narrow);
  dsp_fileopscope scope("openfilew: cannot open", path ? narrow.c_str() : nullptr);
  if (!ok) {
    dsp_holdtell tell;
    std::lock_guard lock(dsp_readerlock);
    dsp_closereader();  // as any failed open does
    return dsp_filefail(EILSEQ);
  }
  return dsp_openreader(path ? narrow.c_str() : nullptr);
}

qr_v CloseFile315() {
  std::lock_guard lock(dsp_readerlock);
  dsp_closereader();
}

qr_u GetFileLen316() {
  std::lock_guard lock(dsp_readerlock);
  return dsp_rd.len;
}

qr_u GetFilePos317() {
  std::lock_guard lock(dsp_readerlock);
  return dsp_rd.pos;
}

// A position past the end lands on the end.
qr_v SetFilePos318(qe_u pos) {
  std::lock_guard lock(dsp_readerlock);
  dsp_rd.pos = std::min<uint64_t>(pos, dsp_rd.len);
}

qr_u GetByte319() { return dsp_le(1); }
qr_u GetWord320() { return dsp_le(2); }
qr_u GetLongword321() { return dsp_le(4); }
qr_l GetInteger322() { return int32_t(dsp_le(4)); }

// Text up to a zero byte, which is consumed with it. At most dsp_textmax bytes: a longer
// text comes in pieces, the position stopping after each. The end of the file ends the text
// too.
qr_s GetPchar323() {
  static thread_local std::string text;
  text.clear();
  std::lock_guard lock(dsp_readerlock);
  dsp_reader& r = dsp_rd;
  while (r.fd >= 0 && r.pos < r.len) {
    if (!dsp_fill()) {  // vanished bytes read as zero, which ends the text
      ++r.pos;
      break;
    }
    unsigned char const* at = r.buf + (r.pos - r.bufat);
    if (text.size() == dsp_textmax) {
      if (*at == 0) ++r.pos;  // the terminator right after a longest text belongs to it
      break;
    }
    size_t avail = std::min(r.bufn - size_t(r.pos - r.bufat), dsp_textmax - text.size());
    auto* zero = static_cast<unsigned char const*>(std::memchr(at, 0, avail));
    size_t n = zero ? size_t(zero - at) : avail;
    text.append(reinterpret_cast<char const*>(at), n);
    r.pos += n;
    if (zero) {
      ++r.pos;
      break;
    }
  }
  return text.c_str();
}

// A field of n bytes: the position always moves past all n (or to the end of the file),
// and the text is what comes before the first zero byte among them. At most dsp_textmax
// bytes are kept; the rest of a longer field is skipped.
qr_ms GetString324(qe_u n) {
  static thread_local std::string text;
  std::lock_guard lock(dsp_readerlock);
  dsp_reader& r = dsp_rd;
  uint64_t k = r.fd >= 0 ? std::min<uint64_t>(n, r.len - r.pos) : 0;
  size_t keep = size_t(std::min<uint64_t>(k, dsp_textmax));
  text.assign(keep, '\0');
  dsp_take(reinterpret_cast<unsigned char*>(text.data()), keep);
  r.pos += k - keep;
  text.resize(strnlen(text.data(), keep));
  return text.c_str();
}

// ---- Writing -------------------------------------------------------------------------

namespace {

std::string dsp_errnotext(int err) {
  char why[128];
  return strerror_r(err, why, sizeof why);
}

bool dsp_writefail(char const* who, char const* path, std::string const& why) {
  dsp_seterror(dsp_efile,
               (std::string(who) + ": cannot write " + dsp_quoted(path) + ": " + why).c_str());
  return false;
}

// Null or empty paths and null data are the caller's mistakes (error 2), told before any
// file is touched.
bool dsp_writeargs(char const* who, char const* path, void const* data, unsigned long n) {
  if (dsp_badpath(path)) {
    dsp_seterror(dsp_earg, (std::string(who) + ": no file name").c_str());
    return false;
  }
  if (!data && n > 0) {
    dsp_seterror(dsp_earg, (std::string(who) + ": the data is null").c_str());
    return false;
  }
  return true;
}

// The new content goes to a file beside the old one that then takes its name, so a full
// disk or a crash midway leaves the old content (a saved high score) instead of a part of
// the new one. The replacement keeps the old file's permission bits.
bool dsp_replace(char const* who, char const* path, void const* data, unsigned long n) {
  if (!dsp_writeargs(who, path, data, n)) return false;
  struct stat old;
  bool const existed = stat(path, &old) == 0;
  if (existed && !S_ISREG(old.st_mode)) return dsp_writefail(who, path, "not a regular file");
  // Hidden beside it, and short enough that a name near the system's longest still leaves
  // room for the suffix.
  static std::atomic<unsigned> serial{0};
  std::string const whole = path;
  size_t const slash = whole.find_last_of('/');
  std::string const dir = slash == std::string::npos ? "" : whole.substr(0, slash + 1);
  std::string const base = whole.substr(dir.size());
  std::string const part = dir + "." + base.substr(0, 64) + ".part-" + std::to_string(getpid()) +
                           "-" + std::to_string(serial.fetch_add(1));
  dsp_out o;
  if (!dsp_openout(o, part.c_str(), false)) return dsp_writefail(who, path, o.why);
  auto undo = [&](std::string const& why) {
    if (o.fd >= 0) close(o.fd), o.fd = -1;
    unlink(part.c_str());
    return dsp_writefail(who, path, why);
  };
  if (existed && fchmod(o.fd, old.st_mode & 07777) != 0) return undo(dsp_errnotext(errno));
  if (n > 0 && !dsp_writeout(o, data, n)) return undo(o.why);
  // On the disk before it takes the name: a crash never leaves an empty file behind.
  if (fsync(o.fd) != 0) return undo(dsp_errnotext(errno));
  if (!dsp_closeout(o)) return undo(o.why);
  if (rename(part.c_str(), path) != 0) return undo(dsp_errnotext(errno));
  return true;
}

bool dsp_append(char const* who, char const* path, void const* data, unsigned long n) {
  if (!dsp_writeargs(who, path, data, n)) return false;
  dsp_out o;
  if (!dsp_openout(o, path, true)) return dsp_writefail(who, path, o.why);
  bool ok = n == 0 || dsp_writeout(o, data, n);
  ok = dsp_closeout(o) && ok;
  return ok || dsp_writefail(who, path, o.why);
}

}  // namespace

qr_bool disp_writefile(qe_s path, qe_cp data, qe_u size) {
  dsp_extension ext;
  return dsp_replace("writefile", path, data, size);
}

qr_bool disp_appendfile(qe_s path, qe_cp data, qe_u size) {
  dsp_extension ext;
  return dsp_append("appendfile", path, data, size);
}

qr_bool disp_writetext(qe_s path, qe_s text) {
  dsp_extension ext;
  if (!text) return dsp_writeargs("writetext", path, nullptr, 1);
  return dsp_replace("writetext", path, text, std::strlen(text));
}

qr_bool disp_appendtext(qe_s path, qe_s text) {
  dsp_extension ext;
  if (!text) return dsp_writeargs("appendtext", path, nullptr, 1);
  return dsp_append("appendtext", path, text, std::strlen(text));
}
