#include "props.h"

#include "vantormsg.h"

#include <algorithm>
#include <string_view>

namespace vantor {

const std::array<PropertyInfo, 3> kPropertyTable = {{
    {msg::kPropApp, 1, &Properties::app},
    {msg::kPropDbg, 3, &Properties::dbg},
    {msg::kPropBack, 4, &Properties::back},
}};

namespace {

constexpr std::uint8_t kMagic[4] = {'V', 'N', 'T', '1'};

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putText(std::vector<std::uint8_t>& out, std::u16string_view text) {
  putU32(out, static_cast<std::uint32_t>(text.size()));
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

std::uint32_t getU32(std::span<const std::uint8_t> in) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | in[static_cast<std::size_t>(i)];
  return v;
}

// Reads sequential fields; any read past the end marks the input bad.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
  bool ok() const { return ok_; }
  bool atEnd() const { return pos_ == in_.size(); }
  std::uint32_t u32() {
    if (!ok_ || in_.size() - pos_ < 4) return fail();
    const auto v = getU32(in_.subspan(pos_, 4));
    pos_ += 4;
    return v;
  }
  std::u16string text() {
    const std::uint32_t n = u32();
    if (!ok_ || (in_.size() - pos_) / 2 < n) {
      fail();
      return {};
    }
    std::u16string s(n, u'\0');
    for (auto& c : s) {
      c = static_cast<char16_t>(in_[pos_] | (in_[pos_ + 1] << 8));
      pos_ += 2;
    }
    return s;
  }

 private:
  std::uint32_t fail() {
    ok_ = false;
    return 0;
  }
  std::span<const std::uint8_t> in_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> storeProperties(const Properties& props) {
  std::vector<std::uint8_t> body;
  std::uint32_t count = 0;
  for (const auto& p : kPropertyTable) count += (props.*p.member).has_value();
  putU32(body, count);
  for (const auto& p : kPropertyTable) {
    const auto& value = props.*p.member;
    if (!value) continue;
    if (value->size() > kMaxStoredBody / 2) return std::nullopt;
    putText(body, p.name);
    putText(body, *value);
    if (body.size() > kMaxStoredBody) return std::nullopt;
  }
  std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
  putU32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::optional<std::uint32_t> storedBodySize(std::span<const std::uint8_t, kStoredHeaderSize> header) {
  if (!std::equal(std::begin(kMagic), std::end(kMagic), header.begin())) return std::nullopt;
  const std::uint32_t size = getU32(header.subspan(4, 4));
  if (size > kMaxStoredBody) return std::nullopt;
  return size;
}

bool loadStoredBody(std::span<const std::uint8_t> body, Properties& props) {
  Reader in(body);
  Properties loaded;
  const std::uint32_t count = in.u32();
  for (std::uint32_t i = 0; in.ok() && i < count; ++i) {
    const std::u16string name = in.text();
    std::u16string value = in.text();
    for (const auto& p : kPropertyTable) {
      if (name == p.name) loaded.*p.member = std::move(value);
    }
  }
  if (!in.ok() || !in.atEnd()) return false;
  props = std::move(loaded);
  return true;
}

}  // namespace vantor
