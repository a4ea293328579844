#include "regscript.h"

namespace vantor {

namespace {

bool isWordChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'.' || c == u'_' || c == u'-';
}

bool sameWord(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct Token {
  enum Kind { end, word, text, open, close, equals } kind = end;
  std::u16string value;
};

class Parser {
 public:
  Parser(std::u16string_view text, const Substitutions& subst, std::string& error)
      : text_(text), subst_(subst), error_(error) {}

  std::optional<RegScript> script() {
    RegScript s;
    next();
    while (ok_ && tok_.kind != Token::end) {
      if (tok_.kind != Token::word ||
          !(sameWord(tok_.value, u"HKCR") || sameWord(tok_.value, u"HKEY_CLASSES_ROOT")))
        return fail("only HKCR keys can be registered");
      next();
      if (!expect(Token::open, "'{' after the root key")) break;
      while (ok_ && tok_.kind != Token::close && tok_.kind != Token::end) s.keys.push_back(key());
      expect(Token::close, "'}' closing the root key");
    }
    if (!ok_) return std::nullopt;
    return s;
  }

 private:
  RegKey key() {
    RegKey k;
    if (tok_.kind == Token::word && sameWord(tok_.value, u"ForceRemove")) {
      k.removal = RegKey::Removal::forceRemove;
      next();
    } else if (tok_.kind == Token::word && sameWord(tok_.value, u"NoRemove")) {
      k.removal = RegKey::Removal::noRemove;
      next();
    }
    if (tok_.kind != Token::word && tok_.kind != Token::text) {
      fail("a key name expected");
      return k;
    }
    k.name = tok_.value;
    if (k.name.empty() || k.name.find(u'\\') != std::u16string::npos) {
      fail("a key name must be one non-empty part");
      return k;
    }
    next();
    if (tok_.kind == Token::equals) k.values.push_back({u"", stringValue()});
    if (tok_.kind == Token::open) {
      next();
      while (ok_ && tok_.kind != Token::close) {
        if (tok_.kind == Token::word && sameWord(tok_.value, u"val")) {
          next();
          if (tok_.kind != Token::word && tok_.kind != Token::text) {
            fail("a value name expected after 'val'");
            break;
          }
          std::u16string name = tok_.value;
          next();
          if (tok_.kind != Token::equals) {
            fail("'=' expected after the value name");
            break;
          }
          k.values.push_back({std::move(name), stringValue()});
        } else if (tok_.kind == Token::end) {
          fail("'}' missing");
        } else {
          k.subkeys.push_back(key());
        }
      }
      next();
    }
    return k;
  }

  // At '=': reads "s '<data>'" and moves past it.
  std::u16string stringValue() {
    next();
    if (tok_.kind != Token::word || tok_.value != u"s") {
      fail("only string values (s '...') are supported");
      return {};
    }
    next();
    if (tok_.kind != Token::text) {
      fail("a quoted value expected");
      return {};
    }
    std::u16string data = tok_.value;
    next();
    return data;
  }

  bool expect(Token::Kind kind, const char* what) {
    if (tok_.kind != kind) {
      fail(std::string("expected ") + what);
      return false;
    }
    next();
    return true;
  }

  std::nullopt_t fail(const std::string& what) {
    if (ok_) error_ = "line " + std::to_string(line_) + ": " + what;
    ok_ = false;
    tok_.kind = Token::end;
    return std::nullopt;
  }

  void next() {
    if (!ok_) return;
    while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t' ||
                                   text_[pos_] == u'\r' || text_[pos_] == u'\n')) {
      if (text_[pos_] == u'\n') ++line_;
      ++pos_;
    }
    tok_.value.clear();
    if (pos_ == text_.size()) {
      tok_.kind = Token::end;
      return;
    }
    const char16_t c = text_[pos_];
    if (c == u'{' || c == u'}' || c == u'=') {
      tok_.kind = c == u'{' ? Token::open : c == u'}' ? Token::close : Token::equals;
      ++pos_;
    } else if (c == u'\'') {
      tok_.kind = Token::text;
      quoted();
    } else if (isWordChar(c)) {
      tok_.kind = Token::word;
      while (pos_ < text_.size() && isWordChar(text_[pos_])) tok_.value += text_[pos_++];
    } else {
      fail("unexpected character");
    }
  }

  void quoted() {
    ++pos_;
    for (;;) {
      if (pos_ == text_.size() || text_[pos_] == u'\n') {
        fail("unterminated quoted text");
        return;
      }
      const char16_t c = text_[pos_++];
      if (c == u'\'') {
        if (pos_ < text_.size() && text_[pos_] == u'\'') {
          tok_.value += u'\'';
          ++pos_;
          continue;
        }
        return;
      }
      if (c != u'%') {
        tok_.value += c;
        continue;
      }
      const auto close = text_.find(u'%', pos_);
      if (close == std::u16string_view::npos) {
        fail("unterminated %placeholder%");
        return;
      }
      const auto name = text_.substr(pos_, close - pos_);
      pos_ = close + 1;
      if (name.empty()) {
        tok_.value += u'%';
      } else if (auto it = subst_.find(name); it != subst_.end()) {
        tok_.value += it->second;
      } else {
        fail("unknown placeholder");
        return;
      }
    }
  }

  std::u16string_view text_;
  const Substitutions& subst_;
  std::string& error_;
  std::size_t pos_ = 0;
  int line_ = 1;
  bool ok_ = true;
  Token tok_;
};

std::u16string childPath(const std::u16string& parent, const std::u16string& name) {
  return parent.empty() ? name : parent + u'\\' + name;
}

long registerKey(const RegKey& key, const std::u16string& parent, RegistryTarget& target) {
  const auto path = childPath(parent, key.name);
  long rc = 0;
  if (key.removal == RegKey::Removal::forceRemove) rc = target.deleteTree(path);
  if (rc == 0) rc = target.createKey(path);
  for (const auto& v : key.values) {
    if (rc == 0) rc = target.setString(path, v.name, v.data);
  }
  for (const auto& sub : key.subkeys) {
    if (rc == 0) rc = registerKey(sub, path, target);
  }
  return rc;
}

long unregisterKey(const RegKey& key, const std::u16string& parent, RegistryTarget& target) {
  const auto path = childPath(parent, key.name);
  if (key.removal != RegKey::Removal::noRemove) return target.deleteTree(path);
  long first = 0;
  for (const auto& sub : key.subkeys) {
    const long rc = unregisterKey(sub, path, target);
    if (first == 0) first = rc;
  }
  return first;
}

}  // namespace

std::optional<RegScript> parseRegScript(std::u16string_view text, const Substitutions& subst,
                                        std::string& error) {
  return Parser(text, subst, error).script();
}

long registerScript(const RegScript& script, RegistryTarget& target) {
  for (const auto& key : script.keys) {
    if (const long rc = registerKey(key, u"", target); rc != 0) return rc;
  }
  return 0;
}

long unregisterScript(const RegScript& script, RegistryTarget& target) {
  long first = 0;
  for (const auto& key : script.keys) {
    const long rc = unregisterKey(key, u"", target);
    if (first == 0) first = rc;
  }
  return first;
}

}  // namespace vantor
