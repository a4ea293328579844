// Every text of the installer helper in one place: console and debug texts,
// the install INI's section and keys, file names, registry keys and value
// names, and the lines of the files it writes. Backslashes in the comments
// are literal.
#pragma once

namespace orlin::msg {

// ---- console (standard output) ----------------------------------------------
inline constexpr const char* kInstallingJre = "Installing JRE v%s...";
inline constexpr const char* kAlreadyInstalled = "JRE already installed, done.\n";
inline constexpr const char* kDone = "done.\n";

// ---- debug texts (standard error, only with ORLIN_INSTALLER_DEBUG) ----------
inline constexpr const char* kDebugSwitch = "ORLIN_INSTALLER_DEBUG";
inline constexpr const char* kArgcTooSmall = "argc too small, exiting\n";
inline constexpr const char* kFnTooSmall = "fn too small, exiting\n";
inline constexpr const char* kMissingArgument = "missing argument, exiting\n";
inline constexpr const char* kPathTooLong = "path too long, refused: ";
inline constexpr const char* kEmptyDirectory = "empty directory, refused for ";
inline constexpr const char* kIniNotWritten = "cannot write the install INI: ";
inline constexpr const char* kLineEnd = "\n";
inline constexpr const char* kAddingJrePath = "adding jrePath ";
inline constexpr const char* kAddingTo = " to ";
inline constexpr const char* kAddingEnd = ".... ";
inline constexpr const char* kFailed = "failed\n";
inline constexpr const char* kSuccessful = "successful\n";
inline constexpr const char* kExecuting = "Executing: %s %s %s %s %s\n";

// ---- install INI --------------------------------------------------------------
inline constexpr const char* kIniSection = "foo";
inline constexpr const char* kKeyJreVersion = "jreVersion";
inline constexpr const char* kKeyJrePath = "jrePath";
inline constexpr const char* kKeyInstallJre = "installJRE";
inline constexpr const char* kKeyTempDir = "tempDir";
inline constexpr const char* kKeyTargetDir = "targetDir";
inline constexpr const char* kInstallJreNo = "0";

// ---- result file foo.ini (function 6) -----------------------------------------
inline constexpr const char* kResultFile = "foo.ini";
inline constexpr const char* kResultSection = "[foo]\n";
inline constexpr const char* kResultJrePath = "jrePath=%s";

// ---- file names ----------------------------------------------------------------
inline constexpr const char* kResponseTemplate = "jre.iss";
inline constexpr const char* kResponseSuffix = "2";
inline constexpr const char* kJreInstaller = "jre.exe";
inline constexpr const char* kLauncher = "orlin.exe";
inline constexpr const char* kLauncherConfig = "orlin.cfg";
inline constexpr const char* kJavaw = "bin\\javaw.exe";
inline constexpr const char* kWinInit = "\\WinInit.Ini";

// ---- runtime installer command line -------------------------------------------
inline constexpr const char* kResponseMarker = "<JREPATH>";
inline constexpr const char* kArgSilent = "-s";
inline constexpr const char* kArgAll = "-a";
inline constexpr const char* kArgResponse = "-f1";

// ---- orlin.cfg ------------------------------------------------------------------
inline constexpr const char* kCfgPlatform = "orlin.cfg.jre.%d.platform=%s\n";
inline constexpr const char* kCfgProduct = "orlin.cfg.jre.%d.product=%s\n";
inline constexpr const char* kCfgPath = "orlin.cfg.jre.%d.path=";
inline constexpr const char* kCfgSeparator = "\\\\";
inline constexpr const char* kCfgJavaw = "bin\\\\javaw.exe\n";
inline constexpr const char* kCfgDefault = "orlin.cfg.jre.default=%d\n";

// ---- registry -------------------------------------------------------------------
inline constexpr const char* kJreRoot = "SOFTWARE\\ZOV\\Java2 Runtime Environment";
inline constexpr const char* kJavaHome = "JavaHome";
inline constexpr const char* kMicroVersion = "MicroVersion";
inline constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr const char* kPendingRenames = "PendingFileRenameOperations";
inline constexpr const char* kNavigatorKey = "Software\\Netscape\\Netscape Navigator";
inline constexpr const char* kViewersKey = "Software\\Netscape\\Netscape Navigator\\Viewers";
inline constexpr const char* kViewerSlot = "TYPE%d";
inline constexpr const char* kJnlpMimeType = "application/x-java-jnlp-file";

// ---- processes ------------------------------------------------------------------
inline constexpr const char* kBrowserFile = "netscape.exe";
inline constexpr const char* kDosMachine = "NTVDM.EXE";
inline constexpr const char* kPsapiDll = "PSAPI.DLL";
inline constexpr const char* kVdmDbgDll = "VDMDBG.DLL";
inline constexpr const char* kKernelDll = "Kernel32.DLL";
inline constexpr const char* kEnumProcesses = "EnumProcesses";
inline constexpr const char* kEnumProcessModules = "EnumProcessModules";
inline constexpr const char* kGetModuleFileNameEx = "GetModuleFileNameExA";
inline constexpr const char* kEnumTasks = "VDMEnumTaskWOWEx";
inline constexpr const char* kSnapshot = "CreateToolhelp32Snapshot";
inline constexpr const char* kProcessFirst = "Process32First";
inline constexpr const char* kProcessNext = "Process32Next";

}  // namespace orlin::msg
