// The registrar: reads a registration script and writes or removes its keys.
//
// Script syntax (keys below HKCR only; values are strings):
//   HKCR
//   {
//     [NoRemove|ForceRemove] <key> [= s '<default value>']
//     {
//       val <name> = s '<data>'
//       <subkeys...>
//     }
//   }
// A key is a bare word (letters, digits, '.', '_', '-') or a quoted text.
// Quoted texts use '' for a quote; %NAME% is replaced from the substitutions
// and %% gives %.
//
// Registering writes every key and value, removing a ForceRemove key with
// its subtree first. Unregistering removes every key with its subtree,
// except NoRemove keys, which stay while their subkeys are visited.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct RegValue {
  std::u16string name;  // empty: the key's default value
  std::u16string data;
};

struct RegKey {
  enum class Removal { normal, forceRemove, noRemove };
  std::u16string name;
  Removal removal = Removal::normal;
  std::vector<RegValue> values;
  std::vector<RegKey> subkeys;
};

// The keys of a script below HKEY_CLASSES_ROOT.
struct RegScript {
  std::vector<RegKey> keys;
};

using Substitutions = std::map<std::u16string, std::u16string, std::less<>>;

// Parses `text`; on failure returns nullopt and describes the fault in `error`.
std::optional<RegScript> parseRegScript(std::u16string_view text, const Substitutions& subst,
                                        std::string& error);

// Where the registrar writes: key paths are relative to HKEY_CLASSES_ROOT,
// parts joined by '\'. Results are Windows error codes (0 success).
class RegistryTarget {
 public:
  virtual ~RegistryTarget() = default;
  virtual long createKey(const std::u16string& path) = 0;
  virtual long setString(const std::u16string& path, const std::u16string& name,
                         const std::u16string& data) = 0;
  // Removes the key and its subtree; a missing key is success.
  virtual long deleteTree(const std::u16string& path) = 0;
};

// Writes the script's keys; stops at the first failure and returns it.
long registerScript(const RegScript& script, RegistryTarget& target);

// Removes the script's keys; goes on after failures and returns the first.
long unregisterScript(const RegScript& script, RegistryTarget& target);

}  // namespace vantor
