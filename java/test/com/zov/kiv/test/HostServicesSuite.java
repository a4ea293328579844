package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivConsoleCommand;
import com.zov.kiv.host.KivHFSFile;
import com.zov.kiv.host.KivHostUtilities;
import com.zov.kiv.host.KivLibrary;
import com.zov.kiv.host.KivSystemCall;
import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Properties;
import java.util.Vector;

/**
 * Calls the console, HFS, host-utility and system-call methods of kivutils
 * and checks results and fields. Runs in a scratch directory (the current
 * one). The first part runs at trace level 1, the second at level 9; the
 * test that runs it checks the lines of both in the launcher's trace file.
 */
public final class HostServicesSuite implements KivApplication {
    /** The IPL record, column by column. */
    static final String IPL = "DELMAROS" + "LPARXX  " + "ZOVUSER " + "00" + "LOADXX"
            + "LOAD.DATASET.NAME                           " + "IODFXX" + "XX" + "IODFHLQ " + "11.11.11"
            + "0999" + "IPLVOL" + "MCATXX" + "1" + "MASTER.CATALOG.DATASET.NAME                 "
            + "(00,01,02,03,04,05,06,07,08,09,10,11,12,13,14,15,16,17,18,19)  " + "SPXNAME ";

    /** A message collector that is no Vector but has addElement. */
    public static final class Collector {
        final List<Object> items = new ArrayList<>();

        public void addElement(Object item) {
            items.add(item);
        }
    }

    private Checks c;
    private File work;

    @Override
    public int run(Properties properties) throws Exception {
        KivLibrary.load(properties);
        c = new Checks("hostsvc");
        String trace = System.getProperty("KivJava.tracefile");
        work = new File(System.getProperty("user.dir")).getAbsoluteFile();

        c.eq("initTraceN", 0, KivHostUtilities.initTraceN(trace, 1));
        KivHostUtilities.traceLineN("hostsvc: level 1", 1);
        consoles();
        files();
        utilities();
        systemCalls();
        KivHostUtilities.traceLineN("hostsvc: level 9", 1);
        KivHostUtilities.traceLevelN(9);
        detailed();
        KivHostUtilities.traceLineN("hostsvc: end", 1);
        KivHostUtilities.stopTraceN();
        return c.finish();
    }

    private static List<Object> repeated(int n) {
        return new ArrayList<>(Collections.nCopies(n, "teststring"));
    }

    private void consoles() {
        KivConsoleCommand k = new KivConsoleCommand();
        int h = k.consoleCreateN("OPER1");
        c.isTrue("console handle", h != 0);
        Vector<Object> v = new Vector<>();
        c.eq("command", 0, k.consoleCommandN(h, "D T", v));
        c.eq("three messages", repeated(3), new ArrayList<>(v));
        c.eq("second command", 0, k.consoleCommandN(h, "D A,L", v));
        c.eq("six messages", repeated(6), new ArrayList<>(v));
        c.eq("issue only", 0, k.consoleCommandIssueN(h, "V NET,ACT"));
        c.eq("issue adds nothing", 6, v.size());
        c.eq("output with count 1", 0, k.consoleCommandGetOutputN(h, 1, v));
        c.eq("still three more", 9, v.size());

        k.errno = 99;
        k.errno2 = 98;
        c.eq("vector class without addElement", -1, k.consoleCommandN(h, "D T", new Object()));
        c.eq("errno from the console", 0, k.errno);
        c.eq("errno2 from the console", 0, k.errno2);
        Collector other = new Collector();
        c.eq("collector of another class", 0, k.consoleCommandGetOutputN(h, 5, other));
        c.eq("collector got three", repeated(3), other.items);
        k.errno = 99;
        c.eq("null vector", -1, k.consoleCommandGetOutputN(h, 1, null));
        c.eq("errno after a null vector", 0, k.errno);
        c.eq("null command still collects", 0, k.consoleCommandN(h, null, v));
        c.eq("twelve messages", 12, v.size());
        c.eq("null command to issue", 0, k.consoleCommandIssueN(h, null));
        c.eq("delete", 0, k.consoleDeleteN(h));
        c.eq("delete again", -1, k.consoleDeleteN(h));
        c.eq("command on a deleted console", -1, k.consoleCommandN(h, "D T", v));

        KivConsoleCommand fresh = new KivConsoleCommand();
        int h2 = fresh.consoleCreateN("OPER2");
        fresh.errno = 7;
        c.eq("first collection without addElement", -1, fresh.consoleCommandGetOutputN(h2, 1, "no vector"));
        c.eq("errno set to the console's code", 0, fresh.errno);
        c.eq("delete second", 0, fresh.consoleDeleteN(h2));

        int longName = k.consoleCreateN("OPERATOR12");
        c.isTrue("long name", longName != 0);
        c.eq("delete long name", 0, k.consoleDeleteN(longName));
        c.eq("null name", 0, k.consoleCreateN(null));

        c.eq("delete with handle 0", -1, k.consoleDeleteN(0));
        c.eq("command with handle 0", -1, k.consoleCommandN(0, "D T", v));
        c.eq("issue with handle 0", -1, k.consoleCommandIssueN(0, "D T"));
        c.eq("output with handle 0", -1, k.consoleCommandGetOutputN(0, 1, v));
        c.eq("nothing added with handle 0", 12, v.size());
    }

