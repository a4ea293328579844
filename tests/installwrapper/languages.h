// The 18 string tables of Dravik.exe: language id, a Unix locale that makes
// Wine pick the table, the ANSI code page LoadStringA then converts to (as
// iconv names it), and two texts by which a table is known to be in its
// language, written here apart from the tables (UTF-8): the caption (2004)
// and the warning's trailer (2021). The tables are language-neutral (any German user gets
// the German one), except English (United States) and the two Chinese ones.
#pragma once

#include <cstdint>

namespace dravik::test {

struct Language {
  const char* name;
  std::uint16_t id;
  const char* locale;
  const char* codePage;
  const char* caption;
  const char* continueQuestion;
};

inline constexpr std::uint16_t kEnglishUs = 0x0409;

inline constexpr Language kLanguages[] = {
    {"Catalan", 0x0003, "ca_ES.UTF-8", "CP1252",
     "Instal·lador del Java(TM)", "\nVoleu continuar igualment?"},
    {"Czech", 0x0005, "cs_CZ.UTF-8", "CP1250",
     "Instalační program Java(TM)", "\nPřesto pokračovat?"},
    {"German", 0x0007, "de_DE.UTF-8", "CP1252",
     "Java(TM)-Installationsprogramm", "\nTrotzdem fortfahren?"},
    {"English (United States)", kEnglishUs, "en_US.UTF-8", "CP1252",
     "Java(TM) Installer", "\nContinue anyway?"},
    {"Spanish", 0x000A, "es_ES.UTF-8", "CP1252",
     "Instalador de Java(TM)", "\n¿Desea continuar de todos modos?"},
    {"French", 0x000C, "fr_FR.UTF-8", "CP1252",
     "Programme d'installation de Java(TM)", "\nVoulez-vous continuer malgré tout\xc2\xa0?"},
    {"Hungarian", 0x000E, "hu_HU.UTF-8", "CP1250",
     "Java(TM) telepítő", "\nMégis folytatja?"},
    {"Italian", 0x0010, "it_IT.UTF-8", "CP1252",
     "Programma di installazione di Java(TM)", "\nContinuare comunque?"},
    {"Polish", 0x0015, "pl_PL.UTF-8", "CP1250",
     "Instalator Java(TM)", "\nCzy mimo to kontynuować?"},
    {"Portuguese (Brazil)", 0x0016, "pt_BR.UTF-8", "CP1252",
     "Instalador do Java(TM)", "\nDeseja continuar mesmo assim?"},
    {"Russian", 0x0019, "ru_RU.UTF-8", "CP1251",
     "Установщик Java(TM)", "\nВсё равно продолжить?"},
    {"Slovak", 0x001B, "sk_SK.UTF-8", "CP1250",
     "Inštalačný program Java(TM)", "\nChcete napriek tomu pokračovať?"},
    {"Swedish", 0x001D, "sv_SE.UTF-8", "CP1252",
     "Installationsprogram för Java(TM)", "\nVill du fortsätta ändå?"},
    {"Turkish", 0x001F, "tr_TR.UTF-8", "CP1254",
     "Java(TM) Yükleyicisi", "\nYine de devam edilsin mi?"},
    {"Japanese", 0x0011, "ja_JP.UTF-8", "CP932",
     "Java(TM) インストーラ", "\nこのまま続行しますか？"},
    {"Korean", 0x0012, "ko_KR.UTF-8", "CP949",
     "Java(TM) 설치 프로그램", "\n그래도 계속하시겠습니까?"},
    {"Chinese (Traditional)", 0x0404, "zh_TW.UTF-8", "CP950",
     "Java(TM) 安裝程式", "\n仍要繼續嗎？"},
    {"Chinese (Simplified)", 0x0804, "zh_CN.UTF-8", "CP936",
     "Java(TM) 安装程序", "\n仍要继续吗？"},
};

}  // namespace dravik::test
