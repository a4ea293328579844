#include "peres.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace dravik::test {

namespace {

class Reader {
 public:
  explicit Reader(std::vector<unsigned char> data) : data_(std::move(data)) {}

  std::uint32_t u16(std::size_t at) const { return need(at, 2), data_[at] | data_[at + 1] << 8; }
  std::uint32_t u32(std::size_t at) const {
    need(at, 4);
    return static_cast<std::uint32_t>(data_[at]) | static_cast<std::uint32_t>(data_[at + 1]) << 8 |
           static_cast<std::uint32_t>(data_[at + 2]) << 16 | static_cast<std::uint32_t>(data_[at + 3]) << 24;
  }
  void need(std::size_t at, std::size_t n) const {
    if (at > data_.size() || n > data_.size() - at) throw std::runtime_error("PE file is truncated or malformed");
  }

 private:
  std::vector<unsigned char> data_;
};

struct Section {
  std::uint32_t rva, size, offset;
};

constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::uint32_t kRtString = 6;

}  // namespace

std::string utf8FromUtf16(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

PeImage readPeImage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  const Reader r(std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {}));

  if (r.u16(0) != 0x5A4D) throw std::runtime_error(path + " is not an MZ file");
  const std::size_t pe = r.u32(0x3C);
  if (r.u32(pe) != 0x00004550) throw std::runtime_error(path + " has no PE header");
  PeImage image;
  const std::size_t coff = pe + 4;
  image.machine = static_cast<std::uint16_t>(r.u16(coff));
  const std::uint32_t sectionCount = r.u16(coff + 2);
  const std::uint32_t optionalSize = r.u16(coff + 16);
  const std::size_t opt = coff + 20;
  image.magic = static_cast<std::uint16_t>(r.u16(opt));
  if (image.magic != 0x10b && image.magic != 0x20b) throw std::runtime_error(path + ": unknown optional header");
  image.subsystem = static_cast<std::uint16_t>(r.u16(opt + 68));
  const std::size_t dirs = opt + (image.magic == 0x10b ? 96 : 112);
  const std::uint32_t dirCount = r.u32(dirs - 4);
  if (dirCount <= 2) return image;
  const std::uint32_t resourceRva = r.u32(dirs + 2 * 8);
  if (resourceRva == 0) return image;

  std::vector<Section> sections;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::size_t s = opt + optionalSize + i * 40;
    sections.push_back({r.u32(s + 12), r.u32(s + 16), r.u32(s + 20)});
  }
  auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
    for (const Section& s : sections) {
      if (rva >= s.rva && rva - s.rva < s.size) return s.offset + (rva - s.rva);
    }
    throw std::runtime_error("resource address outside every section");
  };
  const std::size_t root = offsetOf(resourceRva);
  // Calls f(id, offsetToData) for each id entry of the directory at `dir`.
  auto entries = [&](std::size_t dir, auto&& f) {
    const std::uint32_t named = r.u16(dir + 12), ids = r.u16(dir + 14);
    for (std::uint32_t i = 0; i < named + ids; ++i) {
      const std::size_t e = dir + 16 + i * 8;
      const std::uint32_t name = r.u32(e);
      if (name & kSubdirectory) continue;  // a named entry: not ours
      f(name, r.u32(e + 4));
    }
  };
  entries(root, [&](std::uint32_t type, std::uint32_t typeData) {
    if (type != kRtString || !(typeData & kSubdirectory)) return;
    entries(root + (typeData & ~kSubdirectory), [&](std::uint32_t block, std::uint32_t blockData) {
      if (!(blockData & kSubdirectory) || block == 0) throw std::runtime_error("malformed string block");
      entries(root + (blockData & ~kSubdirectory), [&](std::uint32_t lang, std::uint32_t langData) {
        if (langData & kSubdirectory) throw std::runtime_error("malformed string language entry");
        const std::size_t entry = root + langData;
        const std::size_t at = offsetOf(r.u32(entry));
        const std::size_t size = r.u32(entry + 4);
        r.need(at, size);
        std::size_t p = at;
        for (unsigned k = 0; k < 16; ++k) {
          if (p + 2 > at + size) throw std::runtime_error("string block overruns its data");
          const std::uint32_t length = r.u16(p);
          p += 2;
          if (p + length * 2 > at + size) throw std::runtime_error("string overruns its block");
          std::u16string text;
          for (std::uint32_t c = 0; c < length; ++c) text += static_cast<char16_t>(r.u16(p + c * 2));
          p += length * 2;
          if (length > 0) image.strings[static_cast<std::uint16_t>(lang)][(block - 1) * 16 + k] = utf8FromUtf16(text);
        }
      });
    });
  });
  return image;
}

}  // namespace dravik::test
