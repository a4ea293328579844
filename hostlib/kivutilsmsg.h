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

// ---- consoles (KivConsoleCommand) -------------------------------------------------
inline constexpr const char* kConsoleCreateBegin = "consoleCreateN() begin\n";
inline constexpr const char* kConsoleCreateEnd = "consoleCreateN() end\n";
inline constexpr const char* kConsoleDeleteBegin = "consoleDeleteN() begin\n";
inline constexpr const char* kConsoleDeleteEnd = "consoleDeleteN() end\n";
inline constexpr const char* kConsoleCommandBegin = "consoleCommandN() begin\n";
inline constexpr const char* kConsoleCommandEnd = "consoleCommandN() end\n";
inline constexpr const char* kConsoleIssueBegin = "consoleCommandIssueN() begin\n";
inline constexpr const char* kConsoleIssueEnd = "consoleCommandIssueN() end\n";
inline constexpr const char* kConsoleOutputBegin = "consoleCommandGetOutputN() begin\n";
inline constexpr const char* kConsoleOutputEnd = "consoleCommandGetOutputN() end\n";
inline constexpr const char* kConsMak = "\t\tconsMak...\n";
inline constexpr const char* kConsoleActivated = "User console '%s' activated\n";
inline constexpr const char* kConsMakRc = "\t\tconsMak rc=%d\n";
inline constexpr const char* kConsDel = "\t\tconsDel...\n";
inline constexpr const char* kConsoleDeactivated = "User console '%s' deactivated\n";
inline constexpr const char* kConsDelRc = "\t\tconsDel rc=%d\n";
inline constexpr const char* kConsoleCommand = "Console command: '%s'\n";
inline constexpr const char* kConsCmd = "\t\tconsCmd...\n";
inline constexpr const char* kConsCmdRc = "\t\tconsCmd rc=%d\n";
inline constexpr const char* kConsGms = "\t\tconsGms...\n";
inline constexpr const char* kAddElementMissing = "********** GetMethodId error (retVector.addElement() **********\n";
inline constexpr const char* kConsWtmRc = "\t\tconsWtm rc=%d\n";
inline constexpr const char* kConsGmsRc = "\t\tconsGms rc=%d\n";
// The message that every collection delivers, three times.
inline constexpr const char* kConsoleMessage = "teststring";
inline constexpr int kConsoleMessageCount = 3;
inline constexpr int kConsoleCommandCount = 10;
inline constexpr const char* kAddElement = "addElement";
inline constexpr const char* kSigAddElement = "(Ljava/lang/Object;)V";
inline constexpr const char* kFieldErrno2 = "errno2";

// ---- HFS files (KivHFSFile) ----------------------------------------------------------
inline constexpr const char* kChmodBegin = "chmodN() begin\n";
inline constexpr const char* kChmodEnd = "chmodN() end (rc=%d)\n";
inline constexpr const char* kChownBegin = "chownN() begin\n";
inline constexpr const char* kChownEnd = "chownN() end (rc=%d)\n";
inline constexpr const char* kMkdirBegin = "mkdirN() begin\n";
inline constexpr const char* kMkdirEnd = "mkdirN() end (rc=%d)\n";
inline constexpr const char* kRemoveBegin = "removeN() begin\n";
inline constexpr const char* kRemoveEnd = "removeN() end (rc=%d)\n";
inline constexpr const char* kRenameBegin = "renameN() begin\n";
inline constexpr const char* kRenameEnd = "renameN() end (rc=%d)\n";
inline constexpr const char* kStatBegin = "statN() begin\n";
inline constexpr const char* kStatEnd = "statN() end (rc=%d)\n";
inline constexpr const char* kChmod = "\tchmod(): rc=%d, dir='%s', mode='%o'\n";
inline constexpr const char* kChown = "\tchown(): rc=%d, dir='%s', owner='%d', group='%d'\n";
inline constexpr const char* kRename = "\trename(): rc=%d, name='%s', dest='%s'\n";
inline constexpr const char* kMkdir = "\tmkdir(): rc=%d, dir='%s', mode='%o'\n";
inline constexpr const char* kRemoveInfo = "\tInfo: %s corresponds to %s\n";
inline constexpr const char* kRemove = "\tremove(): rc=%d, name='%s'\n";
inline constexpr const char* kStat = "\tstat(): rc=%d, file='%s'\n";
inline constexpr const char* kDDPrefix = "DD:";
inline constexpr const char* kFieldPermissions = "ivPermissions";
inline constexpr const char* kFieldInode = "ivInode";
inline constexpr const char* kFieldDevid = "ivDevid";
inline constexpr const char* kFieldNlinks = "ivNlinks";
inline constexpr const char* kFieldUid = "ivUid";
inline constexpr const char* kFieldGid = "ivGid";
inline constexpr const char* kFieldSize = "ivSize";
inline constexpr const char* kFieldAtime = "ivAtime";
inline constexpr const char* kFieldCtime = "ivCtime";
inline constexpr const char* kFieldMtime = "ivMtime";

