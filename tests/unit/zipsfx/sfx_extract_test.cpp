// Reading the archive behind the stub and unpacking it into a folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sfx_fakes.h"
#include "sfx_test_zip.h"

namespace {

using sfx_test::MemoryFolder;
using sfx_test::MemorySource;
using sfx_test::ZipBuilder;

const std::string kStub = std::string("MZ fake stub ") + std::string(3000, 'S') + "PK\3\4";

std::string Pattern(size_t n, unsigned seed = 1) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    // Compressible but not trivially: text-like runs with noise.
    s[i] = static_cast<char>((i % 7 == 0) ? (seed >> 16) & 0xff : 'a' + (i / 13) % 26);
  }
  return s;
}

// stub + archive; the archive's offsets count from its own start.
struct Fixture {
  MemorySource source;
  MemoryFolder folder;
  SfxArchive archive{};
  uint64_t start = 0;

  explicit Fixture(const std::string& zip, const std::string& prefix = kStub) {
    source.bytes = prefix + zip;
    start = prefix.size();
  }
  ~Fixture() { SfxCloseArchive(&archive); }
  SfxStatus Open() {
    SfxSource s = source.Source();
    return SfxOpenArchive(&s, start, &archive);
  }
  SfxStatus Extract(SfxOverwrite mode = SFX_OVERWRITE_CONFIRM, const uint8_t* selected = nullptr,
                    SfxResult* result = nullptr) {
    SfxResult r;
    SfxTarget t = folder.Target();
    SfxEvents e = folder.Events();
    SfxStatus s = SfxExtractAll(&archive, mode, selected, &t, &e, result ? result : &r);
    EXPECT_TRUE(folder.pending.empty()) << "a file was left open";
    return s;
  }
};

TEST(SfxExtract, UnpacksStoredDeflatedEmptyAndNestedEntries) {
  ZipBuilder zip;
  zip.Add("Vistrel.bmp", Pattern(200000));  // several input and output chunks
  zip.Add("plain.txt", "stored text", 0);
  zip.Add("empty.txt", "", 0);
  zip.Add("empty-deflated.txt", "");
  zip.Add("sub/", "", 0);
  zip.Add("sub/deep/x.bin", Pattern(5000, 7));
  Fixture f(zip.Build());
  ASSERT_EQ(f.Open(), SFX_OK);
  ASSERT_EQ(f.archive.count, 6u);
  SfxResult r;
  ASSERT_EQ(f.Extract(SFX_OVERWRITE_CONFIRM, nullptr, &r), SFX_OK);
  EXPECT_EQ(r.extracted, 5u);
  EXPECT_EQ(r.failed, 0u);
  EXPECT_EQ(f.folder.files["Vistrel.bmp"], Pattern(200000));
  EXPECT_EQ(f.folder.files["plain.txt"], "stored text");
  EXPECT_EQ(f.folder.files.count("empty.txt"), 1u);
  EXPECT_EQ(f.folder.files["empty-deflated.txt"], "");
  EXPECT_EQ(f.folder.files["sub\\deep\\x.bin"], Pattern(5000, 7));
  EXPECT_TRUE(f.folder.dirs.count("sub"));
  EXPECT_TRUE(f.folder.dirs.count("sub\\deep"));
}

TEST(SfxExtract, FindsArchiveWhoseOffsetsCountFromTheFileStart) {
  // Some tools adjust the offsets for the bytes in front; both layouts must work.
  ZipBuilder zip;
  zip.Add("a.txt", "adjusted");
  Fixture f(zip.Build(static_cast<uint32_t>(kStub.size())));
  ASSERT_EQ(f.Open(), SFX_OK);
  EXPECT_EQ(f.archive.base, 0u);
  ASSERT_EQ(f.Extract(), SFX_OK);
  EXPECT_EQ(f.folder.files["a.txt"], "adjusted");
}

TEST(SfxExtract, CrcMismatchKeepsTheExistingFileAndGoesOn) {
  ZipBuilder zip;
  zip.Add("a.txt", "new content").crc = 0x12345678;
  zip.Add("b.txt", "fine");
  Fixture f(zip.Build());
  f.folder.files["a.txt"] = "old content";
  ASSERT_EQ(f.Open(), SFX_OK);
  SfxResult r;
  EXPECT_EQ(f.Extract(SFX_OVERWRITE_ALWAYS, nullptr, &r), SFX_ERR_CRC);
  EXPECT_EQ(f.folder.files["a.txt"], "old content");
  EXPECT_EQ(f.folder.files["b.txt"], "fine");
  EXPECT_EQ(r.extracted, 1u);
  EXPECT_EQ(r.failed, 1u);
  ASSERT_EQ(f.folder.problems.size(), 1u);
  EXPECT_EQ(f.folder.problems[0], std::make_pair(std::string("a.txt"), SFX_ERR_CRC));
}

