// Every text of the kivutils library: trace lines and the values it hands
// to the Java side. Trace lines are printf formats.
#pragma once

namespace kiv::umsg {

// ---- values handed to Java --------------------------------------------------
inline constexpr int kLibraryVersion = 0xA047;
inline constexpr const char* kUserName = "TESTUSER";
inline constexpr int kUserUid = 0;
inline constexpr int kUserGid = 0;
inline constexpr const char* kUserDir = "/u/home";
inline constexpr const char* kUserShell = "SH";

// Fields of com/zov/kiv/host/KivJava set by getUserIdN.
inline constexpr const char* kFieldPwName = "cvPW_name";
inline constexpr const char* kFieldPwUid = "cvPW_uid";
inline constexpr const char* kFieldPwGid = "cvPW_gid";
inline constexpr const char* kFieldPwDir = "cvPW_dir";
inline constexpr const char* kFieldPwShell = "cvPW_shell";
// Fields that reportErrno sets.
inline constexpr const char* kFieldErrno = "errno";
inline constexpr const char* kFieldStrerror = "strerror";

// ---- JNI field signatures ------------------------------------------------------
inline constexpr const char* kSigInt = "I";
inline constexpr const char* kSigBoolean = "Z";
inline constexpr const char* kSigByte = "B";
inline constexpr const char* kSigString = "Ljava/lang/String;";

// ---- trace: the frame -------------------------------------------------------------
inline constexpr const char* kSetTraceLevel = "Set trace level %d\n";
inline constexpr const char* kTraceLineN = "%s\n";
inline constexpr const char* kGetUserIdBegin = "getUserIdN() begin\n";
inline constexpr const char* kUserId = "\tUser Id: %s\n";
inline constexpr const char* kGetUserIdEnd = "getUserIdN() end (rc=%d)\n";
inline constexpr const char* kErrno = "\tError: (errno=%d) %s\n";
inline constexpr const char* kErrnoSeparator = ": ";
// A native method that failed inside the library instead of returning.
inline constexpr const char* kInternalError = "\t****** internal error in %s: %s ******\n";
inline constexpr const char* kUnknownError = "unknown error";

// ---- trace: field helpers (level 9 and up) -----------------------------------------
inline constexpr const char* kGetInteger = "\t\t\tgetInteger() : %s=%d (0x%x)\n";
inline constexpr const char* kSetInteger = "\t\t\tsetInteger() : %s=%d (0x%x)\n";
inline constexpr const char* kSetStaticInteger = "\t\t\tsetStaticInteger() : %s=%d (0x%x)\n";
inline constexpr const char* kGetBoolean = "\t\t\tgetBoolean() : %s=%s\n";
inline constexpr const char* kSetBoolean = "\t\t\tsetBoolean() : %s=%s\n";
inline constexpr const char* kGetByte = "\t\t\tgetByte()    : %s=%d (0x%x)\n";
inline constexpr const char* kGetString = "\t\t\tgetString()  : %s=\"%s\"\n";
inline constexpr const char* kSetString = "\t\t\tsetString()  : %s=\"%s\"\n";
inline constexpr const char* kSetStaticString = "\t\t\tsetStaticString()  : %s=\"%s\"\n";
inline constexpr const char* kTrue = "true";
inline constexpr const char* kFalse = "false";
inline constexpr const char* kNullText = "<null>";

// ---- trace: failures of the helpers (level 1 and up) -------------------------------
inline constexpr const char* kGetStringMemory = "\t\t\tGetString() : ****** memory allocation error '%s' ******\n";
// A null String where a text was expected.
inline constexpr const char* kGetStringNull = "\t\t\tGetString() : ****** null String ******\n";
inline constexpr const char* kNewStringMemory = "\t\t\tNewStringUTF() : ****** memory allocation error '%s' ******\n";
inline constexpr const char* kFieldNotFound = "\t\t\t****** Field not found '%s' (%s) ******\n";
inline constexpr const char* kFieldMemory = "\t\t\t****** Memory error during get field '%s' (%s) ******\n";

}  // namespace kiv::umsg
