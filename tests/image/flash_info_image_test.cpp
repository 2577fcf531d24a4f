// The 2048-byte flash info image, its records and the buffer that holds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "image/FlashInfoImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Image(const CBuffer& buffer) {
  return Bytes(buffer.m_pData, buffer.m_pData + buffer.m_nSize);
}

// Owns records the way the reader's lists do, as plain pointers.
struct Records {
  std::vector<std::unique_ptr<SatelliteInfo>> satelliteStore;
  std::vector<std::unique_ptr<TpInfo>> tpStore;
  std::vector<SatelliteInfo*> satellites;
  std::vector<TpInfo*> tps;

  SatelliteInfo& AddSatellite() {
    satelliteStore.push_back(std::make_unique<SatelliteInfo>());
    satellites.push_back(satelliteStore.back().get());
    return *satellites.back();
  }
  TpInfo& AddTp() {
    tpStore.push_back(std::make_unique<TpInfo>());
    tps.push_back(tpStore.back().get());
    return *tps.back();
  }
};

TEST(FlashRecords, SatelliteBytesFollowTheLayout) {
  SatelliteInfo s;
  s.setLocalFre1(9750);   // 0x2616
  s.setLocalFre2(10600);  // 0x2968
  s.setTpIndex(1023);
  s.setTpCount(20);
  s.setSateName("Astra 19.2E");
  const Bytes expected = {0x16, 0x26, 0x68, 0x29, 0xFF, 0x53, 'A', 's', 't',
                          'r',  'a',  ' ',  '1',  '9',  '.',  '2', 'E', 0};
  EXPECT_EQ(Bytes(s.bytes.begin(), s.bytes.end()), expected);
  EXPECT_EQ(s.tpIndex(), 1023);
  EXPECT_EQ(s.tpCount(), 20);
}

TEST(FlashRecords, NamesOfTwelveBytesOrMoreHaveNoTerminator) {
  struct {
    const char* name;
    const char* stored;
    bool zeroAfter;
  } const cases[] = {
      {"ElevenBytes", "ElevenBytes", true},
      {"TwelveBytes!", "TwelveBytes!", false},
      {"TwentyBytesOfNameXYZ", "TwentyBytesO", false},
      {"", "", true},
  };
  for (const auto& c : cases) {
    SatelliteInfo s;
    s.bytes.fill(0xEE);
    s.setSateName(c.name);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&s.bytes[6]), std::strlen(c.stored)),
              c.stored)
        << c.name;
    if (c.zeroAfter)
      EXPECT_EQ(s.bytes[6 + std::strlen(c.stored)], 0) << c.name;
    else
      EXPECT_NE(s.bytes[17], 0) << c.name;
  }
}

TEST(FlashRecords, TpWordHoldsFrequencyPolarityAndAZeroTopBit) {
  TpInfo h, v;
  h.setFreAndPolar(14500, 0);  // 0x38A4
  h.setSymbolRate(45000);      // 0xAFC8
  v.setFreAndPolar(1200, 1);   // 0x04B0 | 0x4000
  v.setSymbolRate(1);
  EXPECT_EQ(Bytes(h.bytes.begin(), h.bytes.end()), (Bytes{0xA4, 0x38, 0xC8, 0xAF}));
  EXPECT_EQ(Bytes(v.bytes.begin(), v.bytes.end()), (Bytes{0xB0, 0x44, 0x01, 0x00}));
  EXPECT_EQ(v.fre(), 1200);
  EXPECT_EQ(v.polar(), 1);
}

TEST(FlashInfoImage, OneSatelliteAndNoTp) {
  Records r;
  SatelliteInfo& s = r.AddSatellite();
  s.setLocalFre1(5150);
  s.setLocalFre2(5150);
  s.setSateName("AsiaSat 7");
  CBuffer buffer;
  ASSERT_TRUE(BuildFlashInfoImage(buffer, r.satellites, r.tps));
  Bytes expected(2048, 0);
  std::memcpy(expected.data(), "info", 4);
  expected[16] = 1;
  std::copy(s.bytes.begin(), s.bytes.end(), expected.begin() + 32);
  EXPECT_EQ(Image(buffer), expected);
}

TEST(FlashInfoImage, EmptyListsGiveAHeaderAndZeros) {
  Records r;
  CBuffer buffer;
  ASSERT_TRUE(BuildFlashInfoImage(buffer, r.satellites, r.tps));
  Bytes expected(2048, 0);
  std::memcpy(expected.data(), "info", 4);
  EXPECT_EQ(Image(buffer), expected);
}