TEST(SfxExtract, DamagedEntriesAreReportedAndNeverCommitted) {
  ZipBuilder zip;
  zip.Add("short.txt", Pattern(1000)).size = 999;          // more data than announced
  zip.Add("long.txt", Pattern(1000)).size = 1001;          // less data than announced
  zip.Add("garbage.txt", "x").payload = std::string("\xff\xff\xff\xff", 4);
  zip.Add("cut.txt", Pattern(3000)).payload = sfx_test::RawDeflate(Pattern(3000)).substr(0, 100);
  zip.Add("stored-size.txt", "abc", 0).size = 4;
  zip.Add("bzip2.txt", "x", 12);
  zip.Add("secret.txt", "x").flags = 1;
  zip.Add("ok.txt", "ok");
  Fixture f(zip.Build());
  ASSERT_EQ(f.Open(), SFX_OK);
  SfxResult r;
  EXPECT_NE(f.Extract(SFX_OVERWRITE_CONFIRM, nullptr, &r), SFX_OK);
  EXPECT_EQ(f.folder.files.size(), 1u);
  EXPECT_EQ(f.folder.files["ok.txt"], "ok");
  std::map<std::string, SfxStatus> problems(f.folder.problems.begin(), f.folder.problems.end());
  EXPECT_EQ(problems["short.txt"], SFX_ERR_CRC);
  EXPECT_EQ(problems["long.txt"], SFX_ERR_CRC);
  EXPECT_EQ(problems["garbage.txt"], SFX_ERR_DATA);
  EXPECT_EQ(problems["cut.txt"], SFX_ERR_DATA);
  EXPECT_EQ(problems["stored-size.txt"], SFX_ERR_DATA);
  EXPECT_EQ(problems["bzip2.txt"], SFX_ERR_METHOD);
  EXPECT_EQ(problems["secret.txt"], SFX_ERR_ENCRYPTED);
  EXPECT_EQ(r.failed, 7u);
}

TEST(SfxExtract, ZipSlipEntriesAreRefusedByNameAndNothingLeavesTheFolder) {
  ZipBuilder zip;
  zip.Add("../evil.txt", "x");
  zip.Add("sub/../../evil2.txt", "x");
  zip.Add("/abs.txt", "x");
  zip.Add("C:\\Windows\\evil.dll", "x");
  zip.Add("good.txt", "good");
  Fixture f(zip.Build());
  ASSERT_EQ(f.Open(), SFX_OK);
  SfxResult r;
  EXPECT_EQ(f.Extract(SFX_OVERWRITE_ALWAYS, nullptr, &r), SFX_ERR_UNSAFE_NAME);
  EXPECT_EQ(f.folder.files.size(), 1u);
  EXPECT_EQ(f.folder.files["good.txt"], "good");
  EXPECT_TRUE(f.folder.dirs.empty());
  ASSERT_EQ(f.folder.problems.size(), 4u);
  EXPECT_EQ(f.folder.problems[0].first, "../evil.txt");
  EXPECT_EQ(f.folder.problems[1].first, "sub/../../evil2.txt");
  for (auto& p : f.folder.problems) EXPECT_EQ(p.second, SFX_ERR_UNSAFE_NAME);
}

