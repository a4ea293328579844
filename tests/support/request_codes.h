// The status and disposition codes of an allocation request, as the host
// defines them (status 1 OLD, 2 MOD, 4 NEW, 8 SHR; dispositions 1 UNCATLG,
// 2 CATLG, 4 DELETE, 8 KEEP). Tests state their requests with these, not
// with the constants of the code under test, so that a wrong constant there
// shows.
#pragma once

#include <cstdint>

namespace kivtest {

inline constexpr std::int8_t kOld = 1, kMod = 2, kNew = 4, kShr = 8;
inline constexpr std::int8_t kUncatlg = 1, kCatlg = 2, kDelete = 4, kKeep = 8;

}  // namespace kivtest