// ---- host utilities (KivHostUtilities) ---------------------------------------------------
inline constexpr const char* kWtoBegin = "wtoN() begin\n";
inline constexpr const char* kWtoEnd = "wtoN() end (rc=%d)\n";
inline constexpr const char* kEnqBegin = "enqN() begin\n";
inline constexpr const char* kEnqEnd = "enqN() end (rc=%d)\n";
inline constexpr const char* kDeqBegin = "deqN() begin\n";
inline constexpr const char* kDeqEnd = "deqN() end (rc=%d)\n";
inline constexpr const char* kSymbolBegin = "getSystemSymbolN() begin\n";
inline constexpr const char* kSymbolEnd = "getSystemSymbolN() end\n";
inline constexpr const char* kIplBegin = "getIPLInfoN() begin\n";
inline constexpr const char* kIplEnd = "getIPLInfoN() end (rc=%d)\n";
inline constexpr const char* kWto = "\t%s: %s\n";
inline constexpr const char* kWtoWord = "WTO";     // flag true
inline constexpr const char* kWtoWordLow = "wto";  // flag false
inline constexpr const char* kEnqueue = "Enqueue";
inline constexpr const char* kDequeue = "Dequeue";
inline constexpr const char* kSerialise = "\t%s: '%s'\n";
inline constexpr const char* kSerialiseRc = "\t%s: rc=%d\n";
// Compilers warn that "%0.8x" ignores its '0'; the text keeps its spelling.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
inline constexpr const char* kSymbol = "\tgetSystemSymbolN(): symbol='%s', value='%s', rc=%0.8x\n";
#pragma GCC diagnostic pop
inline constexpr const char* kSysnameSymbol = "&SYSNAME.";
inline constexpr const char* kSysnameVariable = "KIVJAVASYSNAME";
inline constexpr const char* kIplRuler =
    "\tIPL info=|0----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8----+----9----+"
    "----0----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8----+----9----+----0----+"
    "----1----+----2----+----3-|\n";
inline constexpr const char* kIplInfo = "\tIPL info=|%s|\n";
// The IPL information record: each value padded with blanks to its width.
struct IplField {
  const char* value;
  int width;
};
inline constexpr IplField kIplFields[] = {
    {"DELMAROS", 8}, {"LPARXX", 8},  {"ZOVUSER", 8},  {"00", 2},
    {"LOADXX", 6},   {"LOAD.DATASET.NAME", 44},       {"IODFXX", 6},
    {"XX", 2},       {"IODFHLQ", 8}, {"11.11.11", 8}, {"0999", 4},
    {"IPLVOL", 6},   {"MCATXX", 6},  {"1", 1},        {"MASTER.CATALOG.DATASET.NAME", 44},
    {"(00,01,02,03,04,05,06,07,08,09,10,11,12,13,14,15,16,17,18,19)", 63},
    {"SPXNAME", 8},
};
inline constexpr int kIplLength = 232;

// ---- system calls (KivSystemCall) --------------------------------------------------------
inline constexpr const char* kAttachBegin = "attachUtilityN() begin\n";
inline constexpr const char* kAttachEnd = "attachUtilityN() end (rc=%x)\n";
inline constexpr const char* kSpawnBegin = "attachUtilitySpawnN() begin\n";
inline constexpr const char* kSpawnUtility = "Utility '%s'\n";
inline constexpr const char* kSpawnEnd = "attachUtilitySpawnN() end (rc=%x)\n";
inline constexpr const char* kSystemcallBegin = "systemcallN() begin\n";
inline constexpr const char* kSystemcall = "systemcallN(): '%s'\n";
inline constexpr const char* kSystemcallEnd = "systemcallN() end (rc=%x)\n";


