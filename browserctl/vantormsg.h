// Every text of Vantor that a user, a page or a registry reader can see.
// The registration entries themselves are in vantor.rgs, the type library's
// names and help strings in vantor.idl.
#pragma once

namespace vantor::msg {

// Title of the box that shows the command line before a launch (dbg set).
inline constexpr char kLaunchBoxTitle[] = "Launch Command line";

// Registry key whose default value is the open command of JNLP files.
inline constexpr char kJnlpOpenCommandKey[] = "JNLPFile\\Shell\\Open\\Command";

// The value of `back` that keeps the browser on the page.
inline constexpr char16_t kBackFalse[] = u"false";

// Names under which the properties are persisted (property bag and stream).
inline constexpr char16_t kPropApp[] = u"app";
inline constexpr char16_t kPropDbg[] = u"dbg";
inline constexpr char16_t kPropBack[] = u"back";

// Placeholder of the registration script replaced by the DLL's full path.
inline constexpr char16_t kModulePlaceholder[] = u"MODULE";

// Name of the storage stream that holds the properties (IPersistStorage).
inline constexpr wchar_t kStorageStream[] = L"Contents";

}  // namespace vantor::msg
