// Leftovers of a killed save are removed at the next start: only files that
// are ours by name, and only when their writer can be told by it.
#include "partial_file_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vistrel {
namespace {

TEST(PartialFileName, OnlyOurOwnNamesGiveTheirWriter) {
  EXPECT_EQ(PartialFileOwner("Vistrel.bmp" + PartialFileName("", 1234)), 1234u);
  struct Case {
    std::string name;
    std::optional<unsigned long> owner;
  };
  for (const Case& c : std::vector<Case>{{"Vistrel.bmp.vistrel-4294967295.part", 4294967295u},
                                         {"a.vistrel-7.part", 7u},
                                         // A user's own files and other programs' partials stay.
                                         {"Vistrel.bmp.part", std::nullopt},
                                         {"notes.part", std::nullopt},
                                         {".vistrel-12.part", std::nullopt},
                                         {"x.vistrel-.part", std::nullopt},
                                         {"x.vistrel-12a.part", std::nullopt},
                                         {"x.vistrel--12.part", std::nullopt},
                                         {"x.vistrel-0.part", std::nullopt},
                                         {"x.vistrel-4294967296.part", std::nullopt},
                                         {"x.vistrel-99999999999.part", std::nullopt},
                                         {"x.vistrel-12.part.bmp", std::nullopt},
                                         // The archive library's temporary file of a partial.
                                         {"V.zip.vistrel-12.part.0a1B2c3d", 12u},
                                         {"V.zip.vistrel-12.part.0a1b2c3", std::nullopt},
                                         {"V.zip.vistrel-12.part.0a1b2c3g", std::nullopt},
                                         {"V.zip.0a1b2c3d", std::nullopt},
                                         {"x.vistrel-12.PART", std::nullopt}}) {
    EXPECT_EQ(PartialFileOwner(c.name), c.owner) << c.name;
  }
}

}  // namespace
}  // namespace vistrel