// ---- DD objects (KivDatasetDD) -------------------------------------------------------
inline constexpr const char* kFieldDDName = "ivDDName";
inline constexpr const char* kFieldDSName = "ivDSName";
inline constexpr const char* kFieldMember = "ivMember";
inline constexpr const char* kFieldVolser = "ivVolser";
inline constexpr const char* kFieldUnit = "ivUnit";
inline constexpr const char* kFieldVolRefDSName = "ivVolRefDSName";
inline constexpr const char* kFieldPrivate = "ivPrivate";
inline constexpr const char* kFieldVolumeSequenceNumber = "ivVolumeSequenceNumber";
inline constexpr const char* kFieldVolumeCount = "ivVolumeCount";
inline constexpr const char* kFieldLabel = "ivLabel";
inline constexpr const char* kFieldDatasetSequenceNumber = "ivDatasetSequenceNumber";
inline constexpr const char* kFieldStatus = "ivStatus";
inline constexpr const char* kFieldNormdisp = "ivNormdisp";
inline constexpr const char* kFieldConddisp = "ivConddisp";
inline constexpr const char* kFieldDSORG = "ivDSORG";
inline constexpr const char* kFieldAlcunit = "ivAlcunit";
inline constexpr const char* kFieldAvgblk = "ivAvgblk";
inline constexpr const char* kFieldPrimary = "ivPrimary";
inline constexpr const char* kFieldSecondary = "ivSecondary";
inline constexpr const char* kFieldDirblk = "ivDirblk";
inline constexpr const char* kFieldMiscflags = "ivMiscflags";
inline constexpr const char* kFieldRecfm = "ivRecfm";
inline constexpr const char* kFieldBlksize = "ivBlksize";
inline constexpr const char* kFieldLrecl = "ivLrecl";
inline constexpr const char* kFieldDCBRefDSName = "ivDCBRefDSName";
inline constexpr const char* kFieldDCBRefDDName = "ivDCBRefDDName";
inline constexpr const char* kFieldStorclass = "ivStorclass";
inline constexpr const char* kFieldMgntclass = "ivMgntclass";
inline constexpr const char* kFieldDataclass = "ivDataclass";
inline constexpr const char* kFieldDSNType = "ivDSNType";
inline constexpr const char* kFieldLikeDS = "ivLikeDS";
inline constexpr const char* kFieldSysoutClass = "ivSysoutClass";
inline constexpr const char* kFieldSysoutName = "ivSysoutName";
inline constexpr const char* kFieldRefDDName = "ivRefDDName";
inline constexpr const char* kFieldPassword = "ivPassword";
inline constexpr const char* kFieldPathString = "ivPathString";
inline constexpr const char* kFieldPathopts = "ivPathopts";
inline constexpr const char* kFieldPathmode = "ivPathmode";
inline constexpr const char* kFieldPathNDisp = "ivPathNDisp";
inline constexpr const char* kFieldPathCDisp = "ivPathCDisp";
inline constexpr const char* kFieldRc = "ivRc";
inline constexpr const char* kFieldErrcode = "ivErrcode";
inline constexpr const char* kFieldInfocode = "ivInfocode";
inline constexpr const char* kFieldSMSReason = "ivSMSReason";
inline constexpr const char* kFieldDyntHandle = "ivDyntHandle";

inline constexpr int kNoMemoryRc = 9999;
inline constexpr int kNoCode = 0xFFFF;
inline constexpr const char* kOpMemory = "memory allocation error";
inline constexpr const char* kOpDyninit = "dyninit()";
inline constexpr const char* kOpDynalloc = "dynalloc()";
inline constexpr const char* kOpDynfree = "dynfree()";
inline constexpr const char* kConcatMarker = "$C$O$N$C$A$T$ $$$ ";