    private void touch(String name, String text) throws java.io.IOException {
        Files.write(new File(work, name).toPath(), text.getBytes(StandardCharsets.UTF_8));
    }

    private void files() throws Exception {
        KivHFSFile f = new KivHFSFile();
        String dir = work.getPath() + "/newdir/";
        c.eq("mkdirN", 0, f.mkdirN(dir, 0755));
        c.isTrue("directory made", new File(work, "newdir").isDirectory());
        c.eq("mkdirN twice", -1, f.mkdirN(dir, 0755));
        c.eq("errno of an existing directory", 17, f.errno);
        c.eq("strerror of an existing directory", "File exists", f.strerror);
        c.eq("mkdirN without parent", -1, f.mkdirN(work.getPath() + "/no/such/", 0700));
        c.eq("errno without parent", 2, f.errno);

        c.eq("statN of a directory", 0, f.statN(dir));
        c.eq("a directory's mode", 040000, f.ivPermissions & 0170000);
        c.isTrue("mode fits 16 bits", f.ivPermissions >= 0 && f.ivPermissions <= 0xFFFF);
        c.isTrue("links", f.ivNlinks >= 2);
        long now = System.currentTimeMillis() / 1000;
        c.isTrue("modified lately", Math.abs(now - f.ivMtime) < 86400);
        c.isTrue("changed lately", Math.abs(now - f.ivCtime) < 86400);
        c.isTrue("inode fits 16 bits", f.ivInode >= Short.MIN_VALUE && f.ivInode <= Short.MAX_VALUE);
        touch("newdir/file.txt", "12345");
        f.ivPermissions = 0;
        c.eq("statN of a file asks for its parent", 0, f.statN(dir + "file.txt"));
        c.eq("the parent is a directory", 040000, f.ivPermissions & 0170000);
        f.ivSize = -5;
        f.strerror = null;
        c.eq("statN of a missing directory", -1, f.statN(work.getPath() + "/nosuch/file"));
        c.eq("errno of a missing directory", 2, f.errno);
        c.eq("strerror alone", "No such file or directory", f.strerror);
        c.eq("fields keep their values", -5, f.ivSize);

        touch("ZZ.DATA__", "x");
        c.eq("removeN in host notation", 0, f.removeN("//'ZZ.DATA'"));
        c.isTrue("data set file gone", !new File(work, "ZZ.DATA__").exists());
        touch("ZZ.DATA_M1_", "x");
        c.eq("removeN of a member", 0, f.removeN("//'ZZ.DATA(M1)'"));
        c.isTrue("member file gone", !new File(work, "ZZ.DATA_M1_").exists());
        touch("$u$zz$a.txt", "x");
        c.eq("removeN of an HFS path", 0, f.removeN("/u/zz/a.txt"));
        c.isTrue("HFS file gone", !new File(work, "$u$zz$a.txt").exists());
        f.errno = 0;
        c.eq("removeN of a missing file", -1, f.removeN("//'NO.SUCH'"));
        c.eq("errno of a missing file", 2, f.errno);
        c.eq("strerror of a missing file", "No such file or directory", f.strerror);
        c.eq("removeN of an unknown DD", -1, f.removeN("DD:NOSUCH"));
        c.eq("errno of an unknown DD", 2, f.errno);
        touch("newdir/victim", "x");
        c.eq("removeN of a name in another directory", -1, f.removeN("newdir\\victim"));
        c.isTrue("nothing elsewhere removed", new File(work, "newdir/victim").exists());

        c.eq("chmodN of a missing path", 0, f.chmodN("/no/such/path", 0644));
        c.eq("chownN", 0, f.chownN("/u/zz", 100, 200));
        c.eq("renameN", 0, f.renameN(dir + "file.txt", dir + "other.txt"));
        c.isTrue("file keeps its name", new File(work, "newdir/file.txt").exists());

        c.eq("mkdirN of null", -1, f.mkdirN(null, 0));
        c.eq("statN of null", -1, f.statN(null));
        c.eq("removeN of null", -1, f.removeN(null));
        c.eq("chmodN of null", 0, f.chmodN(null, 0));
        c.eq("renameN of null", 0, f.renameN(null, null));
    }

