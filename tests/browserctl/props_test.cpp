#include "props.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

using vantor::kStoredHeaderSize;
using vantor::loadStoredBody;
using vantor::Properties;
using vantor::storedBodySize;
using vantor::storeProperties;

namespace {

std::span<const std::uint8_t, kStoredHeaderSize> header(const std::vector<std::uint8_t>& data) {
  return std::span<const std::uint8_t, kStoredHeaderSize>(data.data(), kStoredHeaderSize);
}

// Stores and loads back through the header, as a stream would.
Properties roundTrip(const Properties& in) {
  const auto data = storeProperties(in);
  EXPECT_TRUE(data);
  const auto size = storedBodySize(header(*data));
  EXPECT_TRUE(size);
  EXPECT_EQ(*size, data->size() - 8);  // "VNT1" and the body's length
  Properties out{u"stale", u"stale", u"stale"};
  EXPECT_TRUE(loadStoredBody(std::span(*data).subspan(kStoredHeaderSize), out));
  return out;
}

TEST(StoredProperties, RoundTripKeepsAbsentApartFromEmpty) {
  const Properties all{u"http://h/\u00e9.jnlp", u"", u"FALSE"};
  const auto back = roundTrip(all);
  EXPECT_EQ(back.app, all.app);
  EXPECT_EQ(back.dbg, std::u16string());
  EXPECT_EQ(back.back, all.back);

  const auto none = roundTrip({});
  EXPECT_FALSE(none.app);
  EXPECT_FALSE(none.dbg);
  EXPECT_FALSE(none.back);

  const Properties some{std::nullopt, std::u16string(u"a\0b", 3), std::nullopt};
  const auto got = roundTrip(some);
  EXPECT_FALSE(got.app);
  EXPECT_EQ(got.dbg, some.dbg);
  EXPECT_FALSE(got.back);
}

TEST(StoredProperties, HeaderMustBeOursAndModest) {
  auto data = *storeProperties({u"x", std::nullopt, std::nullopt});
  data[0] = 'X';
  EXPECT_FALSE(storedBodySize(header(data)));
  const std::vector<std::uint8_t> huge = {'V', 'N', 'T', '1', 0xff, 0xff, 0xff, 0x7f};
  EXPECT_FALSE(storedBodySize(header(huge)));
}

TEST(StoredProperties, DamagedBodiesAreRefusedWithoutChange) {
  const auto data = *storeProperties({u"http://h/a.jnlp", u"1", u"no"});
  const auto body = std::span(data).subspan(kStoredHeaderSize);
  for (std::size_t cut = 0; cut < body.size(); ++cut) {
    Properties p{u"keep", std::nullopt, std::nullopt};
    EXPECT_FALSE(loadStoredBody(body.first(cut), p)) << cut;
    EXPECT_EQ(p.app, u"keep");
    EXPECT_FALSE(p.dbg);
  }
  std::vector<std::uint8_t> longer(body.begin(), body.end());
  longer.push_back(0);
  Properties p;
  EXPECT_FALSE(loadStoredBody(longer, p));
  // a length far beyond the data
  const std::vector<std::uint8_t> lying = {1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff};
  EXPECT_FALSE(loadStoredBody(lying, p));
}

TEST(StoredProperties, LoadingByNameSkipsUnknownNames) {
  // count 2: "zz" = "1", "back" = "x"
  const std::vector<std::uint8_t> body = {
      2, 0, 0, 0, 2, 0, 0, 0, 'z', 0, 'z', 0, 1, 0, 0, 0, '1', 0,
      4, 0, 0, 0, 'b', 0, 'a', 0, 'c', 0, 'k', 0, 1, 0, 0, 0, 'x', 0};
  Properties p{u"old", std::nullopt, std::nullopt};
  ASSERT_TRUE(loadStoredBody(body, p));
  EXPECT_FALSE(p.app);  // not in the stream: absent
  EXPECT_EQ(p.back, u"x");
}

TEST(Resources, TheBitmapIs192By96At24Bits) {
  std::ifstream f(VANTOR_SOURCE_DIR "/isInstalled.bmp", std::ios::binary);
  const std::vector<unsigned char> bmp((std::istreambuf_iterator<char>(f)), {});
  ASSERT_GE(bmp.size(), 54u);
  auto u32 = [&](std::size_t at) {
    return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | static_cast<unsigned>(bmp[at + 3]) << 24;
  };
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(u32(18), 192u);
  EXPECT_EQ(u32(22), 96u);
  EXPECT_EQ(bmp[28], 24);
  EXPECT_EQ(bmp.size(), 54u + 192 * 96 * 3);
}

}  // namespace
