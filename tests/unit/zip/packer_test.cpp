// The packer on real files in a temporary folder, checked by reading the
// archive back with libzip.
#include "packer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "partial_file_name.h"
#include "test_pictures.h"

namespace zipdll {
namespace {

namespace fs = std::filesystem;

class TestFileSystem : public PackerFileSystem {
 public:
  std::set<std::string> hidden;       // names listed as hidden
  std::vector<std::string> phantoms;  // names listed but not on disk
  std::optional<std::vector<DirItem>> List(const std::string& folder) override {
    std::error_code ec;
    std::vector<DirItem> items;
    for (const auto& e : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
      DirItem item;
      item.name = e.path().filename().string();
      item.directory = e.is_directory();
      item.hidden = hidden.count(item.name) > 0;
      item.size = item.directory ? 0 : e.file_size();
      item.modified = std::chrono::system_clock::to_time_t(
          std::chrono::file_clock::to_sys(e.last_write_time()));
      items.push_back(item);
    }
    if (ec) return std::nullopt;
    for (const std::string& name : phantoms) items.push_back({name, false, false, false, 10, 0});
    return items;
  }
  bool Remove(const std::string& path) override { return fs::remove(path); }
  bool SetModified(const std::string&, std::time_t) override { return true; }
  zip_source_t* ArchiveSource(const std::string& path, zip_error_t* error) override {
    return zip_source_file_create(path.c_str(), 0, -1, error);
  }
  std::string WorkingName(const std::string& archive) override {
    return vistrel::PartialFileName(archive, 4242);
  }
  bool Exists(const std::string& path) override { return fs::exists(path); }
  bool Copy(const std::string& from, const std::string& to) override {
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  }
  bool refuseRename = false;
  bool MoveReplacing(const std::string& from, const std::string& to) override {
    if (refuseRename) return false;
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
  }
};

class RecordingReport : public PackerReport {
 public:
  std::vector<std::string> events;
  int stopAtStart = -1;  // index of the Start call that asks to stop
  bool stopAtProgress = false;
  std::size_t starts = 0;
  uint64_t progressed = 0;
  bool Start(const std::string& name, uint64_t size) override {
    events.push_back("start " + name + " " + std::to_string(size));
    return static_cast<int>(starts++) != stopAtStart;
  }
  bool Progress(uint64_t bytes) override {
    progressed += bytes;
    return !stopAtProgress;
  }
  bool End() override {
    events.push_back("end");
    return true;
  }
  bool Message(int32_t code, const std::string& text) override {
    events.push_back("message " + std::to_string(code) + " " + text);
    return true;
  }
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Entry {
  std::string data;
  uint16_t method;
};

std::map<std::string, Entry> Contents(const fs::path& archivePath) {
  std::map<std::string, Entry> result;
  int error = 0;
  zip_t* archive = zip_open(archivePath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (archive == nullptr) return result;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
    std::string data(st.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    EXPECT_EQ(zip_fread(file, data.data(), data.size()), static_cast<zip_int64_t>(data.size()));
    zip_fclose(file);
    result[st.name] = {data, st.comp_method};
  }
  zip_close(archive);
  return result;
}

class PackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("vistrel_packer_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "in" / "sub");
    Write("in/a.bmp", std::string(5000, 'A') + "end");
    Write("in/b.txt", "bee");
    Write("in/sub/c.bmp", "sea");
  }
  void TearDown() override { fs::remove_all(root); }
  void Write(const std::string& rel, const std::string& data) {
    std::ofstream(root / rel, std::ios::binary) << data;
  }
  std::string P(const std::string& rel) const { return (root / rel).string(); }
  // No working copy of the archive stays beside it, whatever the run's end.
  void ExpectOnlyArchiveAndInput() const {
    for (const auto& e : fs::directory_iterator(root)) {
      EXPECT_TRUE(e.path().filename() == "in" || e.path().filename() == "out.zip") << e.path();
    }
  }
  int32_t Run(std::vector<std::string> specs, auto configure) {
    PackRequest request;
    request.archive = P("out.zip");
    for (auto& s : specs) request.specs.push_back(P(s));
    configure(request);
    return RunPacker(request, files, report);
  }
  int32_t Run(std::vector<std::string> specs) {
    return Run(std::move(specs), [](PackRequest&) {});
  }

  fs::path root;
  TestFileSystem files;
  RecordingReport report;
};

TEST_F(PackerTest, NewArchiveHoldsTheFileWithoutItsFolderDeflated) {
  EXPECT_EQ(Run({"in/a.bmp"}), 1);
  const auto contents = Contents(root / "out.zip");
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_EQ(contents.at("a.bmp").data, std::string(5000, 'A') + "end");
  EXPECT_EQ(contents.at("a.bmp").method, ZIP_CM_DEFLATE);
  EXPECT_EQ(report.events.front(), "start a.bmp 5003");
  EXPECT_EQ(report.events.back(), "end");
}

TEST_F(PackerTest, SecondRunAddsAndSameNameReplaces) {
  EXPECT_EQ(Run({"in/a.bmp"}), 1);
  EXPECT_EQ(Run({"in/b.txt"}), 1);
  Write("in/a.bmp", "new");
  EXPECT_EQ(Run({"in/a.bmp"}), 1);
  const auto contents = Contents(root / "out.zip");
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents.at("a.bmp").data, "new");
  EXPECT_EQ(contents.at("b.txt").data, "bee");
}

TEST_F(PackerTest, WildcardsRecursionFolderNamesAndLevelZero) {
  EXPECT_EQ(Run({"in/*.BMP"},
                [](PackRequest& r) {
                  r.recurse = true;
                  r.junkDirNames = false;
                  r.level = 0;
                }),
            2);
  const auto contents = Contents(root / "out.zip");
  ASSERT_EQ(contents.size(), 2u);
  const std::string prefix = fs::path(P("in")).relative_path().generic_string();
  EXPECT_EQ(contents.at(prefix + "/a.bmp").method, ZIP_CM_STORE);
  EXPECT_EQ(contents.at(prefix + "/sub/c.bmp").data, "sea");
}

TEST_F(PackerTest, HiddenFilesOnlyWhenAsked) {
  files.hidden = {"b.txt"};
  EXPECT_EQ(Run({"in/*.txt"}), 0);
  EXPECT_FALSE(fs::exists(root / "out.zip"));  // nothing to add, no empty archive
  EXPECT_EQ(Run({"in/*.txt"}, [](PackRequest& r) { r.systemFiles = true; }), 1);
}

TEST_F(PackerTest, FreshenReplacesOnlyExistingEntriesAndMoveDeletesSources) {
  EXPECT_EQ(Run({"in/a.bmp"}), 1);
  EXPECT_EQ(Run({"in/*.*"}, [](PackRequest& r) { r.freshen = true; }), 0);  // nothing newer
  fs::last_write_time(P("in/a.bmp"), fs::last_write_time(P("in/a.bmp")) + std::chrono::hours(1));
  EXPECT_EQ(Run({"in/*.*"},
                [](PackRequest& r) {
                  r.freshen = true;
                  r.move = true;
                }),
            1);
  EXPECT_EQ(Contents(root / "out.zip").size(), 1u);
  EXPECT_FALSE(fs::exists(root / "in/a.bmp"));
  EXPECT_TRUE(fs::exists(root / "in/b.txt"));
  EXPECT_EQ(Run({"in/b.txt"}, [](PackRequest& r) { r.update = true; }), 1);
}

TEST_F(PackerTest, FailureMidwayLeavesThePreviousArchiveAsItWas) {
  EXPECT_EQ(Run({"in/a.bmp"}), 1);
  const std::string before = ReadAll(root / "out.zip");
  files.phantoms = {"zz_gone.bmp"};  // listed, but cannot be opened when packed
  EXPECT_EQ(Run({"in/*.bmp"}), 0);
  EXPECT_EQ(ReadAll(root / "out.zip"), before);
  files.phantoms.clear();
  report.starts = 0;
  report.stopAtStart = 1;  // the caller asks to stop at the second file
  EXPECT_EQ(Run({"in/a.bmp", "in/b.txt"}), 0);
  EXPECT_EQ(ReadAll(root / "out.zip"), before);
  ExpectOnlyArchiveAndInput();
  // Packed whole, but the working copy cannot take the archive's place.
  files.refuseRename = true;
  EXPECT_EQ(Run({"in/b.txt"}), 0);
  EXPECT_EQ(ReadAll(root / "out.zip"), before);
  EXPECT_EQ(report.events.back(), "message 1 cannot write " + P("out.zip"));
  ExpectOnlyArchiveAndInput();
}

TEST_F(PackerTest, UnmatchedNamesAndBrokenArchivesAreReported) {
  EXPECT_EQ(Run({"in/none.*"}), 0);
  EXPECT_EQ(report.events.back(), "message 0 name not matched: " + P("in/none.*"));
  Write("out.zip", "this is no zip archive at all, just text long enough");
  const std::string before = ReadAll(root / "out.zip");
  EXPECT_EQ(Run({"in/a.bmp"}), 0);
  EXPECT_EQ(ReadAll(root / "out.zip"), before);
  EXPECT_NE(report.events.back().find("message 1 cannot open"), std::string::npos);
  ExpectOnlyArchiveAndInput();
}

// The bytes an entry is stored as, and its local header's flags.
struct Stored {
  std::string packed;
  uint16_t flags = 0;
};

Stored StoredEntry(const fs::path& archivePath, const std::string& name) {
  Stored result;
  int error = 0;
  zip_t* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) return result;
  zip_stat_t st;
  if (zip_stat(archive, name.c_str(), 0, &st) == 0) {
    result.packed.resize(st.comp_size);
    zip_file_t* file = zip_fopen(archive, name.c_str(), ZIP_FL_COMPRESSED);
    EXPECT_EQ(zip_fread(file, result.packed.data(), result.packed.size()),
              static_cast<zip_int64_t>(result.packed.size()));
    zip_fclose(file);
  }
  zip_close(archive);
  const std::string bytes = ReadAll(archivePath);
  auto u16 = [&](std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
  };
  const std::string signature("PK\3\4", 4);
  for (std::size_t at = bytes.find(signature); at != std::string::npos && at + 30 <= bytes.size();
       at = bytes.find(signature, at + 4)) {
    if (bytes.compare(at + 30, u16(at + 26), name) == 0 && u16(at + 26) == name.size()) {
      result.flags = u16(at + 6);
      break;
    }
  }
  return result;
}

// What libzip's own zlib deflate made of a file at level 9.
std::size_t LibzipDeflateSize(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  const std::size_t size = z.total_out;
  deflateEnd(&z);
  return size;
}

TEST_F(PackerTest, PhotoLikePictureIsPackedSmallerAsPlainDeflateMarkedMaximum) {
  const std::string photo = ziptest::AsString(ziptest::PhotoLike(900, 500, 4));  // 1,350,000 bytes
  Write("in/photo.bmp", photo);
  EXPECT_EQ(Run({"in/photo.bmp"}), 1);
  const auto contents = Contents(root / "out.zip");
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_EQ(contents.at("photo.bmp").data, photo);  // libzip checks the CRC too
  EXPECT_EQ(contents.at("photo.bmp").method, ZIP_CM_DEFLATE);
  const Stored stored = StoredEntry(root / "out.zip", "photo.bmp");
  EXPECT_LT(static_cast<double>(stored.packed.size()), 0.99 * LibzipDeflateSize(photo));
  EXPECT_EQ(stored.flags & 0x0006, 0x0002);  // deflate option: maximum
  EXPECT_EQ(report.progressed, photo.size());
}

TEST_F(PackerTest, EveryLevelReadsBackAndFastLevelsAreMarkedSo) {
  const std::string desktop = ziptest::AsString(ziptest::DesktopLike(400, 300));
  Write("in/desk.bmp", desktop);
  for (int level = 1; level <= 9; ++level) {
    SCOPED_TRACE(level);
    fs::remove(root / "out.zip");
    EXPECT_EQ(Run({"in/desk.bmp"}, [&](PackRequest& r) { r.level = level; }), 1);
    EXPECT_EQ(Contents(root / "out.zip").at("desk.bmp").data, desktop);
    const uint16_t option = StoredEntry(root / "out.zip", "desk.bmp").flags & 0x0006;
    EXPECT_EQ(option, level < 3 ? 0x0004 : level > 7 ? 0x0002 : 0);
  }
}

TEST_F(PackerTest, EntriesAlreadyInTheArchiveKeepTheirBytes) {
  EXPECT_EQ(Run({"in/a.bmp"}, [](PackRequest& r) { r.level = 1; }), 1);
  const Stored before = StoredEntry(root / "out.zip", "a.bmp");
  ASSERT_FALSE(before.packed.empty());
  Write("in/big.bmp", ziptest::AsString(ziptest::PhotoLike(300, 300, 2)));
  EXPECT_EQ(Run({"in/big.bmp", "in/b.txt"}), 2);  // level 9 now
  EXPECT_EQ(StoredEntry(root / "out.zip", "a.bmp").packed, before.packed);
  EXPECT_EQ(Contents(root / "out.zip").size(), 3u);
}

TEST_F(PackerTest, EncryptedEntriesOpenWithThePasswordOnly) {
  const std::string photo = ziptest::AsString(ziptest::PhotoLike(200, 100, 6));
  Write("in/photo.bmp", photo);
  EXPECT_EQ(Run({"in/photo.bmp"},
                [](PackRequest& r) {
                  r.encrypt = true;
                  r.password = "secret";
                }),
            1);
  int error = 0;
  zip_t* archive = zip_open(P("out.zip").c_str(), ZIP_RDONLY, &error);
  ASSERT_NE(archive, nullptr);
  // The entry's one check byte lets a wrong password through once in 256 tries;
  // its data then does not read back.
  if (zip_file_t* wrong = zip_fopen_encrypted(archive, "photo.bmp", 0, "wrong")) {
    std::string garbled(photo.size() + 1, '\0');
    const zip_int64_t read = zip_fread(wrong, garbled.data(), garbled.size());
    EXPECT_FALSE(read == static_cast<zip_int64_t>(photo.size()) &&
                 garbled.compare(0, photo.size(), photo) == 0);
    zip_fclose(wrong);
  }
  zip_file_t* file = zip_fopen_encrypted(archive, "photo.bmp", 0, "secret");
  ASSERT_NE(file, nullptr);
  std::string data(photo.size() + 1, '\0');
  EXPECT_EQ(zip_fread(file, data.data(), data.size()), static_cast<zip_int64_t>(photo.size()));
  data.resize(photo.size());
  EXPECT_EQ(data, photo);
  zip_fclose(file);
  zip_close(archive);
}

TEST_F(PackerTest, StopWhilePackingLeavesThePreviousArchiveAsItWas) {
  EXPECT_EQ(Run({"in/a.bmp"}), 1);
  const std::string before = ReadAll(root / "out.zip");
  Write("in/photo.bmp", ziptest::AsString(ziptest::PhotoLike(400, 400, 8)));
  report.stopAtProgress = true;
  EXPECT_EQ(Run({"in/photo.bmp"}), 0);
  EXPECT_EQ(ReadAll(root / "out.zip"), before);
  ExpectOnlyArchiveAndInput();
}

TEST(PackerNames, WildcardsAndDosNames) {
  EXPECT_TRUE(WildcardMatch("*.bmp", "Shot.BMP"));
  EXPECT_TRUE(WildcardMatch("*.*", "README"));
  EXPECT_TRUE(WildcardMatch("a?c*", "abcdef"));
  EXPECT_FALSE(WildcardMatch("*.bmp", "a.bmpx"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
  EXPECT_EQ(DosName("long folder/screenshot 01.jpeg"), "LONGFOLD/SCREENSH.JPE");
}

TEST(PackerBlock, OnlyBlocksWithTheRightVersionAndCheckAreRead) {
  auto block = std::make_unique<vistlib::zip::ParamBlock>();
  char archive[256] = "C:\\a.zip";
  char spec[256] = "C:\\a.bmp";
  char password[81] = "";
  block->version = 140;
  block->check = 7;
  block->archivePath = archive;
  block->password = password;
  block->specs[0] = spec;
  block->specCount = 1;
  block->level = 9;
  block->junkDirNames = -1;
  block->update = -1;
  block->freshen = -1;
  const std::optional<PackRequest> request = DecodeBlock(*block);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->specs, std::vector<std::string>{"C:\\a.bmp"});
  EXPECT_TRUE(request->junkDirNames);
  EXPECT_FALSE(request->freshen);
  block->check = 8;
  EXPECT_FALSE(DecodeBlock(*block));
  block->check = 7;
  block->specCount = 5000;
  EXPECT_FALSE(DecodeBlock(*block));
}

}  // namespace
}  // namespace zipdll
