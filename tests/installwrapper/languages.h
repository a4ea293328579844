// The 18 string tables of Dravik.exe: language id, a Unix locale that makes
// Wine pick the table, and the ANSI code page LoadStringA then converts to
// (as iconv names it). The tables are language-neutral (any German user gets
// the German one), except English (United States) and the two Chinese ones.
#pragma once

#include <cstdint>

namespace dravik::test {

struct Language {
  const char* name;
  std::uint16_t id;
  const char* locale;
  const char* codePage;
};

inline constexpr std::uint16_t kEnglishUs = 0x0409;

inline constexpr Language kLanguages[] = {
    {"Catalan", 0x0003, "ca_ES.UTF-8", "CP1252"},
    {"Czech", 0x0005, "cs_CZ.UTF-8", "CP1250"},
    {"German", 0x0007, "de_DE.UTF-8", "CP1252"},
    {"English (United States)", kEnglishUs, "en_US.UTF-8", "CP1252"},
    {"Spanish", 0x000A, "es_ES.UTF-8", "CP1252"},
    {"French", 0x000C, "fr_FR.UTF-8", "CP1252"},
    {"Hungarian", 0x000E, "hu_HU.UTF-8", "CP1250"},
    {"Italian", 0x0010, "it_IT.UTF-8", "CP1252"},
    {"Polish", 0x0015, "pl_PL.UTF-8", "CP1250"},
    {"Portuguese (Brazil)", 0x0016, "pt_BR.UTF-8", "CP1252"},
    {"Russian", 0x0019, "ru_RU.UTF-8", "CP1251"},
    {"Slovak", 0x001B, "sk_SK.UTF-8", "CP1250"},
    {"Swedish", 0x001D, "sv_SE.UTF-8", "CP1252"},
    {"Turkish", 0x001F, "tr_TR.UTF-8", "CP1254"},
    {"Japanese", 0x0011, "ja_JP.UTF-8", "CP932"},
    {"Korean", 0x0012, "ko_KR.UTF-8", "CP949"},
    {"Chinese (Traditional)", 0x0404, "zh_TW.UTF-8", "CP950"},
    {"Chinese (Simplified)", 0x0804, "zh_CN.UTF-8", "CP936"},
};

}  // namespace dravik::test