    private void utilities() {
        String sysname = System.getenv("KIVJAVASYSNAME");
        String value = sysname == null ? "" : sysname;
        c.eq("WTO", 0, KivHostUtilities.wtoN(true, "HELLO"));
        c.eq("wto", 0, KivHostUtilities.wtoN(false, "HELLO"));
        c.eq("wto of null", -1, KivHostUtilities.wtoN(true, null));
        c.eq("enqN", 0, KivHostUtilities.enqN("SYSZRES1"));
        c.eq("deqN", 0, KivHostUtilities.deqN("SYSZRES1"));
        c.eq("deqN of a name never enqueued", 0, KivHostUtilities.deqN("NEVER"));
        c.eq("enqN of null", 0, KivHostUtilities.enqN(null));

        c.eq("symbol", "SYS1." + value + ".PARMLIB", KivHostUtilities.getSystemSymbolN("SYS1.&SYSNAME..PARMLIB"));
        c.eq("symbol in lower case", "x." + value + "y", KivHostUtilities.getSystemSymbolN("x.&sysname.y"));
        c.eq("only the first", value + "-&SysName.", KivHostUtilities.getSystemSymbolN("&SYSNAME.-&SysName."));
        c.eq("no symbol", "NO.SYMBOL.&SYSNAME", KivHostUtilities.getSystemSymbolN("NO.SYMBOL.&SYSNAME"));
        c.eq("empty text", "", KivHostUtilities.getSystemSymbolN(""));
        String head = "A".repeat(300);
        String tail = "b".repeat(700);
        c.eq("long text", head + value + tail, KivHostUtilities.getSystemSymbolN(head + "&SYSNAME." + tail));
        c.eq("symbol of null", null, KivHostUtilities.getSystemSymbolN(null));

        String ipl = KivHostUtilities.getIPLInfoN();
        c.eq("IPL record", IPL, ipl);
        c.eq("IPL record length", 232, ipl.length());
        c.eq("testAPFN", 0, KivHostUtilities.testAPFN());
    }

    private void systemCalls() {
        KivSystemCall s = new KivSystemCall();
        c.eq("attachUtilityN without parm", 0, s.attachUtilityN("IEBGE", null, null));
        c.eq("attachUtilityN with parm and steplib", 0, s.attachUtilityN("IEBCOPY", "LIST=NO", "MY.LOAD"));
        c.eq("attachUtilitySpawnN", 0, s.attachUtilitySpawnN("a", "IDCAMS", "c", "d", "e"));
        c.eq("systemcallN", 0, s.systemcallN("x", "ls -l"));
        c.eq("systemcallN of null", 0, s.systemcallN(null, null));
        c.eq("attachUtilitySpawnN of nulls", 0, s.attachUtilitySpawnN(null, null, null, null, null));
    }

    /** One call of each kind at level 9: begin, end and field lines. */
    private void detailed() throws Exception {
        KivConsoleCommand k = new KivConsoleCommand();
        int h = k.consoleCreateN("OPER9");
        Vector<Object> v = new Vector<>();
        c.eq("level 9: command", 0, k.consoleCommandN(h, "D T", v));
        c.eq("level 9: issue", 0, k.consoleCommandIssueN(h, "D T"));
        c.eq("level 9: output", 0, k.consoleCommandGetOutputN(h, 2, v));
        c.eq("level 9: delete", 0, k.consoleDeleteN(h));
        c.eq("level 9: handle 0", -1, k.consoleDeleteN(0));

        KivHFSFile f = new KivHFSFile();
        c.eq("level 9: chmodN", 0, f.chmodN("/u/zz", 0755));
        c.eq("level 9: chownN", 0, f.chownN("/u/zz", 1, 2));
        c.eq("level 9: renameN", 0, f.renameN("/u/a", "/u/b"));
        c.eq("level 9: mkdirN", -1, f.mkdirN(work.getPath() + "/newdir/", 0750));
        c.eq("level 9: statN", -1, f.statN(work.getPath() + "/nosuch/x"));
        c.eq("level 9: statN of a directory", 0, f.statN(work.getPath() + "/newdir/"));
        touch("$u$zz$b.txt", "x");
        c.eq("level 9: removeN", 0, f.removeN("/u/zz/b.txt"));

        c.eq("level 9: wtoN", 0, KivHostUtilities.wtoN(true, "HELLO"));
        c.eq("level 9: enqN", 0, KivHostUtilities.enqN("R"));
        c.eq("level 9: deqN", 0, KivHostUtilities.deqN("R"));
        c.isTrue("level 9: symbol", KivHostUtilities.getSystemSymbolN("&SYSNAME.") != null);
        c.eq("level 9: IPL", IPL, KivHostUtilities.getIPLInfoN());
        c.eq("level 9: testAPFN", 0, KivHostUtilities.testAPFN());

        KivSystemCall s = new KivSystemCall();
        c.eq("level 9: attachUtilityN", 0, s.attachUtilityN("IEBGE", null, null));
        c.eq("level 9: attachUtilitySpawnN", 0, s.attachUtilitySpawnN("a", "IDCAMS", "c", "d", "e"));
        c.eq("level 9: systemcallN", 0, s.systemcallN("x", "ls"));
    }
}
