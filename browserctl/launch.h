// The launch rules of the isInstalled control: which command line starts the
// JNLP application and whether the browser goes back afterwards.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// Size of the buffers that hold the registered command, the converted `app`
// text and the joined command line, terminator included.
inline constexpr std::size_t kCommandBufferSize = 260;

// Tells whether a byte starts a two-byte character of the system code page.
using IsLeadByte = bool (*)(unsigned char);

// Length of the registered command up to and including the double quote
// that closes the first quoted part, scanning by characters; nullopt when the
// command holds no two double quotes.
std::optional<std::size_t> quotedProgramEnd(std::string_view registered, IsLeadByte isLead);

// The command line that starts the application: the registered command cut
// after its quoted program, one blank, then `app` unchanged. nullopt when the
// registered command has no quoted program or the result (with its
// terminator) would not fit in kCommandBufferSize bytes.
std::optional<std::string> launchCommand(std::string_view registered, std::string_view app,
                                         IsLeadByte isLead);

// The text of a registry value read into a buffer of `size` bytes: up to the
// first NUL, or all of it when there is none.
std::string_view registryText(const char* data, std::size_t size);

// Whether an activation sends the browser back: not when `back` says "false"
// (case ignored) and not once the control has been closed.
bool navigatesBack(const std::optional<std::u16string>& back, bool closed);

// `text` up to its first NUL character (a BSTR may hold NULs; the command
// line cannot).
std::u16string_view untilNul(std::u16string_view text);

}  // namespace vantor
