// libdisp's files: the simple reader on files of known bytes (numbers, text, positions, the
// end of the file, damaged and odd files, wide paths) and the file operations in a
// temporary directory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/disp/disp.h"

namespace {

namespace fs = std::filesystem;
using bytes = std::vector<unsigned char>;

class Files : public ::testing::Test {
 protected:
  std::string dir;

  void SetUp() override {
    char tmpl[] = "/tmp/dispfiles.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    CloseFile315();
    fs::remove_all(dir);
  }

  std::string at(std::string const& name) const { return dir + "/" + name; }
  std::string put(std::string const& name, bytes const& b) {
    std::ofstream(at(name), std::ios::binary)
        .write(reinterpret_cast<char const*>(b.data()), std::streamsize(b.size()));
    return at(name);
  }
  std::string put(std::string const& name, std::string const& s) {
    return put(name, bytes(s.begin(), s.end()));
  }
  static std::string read(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Nothing open: every read gives zero or empty text.
  static void expectclosed() {
    EXPECT_EQ(GetFileLen316(), 0u);
    EXPECT_EQ(GetFilePos317(), 0u);
    EXPECT_EQ(GetByte319(), 0u);
    EXPECT_EQ(GetLongword321(), 0u);
    EXPECT_STREQ(GetPchar323(), "");
    EXPECT_STREQ(GetString324(4), "");
  }
};

// ---- The reader ----------------------------------------------------------------------

TEST_F(Files, ReaderTakesLittleEndianNumbersAndTextAtKnownPositions) {
  bytes b = {0x01, 0xFF, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF,
             0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 'h',  'e',  'l',  'l',
             'o',  0,    0,    'A',  'B',  0,    'C',  'D',  't',  'a',  'i',  'l'};
  ASSERT_TRUE(OpenFile313(put("known.bin", b).c_str()));
  EXPECT_EQ(GetFileLen316(), 36u);
  EXPECT_EQ(GetByte319(), 0x01u);
  EXPECT_EQ(GetByte319(), 0xFFu);
  EXPECT_EQ(GetWord320(), 0x1234u);
  EXPECT_EQ(GetLongword321(), 0x12345678u);
  EXPECT_EQ(GetLongword321(), 0xFFFFFFFFu);
  EXPECT_EQ(GetInteger322(), -2);
  EXPECT_EQ(GetInteger322(), long(INT32_MIN));
  EXPECT_EQ(GetFilePos317(), 20u);
  EXPECT_STREQ(GetPchar323(), "hello");
  EXPECT_EQ(GetFilePos317(), 26u);  // past the terminator
  EXPECT_STREQ(GetPchar323(), "");
  EXPECT_STREQ(GetString324(5), "AB");  // a field: ends at its zero, moves past all 5
  EXPECT_EQ(GetFilePos317(), 32u);
  EXPECT_STREQ(GetPchar323(), "tail");  // the end of the file ends the text
  EXPECT_EQ(GetFilePos317(), 36u);

  SetFilePos318(3);
  EXPECT_EQ(GetWord320(), 0x7812u);
  SetFilePos318(0);
  EXPECT_STREQ(GetString324(ULONG_MAX),
               "\x01\xFF\x34\x12\x78\x56\x34\x12\xFF\xFF\xFF\xFF\xFE\xFF\xFF\xFF");
  EXPECT_EQ(GetFilePos317(), 36u);
}

TEST_F(Files, ReaderPastTheEndGivesZerosAndEmptyTextAndPartialNumbersEndThere) {
  ASSERT_TRUE(OpenFile313(put("short.bin", bytes{0xAA, 0xBB, 0xFF}).c_str()));
  SetFilePos318(1000);
  EXPECT_EQ(GetFilePos317(), 3u);  // clamped to the length
  EXPECT_EQ(GetByte319(), 0u);
  EXPECT_EQ(GetWord320(), 0u);
  EXPECT_EQ(GetInteger322(), 0);
  EXPECT_STREQ(GetPchar323(), "");
  EXPECT_STREQ(GetString324(8), "");
  EXPECT_EQ(GetFilePos317(), 3u);

  SetFilePos318(1);  // missing high bytes count as zero; the position stops at the end
  EXPECT_EQ(GetLongword321(), 0xFFBBu);
  EXPECT_EQ(GetFilePos317(), 3u);
  SetFilePos318(2);
  EXPECT_EQ(GetWord320(), 0xFFu);
  SetFilePos318(0);
  EXPECT_EQ(GetInteger322(), 0xFFBBAA);  // no sign from a byte that is not there

  ASSERT_TRUE(OpenFile313(put("empty.bin", "").c_str()));
  EXPECT_EQ(GetFileLen316(), 0u);
  EXPECT_EQ(GetLongword321(), 0u);
  EXPECT_STREQ(GetPchar323(), "");
}

TEST_F(Files, ReaderHandsOutLongTextInBoundedPieces) {
  std::string a(70000, 'a'), c(65535, 'c');
  ASSERT_TRUE(OpenFile313(put("long.txt", a + '\0' + "b" + '\0' + c + '\0' + "d").c_str()));
  EXPECT_EQ(std::string(GetPchar323()), a.substr(0, 65535));
  EXPECT_EQ(GetFilePos317(), 65535u);
  EXPECT_EQ(std::string(GetPchar323()), a.substr(65535));
  EXPECT_STREQ(GetPchar323(), "b");
  EXPECT_EQ(std::string(GetPchar323()), c);  // exactly the bound: its terminator goes too
  EXPECT_STREQ(GetPchar323(), "d");

  SetFilePos318(0);
  EXPECT_EQ(std::string(GetString324(69000)), a.substr(0, 65535));
  EXPECT_EQ(GetFilePos317(), 69000u);
}

// Every read kind at random places of a file several buffers long, against the bytes kept
// in memory: reads that straddle the reader's buffer must join its pieces correctly.
TEST_F(Files, ReaderMatchesTheFileAtRandomPlaces) {
  std::mt19937 rng(7);
  bytes b(300000);
  for (auto& v : b) v = (rng() % 4 == 0) ? 0 : (unsigned char)rng();
  ASSERT_TRUE(OpenFile313(put("random.bin", b).c_str()));
  auto le = [&](size_t at, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n && at + i < b.size(); ++i) v |= uint32_t(b[at + i]) << (8 * i);
    return v;
  };
  for (int i = 0; i < 20000; ++i) {
    size_t at = rng() % (b.size() + 10);
    SetFilePos318(at);
    at = std::min(at, b.size());
    switch (rng() % 4) {
      case 0:
        ASSERT_EQ(GetWord320(), le(at, 2)) << at;
        break;
      case 1:
        ASSERT_EQ(GetLongword321(), le(at, 4)) << at;
        break;
      case 2:
        ASSERT_EQ(GetInteger322(), long(int32_t(le(at, 4)))) << at;
        break;
      case 3: {
        size_t end = at;
        while (end < b.size() && b[end] != 0) ++end;
        ASSERT_EQ(std::string(GetPchar323()), std::string(b.begin() + at, b.begin() + end));
        ASSERT_EQ(GetFilePos317(), std::min(end + 1, b.size()));
      }
    }
  }
}

TEST_F(Files, ReaderOfAFileShortenedAfterOpeningReadsZeros) {
  std::string path = put("shrinks.bin", bytes(200000, 0xAB));
  ASSERT_TRUE(OpenFile313(path.c_str()));
  ASSERT_EQ(truncate(path.c_str(), 10), 0);
  EXPECT_EQ(GetFileLen316(), 200000u);  // the length seen at open
  EXPECT_EQ(GetLongword321(), 0xABABABABu);
  SetFilePos318(100000);
  EXPECT_EQ(GetLongword321(), 0u);
  EXPECT_STREQ(GetPchar323(), "");  // a zero ends the text, and is passed
  EXPECT_EQ(GetFilePos317(), 100005u);
  SetFilePos318(8);
  EXPECT_STREQ(GetString324(1000), "\xAB\xAB");
  EXPECT_EQ(GetFilePos317(), 1008u);
}

TEST_F(Files, ReaderRefusesWhatIsNoRegularFileAndClosesTheOpenOne) {
  std::string good = put("good.bin", "xyz");
  std::string missing = at("missing"), fifo = at("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // opening it must not wait for a writer
  for (char const* bad : {missing.c_str(), dir.c_str(), fifo.c_str(), "/dev/zero", "",
                          static_cast<char const*>(nullptr)}) {
    ASSERT_TRUE(OpenFile313(good.c_str()));
    EXPECT_FALSE(OpenFile313(bad)) << (bad ? bad : "null");
    expectclosed();
  }
  CloseFile315();
  CloseFile315();
  expectclosed();
}

TEST_F(Files, AFailedFileEntryLeavesAFileErrorForGetError) {
  GetError38();  // clears what earlier tests left
  EXPECT_FALSE(OpenFile313(at("missing").c_str()));
  EXPECT_EQ(GetError38(), 3u);
  EXPECT_EQ(GetError38(), 0u);  // handed out once
}

TEST_F(Files, WidePathsAreConvertedFromUtf16) {
  // Two-byte and three-byte characters and a surrogate pair (U+1D11E: D834 DD1E).
  put("gr\u00fc\u00dfe_\u65e5\u672c_\U0001D11E.bin", "W");
  std::vector<short> w;
  for (char c : at("")) w.push_back(short(c));
  for (char16_t u : u"gr\u00fc\u00dfe_\u65e5\u672c_\U0001D11E.bin") w.push_back(short(u));
  ASSERT_EQ(w.back(), 0);
  ASSERT_TRUE(OpenFileW314(w.data()));
  EXPECT_EQ(GetByte319(), unsigned('W'));

  std::vector<short> lone = w;
  lone[lone.size() - 6] = 'x';  // the low half of the pair replaced: the high one alone
  EXPECT_FALSE(OpenFileW314(lone.data()));
  expectclosed();
  short const high_at_end[] = {'a', short(0xD800), 0};
  EXPECT_FALSE(OpenFileW314(high_at_end));
  EXPECT_FALSE(OpenFileW314(nullptr));
  std::vector<short> toolong(5000, 'a');
  toolong.push_back(0);
  EXPECT_FALSE(OpenFileW314(toolong.data()));
}

// ---- File operations -----------------------------------------------------------------

TEST_F(Files, IsFileAndNewFileNeverTouchWhatExists) {
  std::string f = put("f", "data");
  ASSERT_EQ(symlink(f.c_str(), at("link").c_str()), 0);
  EXPECT_TRUE(IsFile307(f.c_str()));
  EXPECT_TRUE(IsFile307(at("link").c_str()));
  EXPECT_FALSE(IsFile307(dir.c_str()));
  EXPECT_FALSE(IsFile307(at("missing").c_str()));
  EXPECT_FALSE(IsFile307(nullptr));
  EXPECT_FALSE(IsFile307(""));

  EXPECT_TRUE(NewFile308(at("new").c_str()));
  EXPECT_TRUE(IsFile307(at("new").c_str()));
  EXPECT_EQ(fs::file_size(at("new")), 0u);
  EXPECT_FALSE(NewFile308(f.c_str()));
  EXPECT_EQ(read(f), "data");
  EXPECT_FALSE(NewFile308(at("nodir/new").c_str()));
  EXPECT_FALSE(NewFile308(nullptr));
}

TEST_F(Files, NewDirMakesParentsAndAcceptsAnExistingDirectory) {
  EXPECT_TRUE(NewDir309(at("a/b//c/").c_str()));
  EXPECT_TRUE(fs::is_directory(at("a/b/c")));
  EXPECT_TRUE(NewDir309(at("a/b").c_str()));
  put("file", "x");
  EXPECT_FALSE(NewDir309(at("file").c_str()));
  EXPECT_FALSE(NewDir309(at("file/sub").c_str()));
  EXPECT_FALSE(NewDir309(nullptr));
  EXPECT_FALSE(NewDir309(""));
}

TEST_F(Files, CopyFileCopiesContentAndPermissionsButNeverOverwrites) {
  std::string content(100000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7 % 251);
  std::string from = put("from", content), other = put("other", "keep");
  ASSERT_EQ(chmod(from.c_str(), 0640), 0);
  EXPECT_TRUE(CopyFile310(from.c_str(), at("to").c_str()));
  EXPECT_EQ(read(at("to")), content);
  EXPECT_EQ(fs::status(at("to")).permissions(), fs::status(from).permissions());

  EXPECT_FALSE(CopyFile310(from.c_str(), other.c_str()));
  EXPECT_EQ(read(other), "keep");
  EXPECT_FALSE(CopyFile310(at("missing").c_str(), at("to2").c_str()));
  EXPECT_FALSE(CopyFile310(dir.c_str(), at("to2").c_str()));
  EXPECT_FALSE(fs::exists(at("to2")));
  EXPECT_FALSE(CopyFile310(nullptr, at("to2").c_str()));
  EXPECT_FALSE(CopyFile310(from.c_str(), nullptr));

  // Files of /proc claim a length of 0 but have content.
  EXPECT_TRUE(CopyFile310("/proc/self/status", at("status").c_str()));
  EXPECT_EQ(read(at("status")).rfind("Name:", 0), 0u);
}

TEST_F(Files, MoveFileRenamesAndCopiesAcrossFileSystemsButNeverOverwrites) {
  std::string from = put("from", "moved"), other = put("other", "keep");
  EXPECT_TRUE(MoveFile311(from.c_str(), at("to").c_str()));
  EXPECT_FALSE(fs::exists(from));
  EXPECT_EQ(read(at("to")), "moved");
  EXPECT_FALSE(MoveFile311(at("to").c_str(), other.c_str()));
  EXPECT_EQ(read(at("to")), "moved");
  EXPECT_EQ(read(other), "keep");
  EXPECT_FALSE(MoveFile311(at("missing").c_str(), at("x").c_str()));
  EXPECT_FALSE(MoveFile311(nullptr, at("x").c_str()));
  ASSERT_TRUE(NewDir309(at("d1").c_str()));
  EXPECT_TRUE(MoveFile311(at("d1").c_str(), at("d2").c_str()));
  EXPECT_TRUE(fs::is_directory(at("d2")));

  struct stat here, shm;
  if (stat("/dev/shm", &shm) != 0 || stat(dir.c_str(), &here) != 0 || shm.st_dev == here.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  std::string away = "/dev/shm/dispfiles." + std::to_string(getpid());
  EXPECT_TRUE(MoveFile311(at("to").c_str(), away.c_str()));
  EXPECT_FALSE(fs::exists(at("to")));
  EXPECT_EQ(read(away), "moved");
  EXPECT_FALSE(MoveFile311(other.c_str(), away.c_str()));  // exists there already
  EXPECT_EQ(read(other), "keep");
  fs::remove(away);
  EXPECT_FALSE(MoveFile311(at("d2").c_str(), away.c_str()));  // directories stay on theirs
  EXPECT_TRUE(fs::is_directory(at("d2")));
}

TEST_F(Files, DeleteFileTakesFilesLinksAndEmptyDirectoriesOnly) {
  std::string f = put("f", "x"), target = put("target", "t");
  ASSERT_EQ(symlink(target.c_str(), at("link").c_str()), 0);
  ASSERT_TRUE(NewDir309(at("empty").c_str()));
  ASSERT_TRUE(NewDir309(at("full").c_str()));
  put("full/inside", "i");

  EXPECT_TRUE(DeleteFile312(f.c_str()));
  EXPECT_FALSE(fs::exists(f));
  EXPECT_TRUE(DeleteFile312(at("link").c_str()));
  EXPECT_EQ(read(target), "t");
  EXPECT_TRUE(DeleteFile312(at("empty").c_str()));
  EXPECT_FALSE(fs::exists(at("empty")));
  EXPECT_FALSE(DeleteFile312(at("full").c_str()));
  EXPECT_EQ(read(at("full/inside")), "i");
  EXPECT_FALSE(DeleteFile312(f.c_str()));
  EXPECT_FALSE(DeleteFile312(nullptr));
}

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
