#include "regscript.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

using vantor::parseRegScript;
using vantor::RegScript;
using vantor::Substitutions;

namespace {

// An in-memory HKEY_CLASSES_ROOT. Keys are paths; values hang off their key.
class FakeRoot final : public vantor::RegistryTarget {
 public:
  std::set<std::u16string> keys;
  std::map<std::pair<std::u16string, std::u16string>, std::u16string> values;
  std::u16string failOn;  // a key path whose writes fail
  std::vector<std::u16string> deleted;

  long createKey(const std::u16string& path) override {
    if (path == failOn) return 5;  // access denied
    for (std::size_t at = path.find(u'\\'); at != std::u16string::npos; at = path.find(u'\\', at + 1))
      keys.insert(path.substr(0, at));
    keys.insert(path);
    return 0;
  }
  long setString(const std::u16string& path, const std::u16string& name,
                 const std::u16string& data) override {
    if (!keys.count(path)) return 2;
    values[{path, name}] = data;
    return 0;
  }
  long deleteTree(const std::u16string& path) override {
    deleted.push_back(path);
    if (path == failOn) return 5;
    auto inTree = [&](const std::u16string& k) {
      return k == path || k.rfind(path + u'\\', 0) == 0;
    };
    std::erase_if(keys, inTree);
    std::erase_if(values, [&](const auto& v) { return inTree(v.first.first); });
    return 0;
  }
};

std::u16string loadScriptFile() {
  std::ifstream f(VANTOR_SOURCE_DIR "/vantor.rgs", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(f)), {});
  return std::u16string(text.begin(), text.end());  // the script is ASCII
}

const std::u16string kModule = u"C:\\Program Files\\Vantor\\Vantor.dll";
const std::u16string kClass = u"CLSID\\{7A31C0D2-4E95-11D4-B3C8-00A0C9E1F2A7}";

RegScript productScript() {
  std::string error;
  auto script = parseRegScript(loadScriptFile(), Substitutions{{u"MODULE", kModule}}, error);
  EXPECT_TRUE(script) << error;
  return script ? *script : RegScript{};
}

// Every key and value of the class's registration, exactly.
void expectRegistered(const FakeRoot& root) {
  const std::u16string clsid = u"{7A31C0D2-4E95-11D4-B3C8-00A0C9E1F2A7}";
  const std::map<std::pair<std::u16string, std::u16string>, std::u16string> want = {
      {{u"Vantor.isInstalled.2", u""}, u"isInstalled Class"},
      {{u"Vantor.isInstalled.2\\CLSID", u""}, clsid},
      {{u"Vantor.isInstalled.1", u""}, u"isInstalled Class"},
      {{u"Vantor.isInstalled.1\\CLSID", u""}, clsid},
      {{u"Vantor.isInstalled", u""}, u"isInstalled Class"},
      {{u"Vantor.isInstalled\\CLSID", u""}, clsid},
      {{u"Vantor.isInstalled\\CurVer", u""}, u"Vantor.isInstalled.2"},
      {{kClass, u""}, u"isInstalled Class"},
      {{kClass + u"\\ProgID", u""}, u"Vantor.isInstalled.2"},
      {{kClass + u"\\VersionIndependentProgID", u""}, u"Vantor.isInstalled"},
      {{kClass + u"\\InprocServer32", u""}, kModule},
      {{kClass + u"\\InprocServer32", u"ThreadingModel"}, u"Apartment"},
      {{kClass + u"\\MiscStatus", u""}, u"0"},
      {{kClass + u"\\MiscStatus\\1", u""}, u"384"},
      {{kClass + u"\\TypeLib", u""}, u"{7A31C0D0-4E95-11D4-B3C8-00A0C9E1F2A7}"},
  };
  EXPECT_EQ(root.values, want);
  std::set<std::u16string> wantKeys = {u"CLSID", kClass + u"\\Programmable"};
  for (const auto& [k, v] : want) wantKeys.insert(k.first);
  EXPECT_EQ(root.keys, wantKeys);
}

TEST(VantorScript, RegistersExactlyTheTable) {
  FakeRoot root;
  EXPECT_EQ(vantor::registerScript(productScript(), root), 0);
  expectRegistered(root);
}