TEST(SfxExtract, OverwriteModesAndAnswers) {
  ZipBuilder zip;
  for (const char* n : {"1", "2", "3", "4", "5"}) zip.Add(n, std::string("new") + n);
  auto existing = [](MemoryFolder& m) {
    for (const char* n : {"1", "2", "3", "4", "5"}) m.files[n] = "old";
  };
  {
    Fixture f(zip.Build());
    existing(f.folder);
    ASSERT_EQ(f.Open(), SFX_OK);
    SfxResult r;
    EXPECT_EQ(f.Extract(SFX_OVERWRITE_NEVER, nullptr, &r), SFX_OK);
    EXPECT_EQ(f.folder.files["3"], "old");
    EXPECT_EQ(r.skipped, 5u);
    EXPECT_TRUE(f.folder.asked.empty());
  }
  {
    Fixture f(zip.Build());
    existing(f.folder);
    ASSERT_EQ(f.Open(), SFX_OK);
    EXPECT_EQ(f.Extract(SFX_OVERWRITE_ALWAYS), SFX_OK);
    EXPECT_EQ(f.folder.files["3"], "new3");
    EXPECT_TRUE(f.folder.asked.empty());
  }
  {
    // yes, no, then "yes to all" answers the rest without asking.
    Fixture f(zip.Build());
    existing(f.folder);
    f.folder.answers = {SFX_ANSWER_YES, SFX_ANSWER_NO, SFX_ANSWER_YES_TO_ALL};
    ASSERT_EQ(f.Open(), SFX_OK);
    EXPECT_EQ(f.Extract(), SFX_OK);
    EXPECT_EQ(f.folder.asked, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(f.folder.files["1"], "new1");
    EXPECT_EQ(f.folder.files["2"], "old");
    EXPECT_EQ(f.folder.files["5"], "new5");
  }
  {
    Fixture f(zip.Build());
    existing(f.folder);
    f.folder.files.erase("2");  // a file that is not there is written without asking
    f.folder.answers = {SFX_ANSWER_NO_TO_ALL};
    ASSERT_EQ(f.Open(), SFX_OK);
    SfxResult r;
    EXPECT_EQ(f.Extract(SFX_OVERWRITE_CONFIRM, nullptr, &r), SFX_OK);
    EXPECT_EQ(f.folder.asked, (std::vector<std::string>{"1"}));
    EXPECT_EQ(f.folder.files["2"], "new2");
    EXPECT_EQ(f.folder.files["5"], "old");
    EXPECT_EQ(r.extracted, 1u);
    EXPECT_EQ(r.skipped, 4u);
  }
  {
    Fixture f(zip.Build());
    existing(f.folder);
    f.folder.answers = {SFX_ANSWER_YES, SFX_ANSWER_CANCEL};
    ASSERT_EQ(f.Open(), SFX_OK);
    SfxResult r;
    EXPECT_EQ(f.Extract(SFX_OVERWRITE_CONFIRM, nullptr, &r), SFX_ERR_CANCELLED);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(f.folder.files["1"], "new1");
    EXPECT_EQ(f.folder.files["2"], "old");
    EXPECT_EQ(f.folder.asked.size(), 2u);
  }
}

TEST(SfxExtract, SelectionAndCancelFromProgress) {
  ZipBuilder zip;
  zip.Add("a", "A");
  zip.Add("b", "B");
  zip.Add("c", "C");
  Fixture f(zip.Build());
  ASSERT_EQ(f.Open(), SFX_OK);
  const uint8_t selected[] = {1, 0, 1};
  EXPECT_EQ(f.Extract(SFX_OVERWRITE_CONFIRM, selected), SFX_OK);
  EXPECT_EQ(f.folder.files.size(), 2u);
  EXPECT_EQ(f.folder.files.count("b"), 0u);

  Fixture g(zip.Build());
  ASSERT_EQ(g.Open(), SFX_OK);
  g.folder.cancelAfter = 1;
  EXPECT_EQ(g.Extract(), SFX_ERR_CANCELLED);
  EXPECT_EQ(g.folder.files.size(), 1u);
}

TEST(SfxExtract, WriteAndCreateFailuresAreReported) {
  ZipBuilder zip;
  zip.Add("a", Pattern(100));
  Fixture f(zip.Build());
  ASSERT_EQ(f.Open(), SFX_OK);
  f.folder.failWrite = 1;
  EXPECT_EQ(f.Extract(), SFX_ERR_WRITE);
  EXPECT_TRUE(f.folder.files.empty());
  f.folder.failWrite = 0;
  f.folder.failCreate = 1;
  EXPECT_EQ(f.Extract(), SFX_ERR_CREATE);
}

TEST(SfxArchive, NoArchiveOrNotAZipIsAClearError) {
  Fixture none("");
  EXPECT_EQ(none.Open(), SFX_ERR_NOT_ZIP);
  Fixture junk(std::string(5000, 'j'));
  EXPECT_EQ(junk.Open(), SFX_ERR_NOT_ZIP);
  ZipBuilder empty;
  Fixture zero(empty.Build());
  ASSERT_EQ(zero.Open(), SFX_OK);
  EXPECT_EQ(zero.archive.count, 0u);
}

TEST(SfxArchive, TruncatedAtEveryOffsetNeverReadsOutOfBoundsOrSucceedsSilently) {
  ZipBuilder zip;
  zip.Add("one.txt", Pattern(700));
  zip.Add("two/", "", 0);
  zip.Add("two/three.txt", "three", 0);
  const std::string whole = zip.Build();
  for (size_t n = 0; n < whole.size(); ++n) {
    SCOPED_TRACE(n);
    Fixture f(whole.substr(0, n));
    SfxStatus s = f.Open();
    if (s != SFX_OK) continue;  // any clear error will do
    // A cut that leaves a plausible end record must still not produce wrong files.
    f.Extract(SFX_OVERWRITE_ALWAYS);
    for (auto& [name, data] : f.folder.files)
      EXPECT_TRUE((name == "one.txt" && data == Pattern(700)) ||
                  (name == "two\\three.txt" && data == "three"));
  }
}

TEST(SfxArchive, DamagedDirectoryFieldsAreCaught) {
  ZipBuilder zip;
  zip.Add("a.txt", "a");
  const std::string good = zip.Build();
  const size_t end = good.size() - 22;
  auto patched = [&](size_t at, std::string bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  {
    Fixture f(patched(end + 10, std::string("\x05\x00", 2)));  // more entries than there are
    EXPECT_EQ(f.Open(), SFX_ERR_DIRECTORY);
  }
  {
    Fixture f(patched(end + 4, std::string("\x01\x00", 2)));  // a spanned archive
    EXPECT_EQ(f.Open(), SFX_ERR_DIRECTORY);
  }
  {
    Fixture f(patched(end + 16, std::string("\xff\xff\xff\xff", 4)));  // 64-bit records
    EXPECT_EQ(f.Open(), SFX_ERR_TOO_LARGE);
  }
  {
    const size_t dir = end - 46 - 5;  // name length in the directory record runs past it
    Fixture f(patched(dir + 28, std::string("\xff\x00", 2)));
    EXPECT_EQ(f.Open(), SFX_ERR_DIRECTORY);
  }
  {
    Fixture f(patched(0, "XXXX"));  // local header signature gone
    ASSERT_EQ(f.Open(), SFX_OK);
    EXPECT_EQ(f.Extract(), SFX_ERR_LOCAL_HEADER);
  }
  {
    const size_t dir = end - 46 - 5;  // an entry name with a zero byte inside
    Fixture f(patched(dir + 46, std::string("a\0t", 3)));
    ASSERT_EQ(f.Open(), SFX_OK);
    EXPECT_EQ(f.Extract(), SFX_ERR_BAD_NAME);
  }
}

// Archives written by tools other than our own test builder.
class SfxInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("sfx_interop_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "in" / "sub");
    Write(dir_ / "in" / "pic.bmp", Pattern(300000, 3));
    Write(dir_ / "in" / "sub" / "note.txt", "hello from a subfolder\r\n");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  static void Write(const std::filesystem::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
  }
  static std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void Check(const std::string& zipBytes) {
    Fixture f(zipBytes);
    ASSERT_EQ(f.Open(), SFX_OK);
    ASSERT_EQ(f.Extract(), SFX_OK);
    EXPECT_EQ(f.folder.files["pic.bmp"], Pattern(300000, 3));
    EXPECT_EQ(f.folder.files["sub\\note.txt"], "hello from a subfolder\r\n");
  }
  std::filesystem::path dir_;
};

TEST_F(SfxInterop, InfoZipArchiveIncludingStreamedDataDescriptors) {
  std::string cmd = "cd '" + (dir_ / "in").string() + "' && zip -q -9 -r ../a.zip . && " +
                    // streamed into a pipe: sizes only in data descriptors behind the data
                    "cat pic.bmp | zip -q -9 -fz- - - | cat > ../s.zip";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  Check(Read(dir_ / "a.zip"));
  Fixture s(Read(dir_ / "s.zip"));
  ASSERT_EQ(s.Open(), SFX_OK);
  ASSERT_EQ(s.Extract(), SFX_OK);
  EXPECT_EQ(s.folder.files["-"], Pattern(300000, 3));
}

TEST_F(SfxInterop, PythonZipfileArchive) {
  std::string script = "import zipfile,sys; d=sys.argv[1]; "
                       "z=zipfile.ZipFile(d+'/p.zip','w',zipfile.ZIP_DEFLATED); "
                       "z.write(d+'/in/pic.bmp','pic.bmp'); z.writestr('sub/','');"
                       "z.write(d+'/in/sub/note.txt','sub/note.txt',zipfile.ZIP_STORED); "
                       "z.comment=b'a comment PK'; z.close()";
  std::string cmd = "/usr/bin/python3 -c \"" + script + "\" '" + dir_.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  Check(Read(dir_ / "p.zip"));
}

}  // namespace
