#pragma once
// The device's side of the upgrade conversation as a judge of the host: it
// hears every line the host received (as the host logged it, in the order
// the host handled them), every byte the host wrote and the user's Yes, and
// says when a write is not one the protocol allows at that point:
//
// - a sentence must be one of the commands the protocol names, whole, with
//   its checksum;
// - a block count (DBG 103) needs the user's Yes and the device's word on
//   which part it is ready for, and names that part's image's block count;
// - a block must be exactly the next block the device asked for (block 1
//   after the block count; the next after an acknowledgement; the same
//   after a repeat request), of the image that the part and the device's
//   language digits select, in the form its class digit selects;
// - the image sum (TPS 40) goes only after the last block and the device's
//   request for it, and is that image's sum;
// - the application is requested only after the device's -8888 for the
//   kernel's sum, and a finished upgrade needs -8888 after the
//   application's sum.
//
// It reads the protocol from its own description, never from the engine:
// lines are judged with their own checksum, and a reply counts from the
// line that carried it. Where the host may have acted on one of several
// readings (a reply, then another before the next tick), every reading it
// could have acted on is allowed.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace wizard_fuzz {

// One image as the device receives it: its records as stored and the sum of
// their code bytes.
struct ImageFacts {
  static constexpr std::size_t kRecord = 263;

  int number = 0;
  std::vector<std::string> blocks;  // records up to and including the end block
  std::uint32_t sum = 0;

  static ImageFacts Read(int number, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ImageFacts facts;
    facts.number = number;
    for (std::size_t at = 0; at < bytes.size(); at += kRecord) {
      std::string record = bytes.substr(at, kRecord);
      record.resize(kRecord, '\0');
      const std::size_t n = DataLength(record);
      facts.blocks.push_back(record);
      if (n == 0) break;
      for (std::size_t i = 0; i < n; ++i) facts.sum += static_cast<unsigned char>(record[6 + i]);
    }
    return facts;
  }

  // The low 12 bits of the little-endian length word.
  static std::size_t DataLength(const std::string& record) {
    const unsigned word =
        static_cast<unsigned char>(record[4]) | static_cast<unsigned char>(record[5]) << 8;
    return std::min<std::size_t>(word & 0x0FFF, 256);
  }

  // Record `index` in the form with the 16-bit sum of its code bytes in
  // place of the check byte.
  std::string WithSum16(std::size_t index) const {
    const std::string& record = blocks[index];
    unsigned sum16 = 0;
    for (std::size_t i = 0; i < DataLength(record); ++i)
      sum16 += static_cast<unsigned char>(record[6 + i]);
    std::string wire = record.substr(0, 262);
    wire += static_cast<char>(sum16 & 0xFF);
    wire += static_cast<char>(sum16 >> 8 & 0xFF);
    return wire;
  }
};

class ConversationCheck {
 public:
  static constexpr int kKernel = 700;

  explicit ConversationCheck(std::vector<ImageFacts> images) : images_(std::move(images)) {}

  // A line the host received, without its line end.
  void DeviceLine(std::string_view line) {
    if (line.size() > 82) return;  // the host refuses a longer line
    lines_.emplace_back(line);
  }

  void UserSaidYes() { yes_ = true; }

  // Empty when `bytes` may be written now; otherwise what is wrong with it.
  std::string HostWrote(std::string_view bytes) {
    if (!bytes.empty() && bytes[0] == '$') return Command(bytes);
    return Block(bytes);
  }

  // Empty when a finished upgrade is what the device said; else why not.
  std::string FinishedUpgrade() const {
    if (!transfer_.image || *transfer_.image == kKernel)
      return "finished without an application transfer";
    if (!transfer_.sumAt) return "finished before the application's image sum was sent";
    if (!Replied(*transfer_.sumAt, [](std::int64_t v) { return v == -8888; }))
      return "finished without the device's -8888 after the application's image sum";
    return {};
  }

