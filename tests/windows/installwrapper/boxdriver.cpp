// boxdriver.exe <yes|no|ok> <out-prefix>: waits for a message box (a
// top-level dialog of class "#32770"), records it and presses a button.
// Writes, in UTF-8:
//   <out-prefix>.caption  the caption
//   <out-prefix>.text     the text
//   <out-prefix>.info     "buttons=<visible buttons>", "default=<button>",
//                         "icon=<warning|error|other|none>", one line each
// Exits 0 when it answered a box, 3 when none appeared within a minute, 2 on
// bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring windowText(HWND w) {
  const int n = GetWindowTextLengthW(w);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(w, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

BOOL CALLBACK findBox(HWND w, LPARAM found) {
  wchar_t cls[16] = {};
  GetClassNameW(w, cls, 16);
  if (std::wcscmp(cls, L"#32770") == 0 && IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}

bool writeFile(const std::string& name, const std::string& content) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
  return true;
}

// The kind of the icon a box shows, told by its colours as they are on the
// screen (icon handles belong to the box's process and cannot be read from
// here): the warning sign is yellow, the error sign red.
std::string iconKind(HWND icon) {
  if (!icon || !IsWindowVisible(icon)) return "none";
  RECT r{};
  GetWindowRect(icon, &r);
  HDC dc = GetDC(nullptr);  // the screen: what the box's process drew
  if (!dc) return "other";
  int red = 0, yellow = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c == CLR_INVALID) continue;
      const int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
      if (R > 160 && G < 110 && B < 110) ++red;
      if (R > 160 && G > 140 && B < 110) ++yellow;
    }
  }
  ReleaseDC(nullptr, dc);
  std::fprintf(stderr, "boxdriver: icon %ldx%ld, red %d, yellow %d\n", r.right - r.left, r.bottom - r.top, red,
               yellow);
  const int enough = 40;
  if (red >= enough && red > 2 * yellow) return "error";
  if (yellow >= enough && yellow > 2 * red) return "warning";
  return "other";
}

const char* buttonName(int id) {
  switch (id) {
    case IDOK: return "ok";
    case IDCANCEL: return "cancel";
    case IDYES: return "yes";
    case IDNO: return "no";
    default: return "?";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: boxdriver <yes|no|ok> <out-prefix>\n");
    return 2;
  }
  const std::string answer = argv[1];
  const int press = answer == "yes" ? IDYES : answer == "no" ? IDNO : answer == "ok" ? IDOK : 0;
  if (!press) return 2;
  const std::string prefix = argv[2];

  HWND box = nullptr;
  for (int tries = 0; tries < 600 && !box; ++tries) {
    EnumWindows(findBox, reinterpret_cast<LPARAM>(&box));
    if (!box) Sleep(100);
  }
  if (!box) {
    std::fprintf(stderr, "boxdriver: no message box appeared\n");
    return 3;
  }
  Sleep(200);  // let the box finish its set-up before reading it

  std::string info = "buttons=";
  bool first = true;
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    HWND b = GetDlgItem(box, id);
    if (b && IsWindowVisible(b)) {
      info += (first ? "" : ",");
      info += buttonName(id);
      first = false;
    }
  }
  // The default button carries BS_DEFPUSHBUTTON.
  info += "\ndefault=";
  const char* def = "none";
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    HWND b = GetDlgItem(box, id);
    if (b && IsWindowVisible(b) && (GetWindowLongW(b, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) def = buttonName(id);
  }
  info += def;
  // The icon sits in the static control 0x440 of the box's template, hidden
  // when the box has none.
  info += "\nicon=" + iconKind(GetDlgItem(box, 0x440)) + "\n";

  const bool ok = writeFile(prefix + ".caption", utf8(windowText(box))) &&
                  writeFile(prefix + ".text", utf8(windowText(GetDlgItem(box, 0xFFFF)))) &&
                  writeFile(prefix + ".info", info);

  PostMessageW(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, press)));
  return ok ? 0 : 2;
}
