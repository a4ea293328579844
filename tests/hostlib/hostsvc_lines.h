// Trace lines that HostServicesSuite causes, without time stamps; the scratch
// directory it runs in shows as <work>.
#pragma once

#include "frame_lines.h"

#include <string>
#include <vector>

namespace kivtest {

inline std::string withoutWorkDir(std::string line, const std::string& dir) {
  for (size_t at; (at = line.find(dir)) != std::string::npos;) line.replace(at, dir.size(), "<work>");
  return line;
}

inline const std::string kIplRecord =
    "DELMAROSLPARXX  ZOVUSER 00LOADXXLOAD.DATASET.NAME                           IODFXXXXIODFHLQ 11.11.110999"
    "IPLVOLMCATXX1MASTER.CATALOG.DATASET.NAME                 (00,01,02,03,04,05,06,07,08,09,10,11,12,13,14,"
    "15,16,17,18,19)  SPXNAME ";
inline const std::vector<std::string> kIplLines = {
    "\tIPL info=|0----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8----+----9----+"
    "----0----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8----+----9----+----0----+"
    "----1----+----2----+----3-|",
    "\tIPL info=|" + kIplRecord + "|",
};
inline const std::string kAddElementLine = "********** GetMethodId error (retVector.addElement() **********";
inline const std::string kNoSuchFile = "\tError: (errno=2) No such file or directory";
inline const std::string kInvalid = "\tError: (errno=22) Invalid argument";

inline std::string symbolLine(const std::string& in, const std::string& out) {
  return "\tgetSystemSymbolN(): symbol='" + in + "', value='" + out + "', rc=00000000";
}

// Everything of the suite's level-1 part, in order.
inline std::vector<std::string> levelOneLines(const std::string& sysname) {
  const std::string& n = kNullStringLine;
  const std::string head(300, 'A'), tail(700, 'b');
  return joined({
      // consoles
      {"User console 'OPER1' activated", "Console command: 'D T'", "Console command: 'D A,L'",
       "Console command: 'V NET,ACT'", "Console command: 'D T'", kAddElementLine, kAddElementLine, n, n,
       "User console 'OPER1' deactivated", "User console 'OPER2' activated", kAddElementLine,
       "User console 'OPER2' deactivated", "User console 'OPERATOR12' activated",
       "User console 'OPERATOR' deactivated", n},
      // HFS files
      {"\tmkdir(): rc=0, dir='<work>/newdir', mode='755'", "\tmkdir(): rc=-1, dir='<work>/newdir', mode='755'",
       "\tError: (errno=17) File exists", "\tmkdir(): rc=-1, dir='<work>/no/such', mode='700'", kNoSuchFile,
       "\tstat(): rc=0, file='<work>/newdir'", "\tstat(): rc=0, file='<work>/newdir'",
       "\tstat(): rc=-1, file='<work>/nosuch'", kNoSuchFile, "\tremove(): rc=0, name='ZZ.DATA__'",
       "\tremove(): rc=0, name='ZZ.DATA_M1_'", "\tremove(): rc=0, name='$u$zz$a.txt'",
       "\tremove(): rc=-1, name='NO.SUCH__'", kNoSuchFile,
       "\tname refused, not a file of the current directory: 'DD:NOSUCH'", "\tremove(): rc=-1, name='DD:NOSUCH'",
       kNoSuchFile, "\tname refused, not a file of the current directory: 'newdir\\victim'",
       "\tremove(): rc=-1, name='newdir\\victim'", kNoSuchFile,
       "\tchmod(): rc=0, dir='/no/such/path', mode='644'", "\tchown(): rc=0, dir='/u/zz', owner='100', group='200'",
       "\trename(): rc=0, name='<work>/newdir/file.txt', dest='<work>/newdir/other.txt'"},
      {n, "\tmkdir(): rc=-1, dir='<null>', mode='0'", kInvalid, n, "\tstat(): rc=-1, file='<null>'", kInvalid, n,
       kInvalid, n, "\tchmod(): rc=0, dir='<null>', mode='0'", n, n, "\trename(): rc=0, name='<null>', dest='<null>'"},
      // host utilities
      {"\tWTO: HELLO", "\twto: HELLO", n, "\tEnqueue: 'SYSZRES1'", "\tEnqueue: rc=0", "\tDequeue: 'SYSZRES1'",
       "\tDequeue: rc=0", "\tDequeue: 'NEVER'", "\tDequeue: rc=0", n, "\tEnqueue: '<null>'", "\tEnqueue: rc=0",
       symbolLine("SYS1.&SYSNAME..PARMLIB", "SYS1." + sysname + ".PARMLIB"),
       symbolLine("x.&sysname.y", "x." + sysname + "y"),
       symbolLine("&SYSNAME.-&SysName.", sysname + "-&SysName."),
       symbolLine("NO.SYMBOL.&SYSNAME", "NO.SYMBOL.&SYSNAME"), symbolLine("", ""),
       symbolLine(head + "&SYSNAME." + tail, head + sysname + tail), n},
      kIplLines,
      // system calls
      {"\tATTACH='IEBGE   '    ", "\tMVS would have called the utility 'IEBGE   ' now.",
       "\tATTACH return code=00000000", "\tATTACH='IEBCOPY '  (PARM='LIST=NO')  (STEPLIB='MY.LOAD ')",
       "\tMVS would have called the utility 'IEBCOPY ' now.", "\tATTACH return code=00000000", "Utility 'IDCAMS'",
       "systemcallN(): 'ls -l'", n, "systemcallN(): '<null>'", n, "Utility '<null>'"},
  });
}

// The suite's level-9 part: begin and end lines, steps and field accesses.
inline std::vector<std::string> levelNineLines(const std::string& sysname) {
  std::vector<std::string> status = {"statN() begin", "\tstat(): rc=0, file='<work>/newdir'"};
  for (const char* field : {"ivPermissions", "ivInode", "ivDevid", "ivNlinks", "ivUid", "ivGid", "ivSize", "ivAtime",
                            "ivCtime", "ivMtime"})
    status.push_back(std::string("\t\t\tsetInteger() : ") + field + "=<n>");
  status.push_back("statN() end (rc=0)");
  return joined({
      {"Set trace level 9", "consoleCreateN() begin", "\t\tconsMak...", "User console 'OPER9' activated",
       "\t\tconsMak rc=0", "consoleCreateN() end", "consoleCommandN() begin", "Console command: 'D T'",
       "\t\tconsCmd...", "\t\tconsCmd rc=0", "\t\tconsGms...", "\t\tconsWtm rc=0", "\t\tconsGms rc=0",
       "consoleCommandN() end", "consoleCommandIssueN() begin", "Console command: 'D T'", "\t\tconsCmd...",
       "\t\tconsCmd rc=0", "consoleCommandIssueN() end", "consoleCommandGetOutputN() begin", "\t\tconsGms...",
       "\t\tconsWtm rc=0", "\t\tconsGms rc=0", "consoleCommandGetOutputN() end", "consoleDeleteN() begin",
       "\t\tconsDel...", "User console 'OPER9' deactivated", "\t\tconsDel rc=0", "consoleDeleteN() end",
       "consoleDeleteN() begin", "consoleDeleteN() end"},
      {"chmodN() begin", "\tchmod(): rc=0, dir='/u/zz', mode='755'", "chmodN() end (rc=0)", "chownN() begin",
       "\tchown(): rc=0, dir='/u/zz', owner='1', group='2'", "chownN() end (rc=0)", "renameN() begin",
       "\trename(): rc=0, name='/u/a', dest='/u/b'", "renameN() end (rc=0)", "mkdirN() begin",
       "\tmkdir(): rc=-1, dir='<work>/newdir', mode='750'", "\t\t\tsetInteger() : errno=17 (0x11)",
       "\tError: (errno=17) File exists", "\t\t\tsetString()  : strerror=\"File exists\"", "mkdirN() end (rc=-1)",
       "statN() begin", "\tstat(): rc=-1, file='<work>/nosuch'", "\t\t\tsetInteger() : errno=2 (0x2)", kNoSuchFile,
       "\t\t\tsetString()  : strerror=\"No such file or directory\"", "statN() end (rc=-1)"},
      status,
      {"removeN() begin", "\tInfo: /u/zz/b.txt corresponds to $u$zz$b.txt", "\tremove(): rc=0, name='$u$zz$b.txt'",
       "removeN() end (rc=0)"},
      {"wtoN() begin", "\tWTO: HELLO", "wtoN() end (rc=0)", "enqN() begin", "\tEnqueue: 'R'", "\tEnqueue: rc=0",
       "enqN() end (rc=0)", "deqN() begin", "\tDequeue: 'R'", "\tDequeue: rc=0", "deqN() end (rc=0)",
       "getSystemSymbolN() begin", symbolLine("&SYSNAME.", sysname), "getSystemSymbolN() end",
       "getIPLInfoN() begin"},
      kIplLines,
      {"getIPLInfoN() end (rc=0)", "attachUtilityN() begin", "\tATTACH='IEBGE   '    ",
       "\tMVS would have called the utility 'IEBGE   ' now.", "\tATTACH return code=00000000",
       "attachUtilityN() end (rc=0)", "attachUtilitySpawnN() begin", "Utility 'IDCAMS'",
       "attachUtilitySpawnN() end (rc=0)", "systemcallN() begin", "systemcallN(): 'ls'", "systemcallN() end (rc=0)"},
  });
}

}  // namespace kivtest
