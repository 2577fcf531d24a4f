// zembra-tp show, diff and export on TP files, and the round trip
// export -> build over thousands of generated images.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "cli/commands.h"
#include "image/FlashInfoDecoder.h"
#include "image/FlashInfoImage.h"
#include "report/LogStd.h"
#include "support/channel_workbook.h"
#include "support/temp_dir.h"

namespace {

using namespace test_support;
using zembra_cli::TpFileOptions;

class TpFiles : public ::testing::Test {
 protected:
  void SetUp() override { report_testing::ResetReportState(dir_.dir()); }
  void TearDown() override { report_testing::ResetReportState(""); }

  std::string WriteTp(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_.path() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  template <typename F>
  int Run(F&& command) {
    out_.str("");
    err_.str("");
    return command(out_, err_);
  }

  TempDir dir_;
  std::ostringstream out_, err_;
};

const std::string kImage =
    ImageBytes({{9750, 10600, 1, 2, "Astra 1KR"}, {5150, 5150, 3, 0, "Asia"}},
               {{3840, 'H', 27500}, {10729, 'V', 22000}, {11720, 'H', 27500}});

TEST_F(TpFiles, ShowListsSatellitesTheirTpsAndTheFindings) {
  const std::string path = WriteTp("a.bin", kImage);
  EXPECT_EQ(Run([&](auto& o, auto& e) { return zembra_cli::RunShow(path, {}, o, e); }),
            zembra_cli::kOk);
  EXPECT_EQ(out_.str(), path +
                            ": 2 satellites, 3 TPs, 48 of 2016 record bytes used\n"
                            "  1  LO  9750/10600  TPs 1-2 (2)  Astra 1KR\n"
                            "       10729 V 22000\n"
                            "       11720 H 27500\n"
                            "  2  LO  5150/ 5150  TPs 3-3 (0)  Asia\n"
                            "TPs that belong to no satellite:\n"
                            "    0   3840 H 27500\n"
                            "Valid.\n");
  std::string broken = kImage;
  broken[0] = 'I';
  const std::string bad = WriteTp("bad.bin", broken);
  TpFileOptions json;
  json.json = true;
  EXPECT_EQ(Run([&](auto& o, auto& e) { return zembra_cli::RunShow(bad, json, o, e); }),
            zembra_cli::kImportFailed);
  EXPECT_NE(out_.str().find("\"valid\": false"), std::string::npos);
  EXPECT_NE(out_.str().find(
                "{\"offset\": 0, \"message\": \"the file does not start with \\\"info\\\"\"}"),
            std::string::npos)
      << out_.str();
  EXPECT_NE(out_.str().find(
                "\"unassignedTps\": [{\"index\": 0, \"tp\": {\"fre\": 3840, \"polar\": \"H\", "
                "\"symbolRate\": 27500}}]"),
            std::string::npos);
  EXPECT_EQ(
      Run([&](auto& o, auto& e) { return zembra_cli::RunShow(dir_.dir() + "none.bin", {}, o, e); }),
      zembra_cli::kUsageError);
}

TEST_F(TpFiles, DiffSaysWhatChangedBySatellite) {
  const std::string before = WriteTp("old.bin", kImage);
  EXPECT_EQ(Run([&](auto& o, auto& e) { return zembra_cli::RunDiff(before, before, {}, o, e); }),
            zembra_cli::kOk);
  EXPECT_EQ(out_.str(), "");
  const std::string after = WriteTp(
      "new.bin",
      ImageBytes(
          {{9750, 10700, 1, 2, "Astra 1KR"}, {5150, 5150, 3, 1, "Hot Bird"}},
          {{3840, 'H', 27500}, {10729, 'V', 27500}, {11000, 'V', 27500}, {4000, 'H', 1000}}));
  EXPECT_EQ(Run([&](auto& o, auto& e) { return zembra_cli::RunDiff(before, after, {}, o, e); }),
            zembra_cli::kImportFailed);
  EXPECT_EQ(out_.str(),
            "Satellite changed: Astra 1KR (1)\n"
            "  local frequencies 9750/10600 -> 9750/10700\n"
            "  TP 10729 V: symbol rate 22000 -> 27500\n"
            "  TP removed: 11720 H 27500\n"
            "  TP added: 11000 V 27500\n"
            "Satellite changed: Hot Bird (2)\n"
            "  name Asia -> Hot Bird\n"
            "  TP added: 4000 H 1000\n");
}

TEST_F(TpFiles, ExportRefusesNamesTheImportCannotGiveBack) {
  const std::string path = WriteTp("names.bin", ImageBytes({{9750, 10600, 0, 0, "trailing "},
                                                            {9750, 10600, 0, 0, "\xff\xfe"},
                                                            {9750, 10600, 0, 0, "_x0041_"}},
                                                           {}));
  EXPECT_EQ(Run([&](auto& o, auto& e) {
              return zembra_cli::RunExport(path, dir_.dir() + "out.xlsx", {}, o, e);
            }),
            zembra_cli::kImportFailed);
  EXPECT_EQ(err_.str(),
            "Error: the name of satellite 1 cannot be written: it ends in white space, which the "
            "import drops\n"
            "Error: the name of satellite 2 cannot be written: its bytes are no text in UTF-8\n"
            "Error: the name of satellite 3 cannot be written: it holds an escape sequence of the "
            "workbook "
            "format (_xHHHH_)\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "out.xlsx"));
}

// Generated images within every rule of the import, with names of 0 to 15
// bytes of ASCII and non-ASCII characters.
struct Generated {
  std::vector<SatelliteInfo> satellites;
  std::vector<TpInfo> tps;
  bool representable = true;
};

bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

Generated Generate(std::mt19937& random) {
  auto pick = [&](int low, int high) {
    const int r = static_cast<int>(random() % 10);
    if (r == 0) return low;
    if (r == 1) return high;
    return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
  };
  // Mostly ASCII: a name cut inside a character, or ending in a blank, is
  // one the export must refuse, and those should stay the minority.
  const char* pieces[] = {"A", "z", "7", "B", "s", "#", "-", ".",
                          "S", "t", "a", "r", " ", "ü", "中"};
  // Most images keep to ASCII without blanks; the rest mix in blanks and
  // multi-byte characters.
  const std::size_t pool = random() % 10 < 7 ? 12 : std::size(pieces);
  Generated g;
  auto addTp = [&] {
    TpInfo t;
    t.setFreAndPolar(static_cast<std::uint16_t>(pick(1200, 14500)),
                     static_cast<std::uint8_t>(random() % 2));
    t.setSymbolRate(static_cast<std::uint16_t>(pick(1, 45000)));
    g.tps.push_back(t);
  };
  auto used = [&] {
    return 18 * static_cast<int>(g.satellites.size()) + 4 * static_cast<int>(g.tps.size());
  };
  for (int n = static_cast<int>(random() % 3); n > 0; --n)
    addTp();  // TPs before the first satellite
  const int satellites = static_cast<int>(random() % 30);
  for (int k = 0; k < satellites && used() + 38 < 2000; ++k) {
    SatelliteInfo s;
    s.setLocalFre1(static_cast<std::uint16_t>(pick(5000, 11300)));
    s.setLocalFre2(static_cast<std::uint16_t>(pick(5000, 11300)));
    s.setTpIndex(static_cast<std::uint16_t>(g.tps.size()));
    std::string name;
    for (int bytes = static_cast<int>(random() % 16); static_cast<int>(name.size()) < bytes;) {
      name += pieces[random() % pool];
    }
    s.setSateName(name);
    const std::string stored(s.sateName());
    if (!ValidUtf8(stored) || (!stored.empty() && stored.back() == ' ')) g.representable = false;
    g.satellites.push_back(s);
    int count = 0;
    for (int n = pick(0, 20); n > 0 && used() + 20 < 2000; --n, ++count) addTp();
    g.satellites.back().setTpCount(static_cast<std::uint16_t>(count));
  }
  if (g.satellites.empty()) g.tps.clear();  // the import makes no TPs without a satellite
  return g;
}

TEST_F(TpFiles, ExportThenBuildGivesTheSameImage) {
  std::mt19937 random(0x5A7E111);
  int roundTrips = 0;
  for (int i = 0; i < 2000; ++i) {
    const Generated g = Generate(random);
    std::vector<SatelliteInfo*> satellites;
    std::vector<TpInfo*> tps;
    for (auto& s : const_cast<std::vector<SatelliteInfo>&>(g.satellites)) satellites.push_back(&s);
    for (auto& t : const_cast<std::vector<TpInfo>&>(g.tps)) tps.push_back(&t);
    CBuffer image;
    ASSERT_TRUE(BuildFlashInfoImage(image, satellites, tps));
    const std::string bytes(reinterpret_cast<const char*>(image.m_pData), image.m_nSize);
    const std::string tpFile = WriteTp("in.bin", bytes);
    const std::string book = dir_.dir() + "back.xlsx";
    const std::string rebuilt = dir_.dir() + "back.bin";
    SCOPED_TRACE("case " + std::to_string(i));
    ASSERT_EQ(Run([&](auto& o, auto& e) { return zembra_cli::RunShow(tpFile, {}, o, e); }),
              zembra_cli::kOk)
        << out_.str();
    const int exported =
        Run([&](auto& o, auto& e) { return zembra_cli::RunExport(tpFile, book, {}, o, e); });
    if (!g.representable) {
      EXPECT_EQ(exported, zembra_cli::kImportFailed);
      continue;
    }
    ASSERT_EQ(exported, zembra_cli::kOk) << err_.str();
    ASSERT_EQ(Run([&](auto& o, auto& e) { return zembra_cli::RunBuild(book, rebuilt, o, e); }),
              zembra_cli::kOk)
        << err_.str();
    ASSERT_EQ(ReadFileBytes(rebuilt), bytes);
    ++roundTrips;
  }
  EXPECT_GT(roundTrips, 1000);
}

}  // namespace
