// Image validation: every block's header and check byte, the block count,
// the image sum and the three failure texts.

#include "firmware/image_validation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "firmware/code_block.h"
#include "firmware/image_writer.h"

namespace firmware {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Outcome {
  bool valid;
  std::uint32_t blocks;
  std::uint32_t sum;
  std::string status;
};

Outcome Validate(const Bytes& image) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
  EXPECT_TRUE(file);
  std::fwrite(image.data(), 1, image.size(), file.get());
  std::fflush(file.get());
  Outcome out{};
  out.status = "(untouched)";
  out.valid = ValidateImage(file.get(), out.blocks, out.sum,
                            [&](const std::string& text) { out.status = text; });
  // The image held in memory gives the same outcome, text included.
  Outcome held{};
  held.status = "(untouched)";
  held.valid = ValidateImage(std::span<const std::uint8_t>(image), held.blocks, held.sum,
                             [&](const std::string& text) { held.status = text; });
  EXPECT_EQ(held.valid, out.valid);
  EXPECT_EQ(held.blocks, out.blocks);
  EXPECT_EQ(held.status, out.status);
  if (out.valid) {
    EXPECT_EQ(held.sum, out.sum);
  }
  return out;
}

// Three code blocks (256, 256 and 100 bytes) and a full end block.
Bytes Code() {
  Bytes code(612);
  std::mt19937 rng(1);
  for (auto& b : code) b = static_cast<std::uint8_t>(rng());
  return code;
}

std::uint32_t Sum(const Bytes& code) { return std::accumulate(code.begin(), code.end(), 0u); }

// Sum of the first n code bytes.
std::uint32_t SumOfFirst(std::size_t n) {
  const Bytes code = Code();
  return std::accumulate(code.begin(), code.begin() + static_cast<long>(n), 0u);
}

std::uint8_t* Block(Bytes& image, int k) { return image.data() + (k - 1) * kBlockSize; }

struct ImageCase {
  const char* name;
  std::function<void(Bytes&)> damage;
  Outcome expected;
};

class Validation : public testing::TestWithParam<ImageCase> {};

TEST_P(Validation, GivesTheExpectedOutcome) {
  Bytes image = PackImage(Code());
  GetParam().damage(image);
  const Outcome got = Validate(image);
  const Outcome& want = GetParam().expected;
  EXPECT_EQ(got.valid, want.valid);
  EXPECT_EQ(got.blocks, want.blocks);
  EXPECT_EQ(got.status, want.status);
  if (want.valid) {
    EXPECT_EQ(got.sum, want.sum);
  }
}

const std::string kUntouched = "(untouched)";
const std::uint32_t kSum = Sum(Code());

INSTANTIATE_TEST_SUITE_P(
    Image, Validation,
    testing::Values(ImageCase{"WellFormed", [](Bytes&) {}, {true, 4, kSum, kUntouched}},
                    ImageCase{"EndBlockCutToSixBytes",
                              [](Bytes& i) { i.resize(3 * kBlockSize + 6); },
                              {true, 4, kSum, kUntouched}},
                    ImageCase{"NoEndBlockAtARecordBoundary",
                              [](Bytes& i) { i.resize(3 * kBlockSize); },
                              {false, 4, 0, "Invalid BIN file! (Incorrect header in block 4)"}},
                    // The file ends after block 3's code; its check byte reads as zero, so
                    // the code is made to exclusive-or to zero and the block is sound.
                    ImageCase{"ShortLastRecordWithCode",
                              [](Bytes& i) {
                                std::uint8_t* b = Block(i, 3);
                                std::uint8_t x = 0;
                                for (int k = 0; k < 100; ++k) x ^= b[kDataOffset + k];
                                b[kDataOffset + 99] ^= x;
                                i.resize(2 * kBlockSize + kDataOffset + 100);
                              },
                              {false, 3, 0, "Invalid BIN file! (Incomplete code data)"}},
                    ImageCase{"Empty",
                              [](Bytes& i) { i.clear(); },
                              {false, 1, 0, "Invalid BIN file! (Incorrect header in block 1)"}},
                    ImageCase{"UpperLengthBitsOnlyIsAnEndBlock",
                              [](Bytes& i) {
                                Block(i, 2)[4] = 0x00;
                                Block(i, 2)[5] = 0xF0;
                              },
                              {true, 2, SumOfFirst(256), kUntouched}},
                    ImageCase{"BadCheckByteInBlock2",
                              [](Bytes& i) { Block(i, 2)[kCheckOffset] ^= 0x01; },
                              {false, 2, 0, "Invalid BIN file! (Incorrect check sum in block 2)"}},
                    ImageCase{"BadCodeByteInBlock3",
                              [](Bytes& i) { Block(i, 3)[kDataOffset + 99] ^= 0x80; },
                              {false, 3, 0, "Invalid BIN file! (Incorrect check sum in block 3)"}},
                    ImageCase{"FillerBeyondNIsIgnored",
                              [](Bytes& i) {
                                for (std::size_t b = kDataOffset + 100; b < kCheckOffset; ++b)
                                  Block(i, 3)[b] = 0xEE;
                              },
                              {true, 4, kSum, kUntouched}},
                    ImageCase{"LetterOInsteadOfZero",
                              [](Bytes& i) { Block(i, 2)[1] = 'O'; },
                              {false, 2, 0, "Invalid BIN file! (Incorrect header in block 2)"}},
                    ImageCase{"LengthBeyondTheDataArea",
                              [](Bytes& i) {
                                Block(i, 1)[4] = 0x01;  // 257
                                Block(i, 1)[5] = 0x01;
                              },
                              {false, 1, 0, "Invalid BIN file! (Incorrect header in block 1)"}},
                    ImageCase{"BytesAfterTheEndBlockAreNeverRead",
                              [](Bytes& i) { i.insert(i.end(), 1000, 0xAB); },
                              {true, 4, kSum, kUntouched}}),
    [](const testing::TestParamInfo<ImageCase>& row) { return std::string(row.param.name); });