inline constexpr const char* kDyninitBegin = "dyninitN() begin\n";
inline constexpr const char* kDyninitEnd = "dyninitN() end (rc=%d)\n";
inline constexpr const char* kDynallocBegin = "dynallocN() begin\n";
inline constexpr const char* kDynallocEnd = "dynallocN() end (rc=%d)\n";
inline constexpr const char* kDynfreeBegin = "dynfreeN() begin\n";
inline constexpr const char* kDynfreeEnd = "dynfreeN() end (rc=%d)\n";
inline constexpr const char* kDyndestroyBegin = "dyndestroyN() begin\n";
inline constexpr const char* kDyndestroyEnd = "dyndestroyN() end\n";
inline constexpr const char* kToHexStringBegin = "toHexStringN() begin\n";
inline constexpr const char* kToHexStringEnd = "toHexStringN() end\n";
inline constexpr const char* kGetConcatIdentBegin = "getConcatIdentN() begin\n";
inline constexpr const char* kConcatenateBegin = "concatenateN() begin\n";
inline constexpr const char* kConcatenateEnd = "concatenateN() end\n";
inline constexpr const char* kTestBegin = "testN() begin\n";
inline constexpr const char* kTestEnd = "testN() end\n";
inline constexpr const char* kDynfreeNoPip = "dynfreeN(): ERROR: pip already NULL\n";
inline constexpr const char* kDyndestroyNoPip = "dyndestroyN(): ERROR: pip already NULL\n";
inline constexpr const char* kDDErrorNoCodes = "\tError: %s rc=%d, no error code and info code available\n";
inline constexpr const char* kDDErrorSms = "\tError: %s rc=%d, error code=%#04x, SMS reason code=%#04x\n";
inline constexpr const char* kDDErrorInfo = "\tError: %s rc=%d, error code=%#04x, info code=%#04x\n";
inline constexpr const char* kAllocLine = "\tAlloc    DD=%s (%s%s%s%s%s%s%s%s, DISP=(%s,%s,%s))   rc=%d (%x,%x)\n";
inline constexpr const char* kAllocPathLine = "\tAlloc    DD=%s (%s, PATHDISP=(%s,%s))   rc=%d (%x,%x)\n";
inline constexpr const char* kAllocVolser = ", VOL=SER=";
inline constexpr const char* kAllocUnit = ", UNIT=";
inline constexpr const char* kConcatenate = "\tConcatenate '%s' to '%s'\n";
inline constexpr const char* kTestCodes = "Error code = 0x%x   Information code = 0x%x\n";
// A status or disposition code without a text of its own.
inline constexpr const char* kNoCodeText = "";
inline constexpr const char* kStatusTexts[] = {"OLD", "MOD", "NEW", "SHR"};      // codes 1, 2, 4, 8
inline constexpr const char* kDispTexts[] = {"UNCATLG", "CATLG", "DELETE", "KEEP"};  // codes 1, 2, 4, 8

// ---- data-set readers, writers and streams -------------------------------------------
inline constexpr const char* kFieldDsorgHFS = "dsorgHFS";
inline constexpr const char* kFieldMaxreclen = "ivMaxreclen";
inline constexpr const char* kModeReader = "rt";
inline constexpr const char* kModeInputStream = "rb";
inline constexpr const char* kModeWriter = "wt,recfm=*";
inline constexpr const char* kModeOutputStream = "wb";
inline constexpr int kEmptyFileMaxreclen = 65535;

inline constexpr const char* kOpenBegin = "openN() begin\n";
inline constexpr const char* kOpenEnd = "openN() end\n";
inline constexpr const char* kCloseBegin = "closeN() begin\n";
inline constexpr const char* kCloseEnd = "closeN() end\n";
inline constexpr const char* kReadRecordBegin = "readRecordN() begin\n";
inline constexpr const char* kReadRecordEnd = "readRecordN() end\n";
inline constexpr const char* kWriteRecordBegin = "writeRecordN() begin\n";
inline constexpr const char* kWriteRecordEnd = "writeRecordN() end\n";
inline constexpr const char* kReadBytesBegin = "readBytesN() begin (readLen=%d)\n";
inline constexpr const char* kReadBytesEnd = "readBytesN() end\n";
inline constexpr const char* kWriteBytesBegin = "writeBytesN() begin\n";
inline constexpr const char* kWriteBytesEnd = "writeBytesN() end\n";
inline constexpr const char* kMemberExistsBegin = "memberExistsN() begin\n";
inline constexpr const char* kMemberExistsEnd = "memberExistsN() end\n";

inline constexpr const char* kOpenLine = "\tOpen        %0.8x  %s  (%s)\n";
inline constexpr const char* kOpenFailed = "\tOpen        %s failed for %s\n";
inline constexpr const char* kCloseLine = "\tClose       %0.8x (rc=%d)\n";
inline constexpr const char* kCloseFailed = "\tClose       failed\n";
inline constexpr const char* kInputBufferLine = "\tchInputBuffer allocated:  length=%d\n";
inline constexpr const char* kOutputBufferLine = "\tchOutputBuffer allocated:  length=%d\n";
inline constexpr const char* kReadChars = "\tRead        %x  Chars read: %d\n";
inline constexpr const char* kRecordText = "\t'%s'\n";
inline constexpr const char* kWriteChars = "\tWrite       %x  Write chars: %d\n";
inline constexpr const char* kByteValue = "\t            %d\n";
inline constexpr const char* kReadBytes = "\tRead        %x  Bytes read: %d\n";
inline constexpr const char* kWriteBytes = "\tWrite       %x  Bytes written: %d\n";
inline constexpr const char* kMemberFile = "\tInfo: %s corresponds to %s\n";
inline constexpr const char* kMemberExists = "\tmemberExistsN(): dd='%s', member='%s', rc=%d\n";
// A handle that was never given out or is closed already.
inline constexpr const char* kNotOpen = "\tError: handle %x is not open\n";

}  // namespace kiv::umsg
