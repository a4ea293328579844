// The English (United States) texts of Dravik's ten strings, by number.
#pragma once

#include <map>
#include <string>

#include "dravikmsg.h"

namespace dravik::test {

inline const std::map<unsigned, std::string>& englishTexts() {
  static const std::map<unsigned, std::string> texts = {
      {IDS_DRAVIK_CAPTION, DRAVIK_EN_CAPTION},
      {IDS_DRAVIK_NOT_ADMIN, DRAVIK_EN_NOT_ADMIN},
      {IDS_DRAVIK_PROCESSOR, DRAVIK_EN_PROCESSOR},
      {IDS_DRAVIK_MEMORY, DRAVIK_EN_MEMORY},
      {IDS_DRAVIK_OS, DRAVIK_EN_OS},
      {IDS_DRAVIK_WARN_HEADER, DRAVIK_EN_WARN_HEADER},
      {IDS_DRAVIK_ERROR_HEADER, DRAVIK_EN_ERROR_HEADER},
      {IDS_DRAVIK_WARN_TRAILER, DRAVIK_EN_WARN_TRAILER},
      {IDS_DRAVIK_ERROR_TRAILER, DRAVIK_EN_ERROR_TRAILER},
      {IDS_DRAVIK_SERVICE_PACK, DRAVIK_EN_SERVICE_PACK},
  };
  return texts;
}

}  // namespace dravik::test