TEST(FlashInfoImage, TpsFollowTheSatellitesWithoutAlignment) {
  Records r;
  r.AddSatellite().setSateName("A");
  r.AddSatellite().setSateName("B");
  r.AddSatellite().setSateName("C");
  for (int i = 0; i < 3; ++i) r.AddTp().setFreAndPolar(static_cast<std::uint16_t>(3000 + i), 1);
  CBuffer buffer;
  ASSERT_TRUE(BuildFlashInfoImage(buffer, r.satellites, r.tps));
  const Bytes image = Image(buffer);
  EXPECT_EQ(image[16], 3);
  EXPECT_EQ(image[18], 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(image[38 + 18 * i], 'A' + i);
    const std::size_t tp = 32 + 18 * 3 + 4 * i;  // 86: not 4-byte aligned
    EXPECT_EQ(image[tp] | (image[tp + 1] << 8), (3000 + i) | 0x4000);
  }
  EXPECT_EQ(image[32 + 54 + 12], 0);
}

TEST(FlashInfoImage, ASecondBuildReplacesTheFirst) {
  Records big, small;
  for (int i = 0; i < 10; ++i) big.AddSatellite().setSateName("FULLNAMEXXXX");
  small.AddSatellite().setSateName("X");
  CBuffer buffer;
  ASSERT_TRUE(BuildFlashInfoImage(buffer, big.satellites, big.tps));
  ASSERT_TRUE(BuildFlashInfoImage(buffer, small.satellites, small.tps));
  const Bytes image = Image(buffer);
  ASSERT_EQ(image.size(), 2048u);
  EXPECT_EQ(image[16], 1);
  EXPECT_EQ(std::count(image.begin() + 50, image.end(), 0), 2048 - 50);
}

TEST(FlashInfoImage, LargestAdmittedContentLeavesTheLast32BytesZero) {
  Records r;  // 21 satellites and 401 TPs: 1982 bytes of records
  for (int i = 0; i < 21; ++i) r.AddSatellite().bytes.fill(0xFF);
  for (int i = 0; i < 401; ++i) r.AddTp().bytes.fill(0xFF);
  CBuffer buffer;
  ASSERT_TRUE(BuildFlashInfoImage(buffer, r.satellites, r.tps));
  const Bytes image = Image(buffer);
  EXPECT_EQ(image[18] | (image[19] << 8), 401);
  EXPECT_EQ(image[32 + 1982 - 1], 0xFF);
  EXPECT_EQ(std::count(image.begin() + 32 + 1982, image.end(), 0), 2048 - 32 - 1982);
}

TEST(FlashInfoImage, RecordsPastTheRecordAreaAreRefusedAndTheOldImageKept) {
  Records ok, tooMany;
  ok.AddSatellite().setSateName("kept");
  for (int i = 0; i < 505; ++i) tooMany.AddTp();  // 2020 bytes
  CBuffer buffer;
  ASSERT_TRUE(BuildFlashInfoImage(buffer, ok.satellites, ok.tps));
  EXPECT_FALSE(BuildFlashInfoImage(buffer, tooMany.satellites, tooMany.tps));
  EXPECT_EQ(buffer.m_nSize, 2048u);
  EXPECT_EQ(buffer.m_pData[38], 'k');
}

TEST(Buffer, GrowsByWholeBlocks) {
  std::uint8_t first[256], second[256];
  std::memset(first, 1, sizeof first);
  std::memset(second, 2, sizeof second);
  CBuffer buffer;
  EXPECT_EQ(buffer.m_pData, nullptr);
  EXPECT_FALSE(buffer.Append(nullptr));
  EXPECT_EQ(buffer.m_nSize, 0u);
  ASSERT_TRUE(buffer.Append(first));
  EXPECT_EQ(buffer.m_nSize, 256u);
  ASSERT_TRUE(buffer.Append(second));
  EXPECT_EQ(buffer.m_nSize, 512u);
  EXPECT_EQ(buffer.m_pData[255], 1);
  EXPECT_EQ(buffer.m_pData[256], 2);
  buffer.Clear();
  EXPECT_EQ(buffer.m_pData, nullptr);
  EXPECT_EQ(buffer.m_nSize, 0u);
}

}  // namespace