TEST(Validation, RewindsAndResetsOnEveryCall) {
  const Bytes image = PackImage(Code());
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
  std::fwrite(image.data(), 1, image.size(), file.get());
  std::uint32_t blocks = 99, sum = 99;
  // The file position is at its end after writing; validation starts over.
  ASSERT_TRUE(ValidateImage(file.get(), blocks, sum, nullptr));
  ASSERT_TRUE(ValidateImage(file.get(), blocks, sum, nullptr));
  EXPECT_EQ(blocks, 4u);
  EXPECT_EQ(sum, kSum);
}

TEST(Validation, AReadErrorIsNoFormatFault) {
  // A folder opens for reading, but every read of it fails.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> folder(std::fopen("/", "rb"), std::fclose);
  ASSERT_NE(folder, nullptr);
  std::string text;
  std::uint32_t blocks = 0, sum = 0;
  EXPECT_FALSE(ValidateImage(folder.get(), blocks, sum, [&](const std::string& t) { text = t; }));
  EXPECT_EQ(text, "Cannot read BIN file! (Read error in block 1: Is a directory)");
}

// Damaged and cut images: validation stops at a block the file holds and
// says which, and an image passes only if the file holds its end block.
TEST(Validation, ADamagedOrCutImageFailsAtABlockTheFileHolds) {
  std::mt19937 rng(3);
  const std::regex numbered(R"(Invalid BIN file! \(Incorrect (header|check sum) in block (\d+)\))");
  for (int i = 0; i < 300; ++i) {
    Bytes image = PackImage(Bytes(rng() % 2000, 0x5A));
    for (int e = 0; e < 3 && !image.empty(); ++e)
      image[rng() % image.size()] = static_cast<std::uint8_t>(rng());
    image.resize(rng() % (image.size() + 1));
    const Outcome out = Validate(image);
    SCOPED_TRACE(::testing::Message() << "image " << i << ", " << image.size() << " bytes");
    const std::size_t records = image.size() / kBlockSize + 1;  // the last one short or empty
    ASSERT_GE(out.blocks, 1u);
    ASSERT_LE(out.blocks, records);
    if (out.valid) {
      // The end block's magic at least is in the file; the rest reads as zeros.
      EXPECT_LE((out.blocks - 1) * kBlockSize + kMagic.size(), image.size());
      EXPECT_EQ(out.status, "(untouched)");
      continue;
    }
    std::smatch match;
    if (std::regex_match(out.status, match, numbered)) {
      EXPECT_EQ(std::stoul(match[2]), out.blocks);
    } else {
      // The file ended inside a code block that was whole up to there.
      EXPECT_EQ(out.status, "Invalid BIN file! (Incomplete code data)");
      EXPECT_NE(image.size() % kBlockSize, 0u);
      EXPECT_EQ(out.blocks, records);
    }
  }
}

TEST(BlockSum16, SumsTheCodeBytesOnlyLittleEndian) {
  BlockBuffer block{};
  std::copy(kMagic.begin(), kMagic.end(), block.begin());
  block[4] = 3;  // N = 3
  block[kDataOffset + 0] = 0xFF;
  block[kDataOffset + 1] = 0xFF;
  block[kDataOffset + 2] = 0x02;
  block[kDataOffset + 3] = 0x77;  // filler: not summed
  ASSERT_TRUE(BlockSum16(block.data()));
  EXPECT_EQ(block[262], 0x00);  // 0x0200
  EXPECT_EQ(block[263], 0x02);
  EXPECT_FALSE(BlockSum16(nullptr));
}

TEST(BlockSum16, WrapsModulo65536) {
  BlockBuffer block{};
  block[4] = 0x00;
  block[5] = 0x01;  // N = 256
  std::fill(block.begin() + kDataOffset, block.begin() + kDataOffset + 256, 0xFF);
  BlockSum16(block.data());
  const unsigned sum = block[262] | (block[263] << 8);
  EXPECT_EQ(sum, (256u * 0xFF) & 0xFFFF);
}

TEST(WireBlock, AsStoredOrWithTheSixteenBitSum) {
  Bytes image = PackImage(Code());
  BlockBuffer block{};
  std::copy(image.begin(), image.begin() + kBlockSize, block.begin());
  const std::uint8_t check = block[kCheckOffset];

  EXPECT_EQ(PrepareWireBlock(block, false), 263u);
  EXPECT_EQ(block[kCheckOffset], check) << "as stored, the check byte goes out";

  EXPECT_EQ(PrepareWireBlock(block, true), 264u);
  const std::uint32_t sum16 = SumOfFirst(256) & 0xFFFF;
  EXPECT_EQ(block[262] | (block[263] << 8), static_cast<int>(sum16));
  EXPECT_TRUE(std::equal(block.begin(), block.begin() + 262, image.begin()));
}

}  // namespace
}  // namespace firmware
