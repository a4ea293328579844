#include "launch.h"

#include "vantormsg.h"

namespace vantor {

std::optional<std::size_t> quotedProgramEnd(std::string_view registered, IsLeadByte isLead) {
  int quotes = 0;
  for (std::size_t i = 0; i < registered.size(); ++i) {
    const auto c = static_cast<unsigned char>(registered[i]);
    if (c == '"' && ++quotes == 2) return i + 1;
    if (isLead(c)) ++i;  // the trail byte is never a quote
  }
  return std::nullopt;
}

std::optional<std::string> launchCommand(std::string_view registered, std::string_view app,
                                         IsLeadByte isLead) {
  const auto end = quotedProgramEnd(registered, isLead);
  if (!end) return std::nullopt;
  // program, blank, app and the terminator must fit the command buffer
  if (*end + 1 + app.size() + 1 > kCommandBufferSize) return std::nullopt;
  std::string line(registered.substr(0, *end));
  line += ' ';
  line += app;
  return line;
}

std::string_view registryText(const char* data, std::size_t size) {
  std::string_view text(data, size);
  return text.substr(0, text.find('\0'));
}

bool navigatesBack(const std::optional<std::u16string>& back, bool closed) {
  if (closed) return false;
  if (!back) return true;
  const std::u16string_view no = msg::kBackFalse;
  if (back->size() != no.size()) return true;
  for (std::size_t i = 0; i < no.size(); ++i) {
    char16_t c = (*back)[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != no[i]) return true;
  }
  return false;
}

std::u16string_view untilNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

}  // namespace vantor
