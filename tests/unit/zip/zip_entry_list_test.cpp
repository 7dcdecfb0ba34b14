// The entry-list reader finds damage in archives and in executables made
// from them; it must never read out of bounds, whatever the bytes say.
#include <gtest/gtest.h>

#include "zip_entry_list.h"
#include "zip_test_archive.h"

namespace vistlib::zip {
namespace {

using ziptest::Bytes;
using ziptest::MakeArchive;
using ziptest::MemorySource;
using ziptest::TestArchive;

EntryListResult Read(const Bytes& bytes, const std::string& name = "a.zip", int64_t seekLimit = -1) {
  MemorySource source(bytes, seekLimit);
  return ReadZipEntries(source, name);
}

TestArchive TwoEntries() {
  return MakeArchive({{"first.txt", "hello world", ""}, {"second.bmp", std::string(300, 'x'), "EX"}});
}

// A stub of `size` bytes with the local-header signature at `falseAt`
// followed by a header whose data would run past the end.
Bytes Stub(std::size_t size, std::size_t falseAt) {
  Bytes stub(size, 0x90);
  if (falseAt + 30 <= size) {
    stub[falseAt] = 'P';
    stub[falseAt + 1] = 'K';
    stub[falseAt + 2] = 3;
    stub[falseAt + 3] = 4;
    ziptest::PutLe32(stub, falseAt + 18, 0x7FFFFFFF);
  }
  return stub;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(ZipEntryList, ReadsEveryEntryAndStopsAtTheCentralDirectory) {
  const EntryListResult r = Read(TwoEntries().bytes);
  EXPECT_EQ(r.message, "");
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].name, "first.txt");
  EXPECT_EQ(r.entries[0].size, 11u);
  EXPECT_EQ(r.entries[1].name, "second.bmp");
  EXPECT_EQ(r.entries[1].extraLength, 2u);
  EXPECT_EQ(r.entries[1].compressedSize, 300u);
}

TEST(ZipEntryList, TruncationAtAnyOffsetIsReportedOrHarmless) {
  const TestArchive a = TwoEntries();
  for (std::size_t cut = 0; cut < a.bytes.size(); ++cut) {
    const Bytes part(a.bytes.begin(), a.bytes.begin() + cut);
    const EntryListResult r = Read(part);
    if (cut < a.localOffsets[1] + 22) {
      // Not even the first entry fits before the end record's room.
      EXPECT_TRUE(r.message == "No valid zip entries found" || r.message == "Error reading Zip File")
          << cut << ": " << r.message;
    } else if (cut < a.centralOffset + 22) {
      // The second header or its data is cut off.
      EXPECT_FALSE(r.message.empty()) << cut;
      EXPECT_LE(r.entries.size(), 1u) << cut;
    }
    EXPECT_LE(r.entries.size(), 2u);
  }
}

TEST(ZipEntryList, EachDamageHasItsMessageOnceAnEntryWasRead) {
  const TestArchive good = TwoEntries();
  const std::size_t second = good.localOffsets[1];
  {
    // Header cut short: the file ends inside the second header's name.
    Bytes b(good.bytes.begin(), good.bytes.begin() + second + 32);
    EXPECT_EQ(Read(b).message, "Error 2 reading Zip file");
  }
  {
    Bytes b = good.bytes;  // extra field length running past the end
    ziptest::PutLe16(b, second + 28, 0xFFFF);
    EXPECT_EQ(Read(b).message, "Error 3 reading Zip file");
  }
  {
    Bytes b = good.bytes;  // data length running past the end
    ziptest::PutLe32(b, second + 18, 100000);
    const EntryListResult r = Read(b);
    EXPECT_EQ(r.message, "Error 3 reading Zip file");
    EXPECT_EQ(r.entries.size(), 1u);
  }
  // A file that shrinks under the reader: skipping the extra field or the
  // data of the second entry fails.
  const std::size_t extraAt = second + 30 + 10;
  EXPECT_EQ(Read(good.bytes, "a.zip", static_cast<int64_t>(extraAt)).message, "Error 4 reading Zip file");
  EXPECT_EQ(Read(good.bytes, "a.zip", static_cast<int64_t>(extraAt + 2)).message,
            "Error 5 reading Zip file");
  {
    // No central directory: entries followed by bytes that are no record.
    TestArchive one = MakeArchive({{"a", "abc", ""}});
    Bytes b(one.bytes.begin(), one.bytes.begin() + static_cast<long>(one.centralOffset));
    b.insert(b.end(), 26, 0x11);
    const EntryListResult r = Read(b);
    EXPECT_EQ(r.message, "Error reading Zip File");
    EXPECT_EQ(r.entries.size(), 1u);
  }
}

TEST(ZipEntryList, UnknownRecordsAreSkippedFourBytesAtATime) {
  const TestArchive a = TwoEntries();
  Bytes b(a.bytes.begin(), a.bytes.begin() + static_cast<long>(a.localOffsets[1]));
  b.insert(b.end(), 8, 0);
  b.insert(b.end(), a.bytes.begin() + static_cast<long>(a.localOffsets[1]), a.bytes.end());
  const EntryListResult r = Read(b);
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(r.entries.size(), 2u);
}

TEST(ZipEntryList, BadFirstHeaderWithNothingAfterItIsNoValidEntry) {
  TestArchive a = MakeArchive({{"a.txt", "abc", ""}});
  ziptest::PutLe32(a.bytes, 18, 50000);
  EXPECT_EQ(Read(a.bytes).message, "No valid zip entries found");
  EXPECT_EQ(Read(Bytes{}).message, "No valid zip entries found");
}

TEST(ZipEntryList, ExecutableSkipsTheStubAndItsFalseMatches) {
  const Bytes archive = TwoEntries().bytes;
  // A false match before 14000 is never looked at, one after it is passed over.
  const Bytes exe = Concat(Stub(20000, 15000), archive);
  EntryListResult r = Read(exe, "C:\\out\\a.EXE");
  EXPECT_EQ(r.message, "");
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].name, "first.txt");

  // The same bytes named .zip are scanned from the start and still found.
  r = Read(Concat(Stub(20000, 100), archive), "a.zip");
  EXPECT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.message, "");
}

TEST(ZipEntryList, ExecutableGivesUpSixtyThousandBytesAfterTheStubStart) {
  const Bytes archive = TwoEntries().bytes;
  EXPECT_EQ(Read(Concat(Stub(73990, 0), archive), "a.exe").entries.size(), 2u);
  EXPECT_EQ(Read(Concat(Stub(74000, 0), archive), "a.exe").message, "No valid zip entries found");
  // A stub shorter than 14000 bytes hides the first entry from the scan.
  EXPECT_EQ(Read(Concat(Stub(1000, 0), archive), "a.exe").message, "No valid zip entries found");
}

}  // namespace
}  // namespace vistlib::zip