TEST(VantorScript, RegisteringAgainReplacesTheClassKeyWhole) {
  const auto script = productScript();
  FakeRoot root;
  vantor::registerScript(script, root);
  root.createKey(kClass + u"\\Control");             // stale entries of an older version
  root.createKey(kClass + u"\\Programmable\\Stale");
  EXPECT_EQ(vantor::registerScript(script, root), 0);
  expectRegistered(root);
}

TEST(VantorScript, UnregisteringKeepsOnlyTheClsidRoot) {
  const auto script = productScript();
  FakeRoot root;
  root.createKey(u"CLSID\\{00000000-0000-0000-0000-000000000001}");  // another class
  vantor::registerScript(script, root);
  EXPECT_EQ(vantor::unregisterScript(script, root), 0);
  EXPECT_EQ(root.keys, (std::set<std::u16string>{u"CLSID", u"CLSID\\{00000000-0000-0000-0000-000000000001}"}));
  EXPECT_TRUE(root.values.empty());
  // not registered: nothing to do, no failure
  EXPECT_EQ(vantor::unregisterScript(script, root), 0);
}

TEST(VantorScript, AFailedWriteStopsRegistrationAndKeepsWhatWasWritten) {
  FakeRoot root;
  root.failOn = u"Vantor.isInstalled.1";
  EXPECT_EQ(vantor::registerScript(productScript(), root), 5);
  EXPECT_TRUE(root.keys.count(u"Vantor.isInstalled.2\\CLSID"));
  EXPECT_FALSE(root.keys.count(u"Vantor.isInstalled"));
  EXPECT_FALSE(root.keys.count(kClass));
}

TEST(VantorScript, UnregistrationGoesOnAfterAFailure) {
  const auto script = productScript();
  FakeRoot root;
  vantor::registerScript(script, root);
  root.failOn = u"Vantor.isInstalled.1";
  EXPECT_EQ(vantor::unregisterScript(script, root), 5);
  EXPECT_FALSE(root.keys.count(kClass));
  EXPECT_FALSE(root.keys.count(u"Vantor.isInstalled"));
}

TEST(RegScriptParser, QuotesPlaceholdersAndWords) {
  std::string error;
  const auto s = parseRegScript(u"hkey_classes_root { 'a b' = s 'it''s %X%%%' { val 'n m' = s '' }\n"
                                u"  noremove k-1.x_y { } }",
                                Substitutions{{u"X", u"<'x'>"}}, error);
  ASSERT_TRUE(s) << error;
  ASSERT_EQ(s->keys.size(), 2u);
  EXPECT_EQ(s->keys[0].name, u"a b");
  ASSERT_EQ(s->keys[0].values.size(), 2u);
  EXPECT_EQ(s->keys[0].values[0].data, u"it's <'x'>%");  // a substituted quote stays text
  EXPECT_EQ(s->keys[0].values[1].name, u"n m");
  EXPECT_EQ(s->keys[1].removal, vantor::RegKey::Removal::noRemove);
  EXPECT_EQ(s->keys[1].name, u"k-1.x_y");
}

TEST(RegScriptParser, BadScriptsAreRefusedWithTheLine) {
  const Substitutions subst{{u"MODULE", u"m"}};
  struct Case {
    const char16_t* text;
    const char* what;
  } cases[] = {
      {u"HKLM { a }", "only HKCR"},
      {u"HKCR { a = s 'x' ", "'}' closing the root key"},
      {u"HKCR { a { b ", "'}' missing"},
      {u"HKCR { a = d '1' }", "only string values"},
      {u"HKCR { a = s x }", "a quoted value"},
      {u"HKCR {\n a = s 'unterminated }", "unterminated quoted"},
      {u"HKCR { a = s '%NOPE%' }", "unknown placeholder"},
      {u"HKCR { a = s '%MODULE' }", "unterminated %placeholder%"},
      {u"HKCR { a { val = s 'x' } }", "a value name"},
      {u"HKCR { a { val v s 'x' } }", "'='"},
      {u"HKCR { 'a\\b' }", "one non-empty part"},
      {u"HKCR { '' }", "one non-empty part"},
      {u"HKCR { a }\n\n #", "line 3"},
      {u"HKCR a", "'{' after the root key"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parseRegScript(c.text, subst, error)) << c.what;
    EXPECT_NE(error.find(c.what), std::string::npos) << error;
  }
}

}  // namespace