 private:
  // What the host is sending now: a part, from its block count on.
  struct Transfer {
    bool started = false;
    std::set<int> candidates;          // the images it may be (the first blocks settle it)
    std::optional<int> image;          // settled by a block that only one candidate holds
    int lastBlock = 0;                 // 0 right after the block count
    std::size_t sinceLine = 0;         // replies that count for the next block or sum
    std::optional<std::size_t> sumAt;  // lines received when the sum went out
  };

  static std::string Hex2(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
  }

  // Whether a sentence's checksum holds: the exclusive-or of everything
  // between '$' and the first '*', as two hexadecimal digits after it.
  // `star` is where the '*' is; what follows the digits is covered by
  // nothing, and the host writes nothing there.
  static bool ChecksumHolds(std::string_view sentence, std::size_t& star) {
    star = sentence.find('*');
    if (sentence.empty() || star == std::string_view::npos || star + 3 > sentence.size())
      return false;
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
    std::string digits(sentence.substr(star + 1, 2));
    for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return digits == Hex2(sum);
  }

  // The code/value pairs of a received DBG sentence (empty for any other
  // line). As the protocol reads a proprietary sentence, its formatter is the
  // three characters after "$P", or after "$PZLX,<letter>," in the maker's
  // form, whatever follows them in that field; the data fields start after it.
  static std::vector<std::pair<long, std::int64_t>> Replies(const std::string& line) {
    std::vector<std::pair<long, std::int64_t>> pairs;
    std::size_t star = 0;
    if (line.rfind("$P", 0) != 0 || !ChecksumHolds(line, star)) return pairs;
    const auto formatterChar = [&](std::size_t i) {
      return i < star && line[i] != ',' && line[i] != '\r' && line[i] != '\n';
    };
    std::size_t address = 2;
    if (line.compare(2, 3, "ZLX") == 0 && line.size() > 10 && line[5] == ',' && formatterChar(6) &&
        line[7] == ',' && formatterChar(8) && formatterChar(9) && formatterChar(10))
      address = 8;
    if (line.compare(address, 3, "DBG") != 0) return pairs;
    const std::size_t comma = line.find(',', address);
    if (comma == std::string::npos || comma > star) return pairs;
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = comma + 1; i < star; ++i) {
      if (line[i] == ',') {
        fields.push_back(field);
        field.clear();
      } else {
        field += line[i];
      }
    }
    fields.push_back(field);
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
      // A slot without a code carries nothing; an empty value is the lowest
      // 32-bit value, as the protocol stores it.
      if (fields[i].empty()) continue;
      // A value travels through single precision and is cut toward zero.
      const double value = fields[i + 1].empty()
                               ? -2147483648.0
                               : static_cast<float>(std::strtod(fields[i + 1].c_str(), nullptr));
      pairs.emplace_back(std::strtol(fields[i].c_str(), nullptr, 10),
                         static_cast<std::int64_t>(std::clamp(value, -2147483648.0, 2147483647.0)));
    }
    return pairs;
  }

  // Whether a line received from `from` on carries a block reply (code 104)
  // that `fits`.
  template <typename Fits>
  bool Replied(std::size_t from, Fits fits, long code = 104) const {
    for (std::size_t i = from; i < lines_.size(); ++i) {
      for (const auto& [c, v] : Replies(lines_[i]))
        if (c == code && fits(v)) return true;
    }
    return false;
  }

  // The application images and the block forms that some reading of the
  // device's information block selects: a block runs from a line with
  // "[STATIC DATA]" to the next line with '$', '!' or "[DEVICE DATA END]";
  // a later key in a block overrides an earlier one, and a line left from an
  // earlier block may still be read.
  void Selections(std::set<int>& applications, std::set<bool>& withSum16) const {
    const auto application = [](const std::string& line) {
      const std::size_t key = line.find("[MKD]Language=");
      const auto digit = [&](std::size_t offset) {
        return key + offset < line.size() ? line[key + offset] : '\r';
      };
      if (digit(14) != '1' || digit(16) != '2' || digit(18) != '3') return 701;
      switch (digit(20)) {
        case '5':
          return 702;
        case '6':
          return 703;
        case '7':
          return 704;
        default:
          return 701;
      }
    };
    for (std::size_t start = 0; start < lines_.size(); ++start) {
      if (lines_[start].find("[STATIC DATA]") == std::string::npos) continue;
      std::optional<int> last;
      for (std::size_t i = start; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (i > start && (line.find_first_of("$!") != std::string::npos ||
                          line.find("[DEVICE DATA END]") != std::string::npos))
          break;
        if (line.find("[MKD]Language=") != std::string::npos) {
          last = application(line);
          applications.insert(*last);
        }
        if (const std::size_t key = line.find("[ClassA]="); key != std::string::npos)
          withSum16.insert(key + 9 < line.size() && line[key + 9] == '1');
      }
      applications.insert(last.value_or(701));
    }
  }

  const ImageFacts* Image(int number) const {
    for (const ImageFacts& image : images_)
      if (image.number == number) return &image;
    return nullptr;
  }

  std::string Command(std::string_view bytes) {
    if (bytes.size() < 5 || bytes.substr(bytes.size() - 2) != "\r\n")
      return "a sentence without its line end";
    const std::string_view sentence = bytes.substr(0, bytes.size() - 2);
    std::size_t star = 0;
    if (!ChecksumHolds(sentence, star) || star + 3 != sentence.size())
      return "a sentence whose checksum does not hold";
    std::string body(sentence.substr(0, star));
    if (body == "$PZLX,C,DBG,700,1,,,,,," || body == "$PTST,,,,,00016" || body == "$PTST,,,,,00000")
      return {};
    if (body.rfind("$PTPS,040,", 0) == 0) return ImageSum(body.substr(10));
    // DBG: the maker's prefix carries the letter of a DBG sentence received.
    if (body.rfind("$PZLX,", 0) == 0 && body.size() > 8 && body[7] == ',') {
      const char letter = body[6];
      bool heard = false;
      for (const std::string& line : lines_)
        heard = heard || line.find(std::string("ZLX,") + letter + ",DBG") != std::string::npos;
      if (letter < 'A' || letter > 'Z' || !heard) return "a maker letter the device never sent";
      body = "$P" + body.substr(8);
    }
    if (body == "$PDBG,106,1,,,,,,") return {};
    if (body == "$PDBG,107,1,,0,,0,,0") return RequestPart(1);
    if (body == "$PDBG,107,2,,0,,0,,0") return RequestPart(2);
    const std::string count = "$PDBG,103,";
    const std::string tail = ",,0,,0,,0";
    if (body.rfind(count, 0) == 0 && body.size() > count.size() + tail.size() &&
        body.compare(body.size() - tail.size(), tail.size(), tail) == 0)
      return BlockCount(body.substr(count.size(), body.size() - count.size() - tail.size()));
    return "a sentence the protocol does not name: " + body;
  }

  std::string RequestPart(int part) {
    if (part == 2) {
      if (!transfer_.image || *transfer_.image != kKernel || !transfer_.sumAt)
        return "the application requested before the kernel's image sum went out";
      if (!Replied(*transfer_.sumAt, [](std::int64_t v) { return v == -8888; }))
        return "the application requested without the device's -8888 for the kernel";
    }
    requested_ = part;
    requestAt_ = lines_.size();
    transfer_ = {};
    return {};
  }

  std::string BlockCount(const std::string& digits) {
    if (!yes_) return "a block count (the device erases) without the user's Yes";
    if (transfer_.started) {
      // The device counted down again: the same part starts over.
      transfer_.lastBlock = 0;
      transfer_.sumAt.reset();
      transfer_.sinceLine = lines_.size();
      return CountFits(digits);
    }
    if (requested_ == 0) return "a block count before any part was requested";
    std::set<int> parts;
    for (std::size_t i = requestAt_; i < lines_.size(); ++i) {
      for (const auto& [code, value] : Replies(lines_[i]))
        if (code == 3 && (value == 2 || (value == 1 && requested_ == 1)))
          parts.insert(static_cast<int>(value));
    }
    if (parts.empty()) return "a block count before the device said it is ready for the part";
    std::set<int> applications;
    std::set<bool> forms;
    Selections(applications, forms);
    if (parts.count(1)) transfer_.candidates.insert(kKernel);
    if (parts.count(2)) transfer_.candidates.insert(applications.begin(), applications.end());
    transfer_.started = true;
    transfer_.sinceLine = lines_.size();
    return CountFits(digits);
  }

  std::string CountFits(const std::string& digits) const {
    for (const int number : transfer_.candidates) {
      if (const ImageFacts* image = Image(number);
          image && digits == std::to_string(image->blocks.size()))
        return {};
    }
    return "a block count that is not the part's image's: " + digits;
  }

  std::string ImageSum(const std::string& text) {
    if (!transfer_.started || !transfer_.image) return "an image sum outside a transfer";
    const ImageFacts& image = *Image(*transfer_.image);
    if (transfer_.lastBlock != static_cast<int>(image.blocks.size()))
      return "an image sum before the last block";
    if (!Replied(transfer_.sinceLine, [](std::int64_t v) { return v == -8889; }))
      return "an image sum the device did not ask for";
    char expected[9];
    std::snprintf(expected, sizeof expected, "%08X", static_cast<unsigned>(image.sum));
    if (text != expected) return "an image sum that is not the image's: " + text;
    transfer_.sumAt = lines_.size();
    transfer_.sinceLine = lines_.size();
    return {};
  }

  std::string Block(std::string_view bytes) {
    if (!transfer_.started) return "a write that is neither a command nor a block of a transfer";
    if (transfer_.sumAt) return "a block after the image sum";
    std::set<int> applications;
    std::set<bool> forms;
    Selections(applications, forms);
    // Every place the bytes may come from; one that the order allows will do.
    std::string wrong = "a block that is not one of the part's image's blocks";
    std::optional<int> next;
    std::set<int> holders;
    for (const int number : transfer_.candidates) {
      if (transfer_.image && *transfer_.image != number) continue;
      const ImageFacts& image = *Image(number);
      for (std::size_t i = 0; i < image.blocks.size(); ++i) {
        const bool stored = bytes == image.blocks[i];
        if (!stored && bytes != image.WithSum16(i)) continue;
        if (!forms.count(!stored)) {
          wrong = stored ? "a block as stored for a device of class 1"
                         : "a block with its 16-bit sum for a device of another class";
          continue;
        }
        const int b = static_cast<int>(i) + 1;
        if (const std::string order = Order(b); !order.empty()) {
          wrong = order;
          continue;
        }
        holders.insert(number);
        next = b;
      }
    }
    if (!next) return wrong;
    if (holders.size() == 1) transfer_.image = *holders.begin();
    transfer_.lastBlock = *next;
    transfer_.sinceLine = lines_.size();
    return {};
  }

  // Empty when block `b` may follow the last block sent.
  std::string Order(int b) const {
    const int a = transfer_.lastBlock;
    const std::size_t from = transfer_.sinceLine;
    if (a == 0) return b == 1 ? "" : "block " + std::to_string(b) + " first";
    if (b == a + 1) {
      const bool acknowledged = Replied(
          from, [a](std::int64_t v) { return v == a || (v <= 0 && v != -1 && v != a - 1); });
      return acknowledged ? ""
                          : "block " + std::to_string(b) + " before block " + std::to_string(a) +
                                " was acknowledged";
    }
    if (b == a) {
      const bool asked = Replied(from, [a](std::int64_t v) { return v == a - 1 || v == -1; });
      return asked ? "" : "block " + std::to_string(b) + " repeated without a repeat request";
    }
    return "block " + std::to_string(b) + " after block " + std::to_string(a);
  }

  std::vector<ImageFacts> images_;
  std::vector<std::string> lines_;
  bool yes_ = false;
  int requested_ = 0;
  std::size_t requestAt_ = 0;
  Transfer transfer_;
};

}  // namespace wizard_fuzz
