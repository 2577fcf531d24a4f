// Reading TP files back: every way an image can differ from what the
// import makes is found, with its offset, and no bytes make the decoder fail.
#include <gtest/gtest.h>

#include <random>

#include "image/FlashInfoDecoder.h"
#include "support/channel_workbook.h"

namespace {

using test_support::ImageBytes;
using test_support::SatRecord;
using test_support::TpRecord;

DecodedImage Decode(const std::string& bytes) {
  return DecodeFlashInfoImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void Put16(std::string& bytes, std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<char>(v & 0xFF);
  bytes[at + 1] = static_cast<char>(v >> 8);
}

const std::string kValid =
    ImageBytes({{9750, 10600, 1, 2, "Astra"}, {5150, 5150, 3, 1, "AsiaSat"}},
               {{3840, 'H', 27500}, {10729, 'V', 22000}, {11720, 'H', 27500}, {4000, 'V', 1}});

TEST(FlashInfoDecoder, AValidImageDecodesWithoutFindings) {
  const DecodedImage image = Decode(kValid);
  EXPECT_TRUE(image.valid()) << image.findings.front().message;
  ASSERT_EQ(image.satellites.size(), 2u);
  EXPECT_EQ(image.satellites[0].sateName(), "Astra");
  EXPECT_EQ(image.satellites[1].tpIndex(), 3);
  ASSERT_EQ(image.tps.size(), 4u);
  EXPECT_EQ(image.tps[1].polar(), 1);
  EXPECT_EQ(image.recordBytes(), 52u);
  EXPECT_EQ(LeadingUnassignedTps(image), 1u);
}

TEST(FlashInfoDecoder, EveryFindingWithItsOffset) {
  struct Case {
    const char* name;
    std::function<void(std::string&)> corrupt;
    std::size_t offset;
    const char* mentions;
  };
  // Satellite records at 32 and 50, TPs at 68, 72, 76, 80.
  const Case cases[] = {
      {"short file", [](std::string& b) { b.resize(2047); }, 0, "2047 bytes, not 2048"},
      {"long file", [](std::string& b) { b.push_back('\0'); }, 0, "2049 bytes"},
      {"magic", [](std::string& b) { b[3] = 'O'; }, 0, "does not start with \"info\""},
      {"reserved 4-15", [](std::string& b) { b[7] = 1; }, 7, "reserved header bytes are not zero"},
      {"reserved 20-31", [](std::string& b) { b[25] = 1; }, 25,
       "reserved header bytes are not zero"},
      {"counts past 2016", [](std::string& b) { Put16(b, 16, 110); }, 16, "past offset 2016"},
      {"range past the TP count", [](std::string& b) { Put16(b, 54, 3 | (2 << 10)); }, 54,
       "run past the 4 TPs"},
      {"ranges that overlap", [](std::string& b) { Put16(b, 54, 2 | (1 << 10)); }, 54,
       "overlap those of satellite 1"},
      {"TPs between ranges", [](std::string& b) { Put16(b, 36, 1 | (1 << 10)); }, 54,
       "TPs 2 to 2 belong to no satellite"},
      {"TPs after the last range", [](std::string& b) { Put16(b, 54, 3 | (0 << 10)); }, 80,
       "TPs 3 to 3 belong to no satellite"},
      {"TPs without satellites", [](std::string& b) { Put16(b, 16, 0); }, 18,
       "TPs but no satellite"},
      {"tpCount over 20", [](std::string& b) { Put16(b, 36, 1 | (21 << 10)); }, 36,
       "21 TPs, more than 20"},
      {"local frequency 1", [](std::string& b) { Put16(b, 32, 4999); }, 32,
       "local frequency 1 4999 is outside 5000 to 11300"},
      {"local frequency 2", [](std::string& b) { Put16(b, 52, 11301); }, 52,
       "local frequency 2 11301"},
      {"TP frequency", [](std::string& b) { Put16(b, 72, 14501 | 0x4000); }, 72,
       "TP 1: frequency 14501"},
      {"TP symbol rate", [](std::string& b) { Put16(b, 82, 0); }, 82, "TP 3: symbol rate 0"},
      {"bit 15", [](std::string& b) { b[69] = static_cast<char>(b[69] | 0x80); }, 69, "bit 15"},
      {"bytes after the records", [](std::string& b) { b[2040] = 1; }, 2040,
       "bytes after the records are not zero"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = kValid;
    c.corrupt(bytes);
    const DecodedImage image = Decode(bytes);
    ASSERT_FALSE(image.valid());
    bool found = false;
    for (const auto& f : image.findings) {
      if (f.offset == c.offset && f.message.find(c.mentions) != std::string::npos) found = true;
    }
    EXPECT_TRUE(found) << "first finding: " << image.findings.front().offset << " "
                       << image.findings.front().message;
  }
}

TEST(FlashInfoDecoder, RecordsPastWhatTheImportAdmitsAreFound) {
  // 21 satellites of 20 TPs fit the file (2016 bytes) but not the import.
  std::vector<SatRecord> sats;
  std::vector<TpRecord> tps;
  for (int s = 0; s < 21; ++s) {
    sats.push_back({9750, 10600, static_cast<std::uint16_t>(20 * s), 20, "S"});
    for (int t = 0; t < 20; ++t) tps.push_back({10700, 'H', 27500});
  }
  std::string bytes = ImageBytes(sats, {});
  Put16(bytes, 18, 420);
  for (std::size_t j = 0; j < 420 && 32 + 18 * 21 + 4 * j + 4 <= 2048; ++j) {
    Put16(bytes, 32 + 18 * 21 + 4 * j, 10700);
    Put16(bytes, 32 + 18 * 21 + 4 * j + 2, 27500);
  }
  const DecodedImage image = Decode(bytes);
  EXPECT_FALSE(image.valid());
  bool capacity = false;
  for (const auto& f : image.findings)
    capacity |= f.message.find("what the import admits") != std::string::npos;
  EXPECT_TRUE(capacity);
}

TEST(FlashInfoDecoder, AnyBytesDecodeWithoutHarm) {
  std::mt19937 random(20261211);
  for (int i = 0; i < 20000; ++i) {
    std::string bytes = kValid;
    if (i % 10 == 0) bytes.resize(random() % 2100);
    for (int flips = 1 + static_cast<int>(random() % 8); flips > 0 && !bytes.empty(); --flips) {
      bytes[random() % bytes.size()] = static_cast<char>(random());
    }
    const DecodedImage image = Decode(bytes);
    EXPECT_LE(image.recordBytes(), bytes.size());
  }
}

}  // namespace
