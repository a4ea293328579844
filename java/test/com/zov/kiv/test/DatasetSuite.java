package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivDatasetDD;
import com.zov.kiv.host.KivDatasetInputStream;
import com.zov.kiv.host.KivDatasetOutputStream;
import com.zov.kiv.host.KivDatasetReader;
import com.zov.kiv.host.KivDatasetUtilities;
import com.zov.kiv.host.KivDatasetWriter;
import com.zov.kiv.host.KivHostUtilities;
import com.zov.kiv.host.KivLibrary;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.HashSet;
import java.util.List;
import java.util.Set;
import java.util.Properties;

/**
 * Calls every native method of the DD objects and the data-set streams in
 * the current directory and checks results and fields. The test that runs
 * it checks the trace lines (between "datasets: level ..." markers) in the
 * launcher's trace file.
 */
public final class DatasetSuite implements KivApplication {
    private static final int SHR = 8;
    private static final int NEW = 4;
    private static final int KEEP = 8;
    private static final int CATLG = 2;

    private final Checks c = new Checks("datasets");

    @Override
    public int run(Properties properties) throws Exception {
        KivLibrary.load(properties);
        String trace = System.getProperty("KivJava.tracefile");
        c.isTrue("trace file from the launcher", trace != null);
        KivHostUtilities.initTraceN(trace, 9);
        KivHostUtilities.traceLineN("datasets: level 9", 1);

        write("ZZ.DATA__", "line1\nline2\n");
        write("ZZ.DATA_M1_", "line1\nline2\n");
        endToEnd();
        write("ZZ.DATA__VOL001", "");
        allocationLine();
        everyField();
        refusals();
        writerAndMembers();
        characterArrays();
        recordsInBulk();
        byteStreams();
        names();
        concatenation();
        staleHandles();

        KivHostUtilities.traceLevelN(4);
        KivHostUtilities.traceLineN("datasets: level 4", 1);
        levelFour();
        KivHostUtilities.traceLevelN(0);
        threads(Integer.parseInt(properties.getProperty("datasets.threads", "8")));
        KivHostUtilities.traceLevelN(1);
        KivHostUtilities.traceLineN("datasets: done", 1);
        return c.finish();
    }

    private static void write(String file, String text) throws IOException {
        Files.write(Paths.get(file), text.getBytes(StandardCharsets.ISO_8859_1));
    }

    private static String read(String file) throws IOException {
        return new String(Files.readAllBytes(Paths.get(file)), StandardCharsets.ISO_8859_1);
    }

    private static KivDatasetDD dd(String ddName, String dsName, String member, int status) {
        KivDatasetDD dd = new KivDatasetDD();
        dd.ivDDName = ddName;
        dd.ivDSName = dsName;
        dd.ivMember = member;
        dd.ivStatus = (byte) status;
        dd.ivNormdisp = (byte) KEEP;
        dd.ivConddisp = (byte) KEEP;
        return dd;
    }

    /** The request of the overview: a member read through a generated DD name. */
    private void endToEnd() {
        KivDatasetDD dd = dd(null, "ZZ.DATA", "M1", SHR);
        dd.ivSMSReason = 77;
        c.eq("concat marker", "$C$O$N$C$A$T$ $$$ ", dd.getConcatIdentN());
        c.eq("dyninitN", 0, dd.dyninitN());
        c.isTrue("handle set", dd.ivDyntHandle != 0);
        c.eq("ivRc after dyninitN", 0, dd.ivRc);
        c.eq("ivErrcode after dyninitN", 0, dd.ivErrcode);
        c.eq("ivInfocode after dyninitN", 0, dd.ivInfocode);
        c.eq("ivSMSReason untouched", 77, dd.ivSMSReason);
        String pip = dd.toHexStringN();
        c.isTrue("PIP string asks for a name: " + pip, pip != null && pip.startsWith("???????? $ ZZ.DATA $ "));
        c.isTrue("PIP string closed", pip != null && pip.endsWith(" $$$ "));
        c.eq("PIP string values", 42, pip == null ? 0 : pip.split(" \\$ ", -1).length - 1);
        c.eq("dynallocN", 0, dd.dynallocN());
        c.eq("generated DD name", "SYS00000", dd.ivDDName);
        c.eq("ivRc after dynallocN", 0, dd.ivRc);

        KivDatasetReader reader = new KivDatasetReader();
        int h = reader.openN("DD:SYS00000");
        c.isTrue("reader open", h != 0);
        c.eq("dsorgHFS", true, reader.dsorgHFS);
        c.eq("ivMaxreclen is the file's length", 12, reader.ivMaxreclen);
        c.eq("record 1", "line1\n", reader.readRecordN(h));
        c.eq("record 2", "line2\n", reader.readRecordN(h));
        c.eq("end of data", null, reader.readRecordN(h));
        c.eq("end of data again", null, reader.readRecordN(h));
        c.eq("end of data, char array", -1, reader.readRecordN_old(h, new char[4]));
        reader.closeN(h);

        c.eq("dynfreeN", 0, dd.dynfreeN());
        c.eq("ivRc after dynfreeN", 0, dd.ivRc);
        c.isTrue("handle kept after dynfreeN", dd.ivDyntHandle != 0);
        c.eq("reader after dynfreeN: name no longer allocated", 0, new KivDatasetReader().openN("DD:SYS00000"));
        c.eq("dyndestroyN", 0, dd.dyndestroyN());
        c.eq("handle cleared", 0, dd.ivDyntHandle);
        c.eq("toHexStringN without a request", null, dd.toHexStringN());
        c.eq("dyndestroyN again", 0, dd.dyndestroyN());
        c.eq("dynfreeN without a request", 0, dd.dynfreeN());
    }

    private void allocationLine() {
        KivDatasetDD dd = dd("SYSUT1", "ZZ.DATA", "M1", SHR);
        dd.ivVolser = "VOL001";
        c.eq("SYSUT1 dyninitN", 0, dd.dyninitN());
        c.eq("SYSUT1 dynallocN", 0, dd.dynallocN());
        c.eq("SYSUT1 testN", 0, dd.testN());
        c.eq("SYSUT1 dynfreeN", 0, dd.dynfreeN());
        c.eq("SYSUT1 dyndestroyN", 0, dd.dyndestroyN());
    }

    /**
     * Every field that dyninitN reads, each number with a value of its own,
     * at its position in the PIP string; the test that runs the suite checks
     * the allocation lines.
     */
    private void everyField() throws IOException {
        write("ZZ.FIELDS__VOL001", "");
        KivDatasetDD dd = dd("FIELDS", "ZZ.FIELDS", "M1", SHR);
        dd.ivVolser = "VOL001";
        dd.ivUnit = "3390";
        dd.ivVolRefDSName = "ZZ.VOLREF";
        dd.ivPrivate = true;
        dd.ivVolumeSequenceNumber = 3800;
        dd.ivVolumeCount = 39;
        dd.ivLabel = 40;
        dd.ivDatasetSequenceNumber = 4100;
        dd.ivNormdisp = (byte) CATLG;
        dd.ivConddisp = 4;  // DELETE
        dd.ivDSORG = 0x12345;  // low 16 bits: 9029
        dd.ivAlcunit = -11;
        dd.ivAvgblk = 2500;
        dd.ivPrimary = 1200;
        dd.ivSecondary = 1300;
        dd.ivDirblk = 2400;
        dd.ivMiscflags = 0x1C3;  // low 8 bits: 195
        dd.ivRecfm = (byte) 0x90;  // -112
        dd.ivBlksize = 0x10000 + 27998;
        dd.ivLrecl = 0x1FFF0;  // low 16 bits, unsigned: 65520
        dd.ivDCBRefDSName = "ZZ.DCBREF";
        dd.ivDCBRefDDName = "DCBDD";
        dd.ivStorclass = "SC1";
        dd.ivMgntclass = "MC1";
        dd.ivDataclass = "DC1";
        dd.ivDSNType = (byte) 0xE1;  // unsigned: 225
        dd.ivLikeDS = "ZZ.LIKE";
        dd.ivSysoutClass = "QX";  // 'Q': 81
        dd.ivSysoutName = "SOWRITER";
        dd.ivRefDDName = "REFDD";
        dd.ivPassword = "PW";
        dd.ivPathopts = 3300;
        dd.ivPathmode = 3400;
        dd.ivPathNDisp = 35;
        dd.ivPathCDisp = 36;
        c.eq("FIELDS dyninitN", 0, dd.dyninitN());
        c.eq("FIELDS PIP string",
             "FIELDS $ ZZ.FIELDS $ 81 $ SOWRITER $ M1 $ 8 $ 2 $ 4 $ 3390 $ VOL001 $ 9029 $ -11 $ 1200 $ 1300 $ "
                 + "-112 $ 27998 $ 65520 $ ZZ.VOLREF $ ZZ.DCBREF $ DCBDD $ 195 $ PW $ 0 $ 0 $ 2400 $ 2500 $ SC1 $ "
                 + "MC1 $ DC1 $ REFDD $ ZZ.LIKE $ 225 $ 00000000 $ 3300 $ 3400 $ 35 $ 36 $ 1 $ 3800 $ 39 $ 40 $ "
                 + "4100 $  $$$ ",
             dd.toHexStringN());
        c.eq("FIELDS dynallocN", 0, dd.dynallocN());
        c.eq("FIELDS dynfreeN", 0, dd.dynfreeN());
        c.eq("FIELDS dyndestroyN", 0, dd.dyndestroyN());

        KivDatasetDD path = dd("PATHDD", null, null, 0);
        path.ivPathString = "/u/zz/fields.txt";
        path.ivPathNDisp = 8;  // KEEP
        path.ivPathCDisp = 1;  // UNCATLG
        c.eq("PATHDD dyninitN", 0, path.dyninitN());
        String pip = path.toHexStringN();
        c.isTrue("PATHDD PIP string: " + pip,
                 pip != null && pip.contains(" $ 00000000 $ 0 $ /u/zz/fields.txt $ 0 $ 0 $ 8 $ 1 $ 0 $ "));
        c.eq("PATHDD dynallocN", 0, path.dynallocN());
        c.eq("PATHDD dynfreeN", 0, path.dynfreeN());
        c.eq("PATHDD dyndestroyN", 0, path.dyndestroyN());
    }

    private void refusals() {
        KivDatasetDD exists = dd("NEWDD", "ZZ.DATA", null, NEW);
        c.eq("new data set dyninitN", 0, exists.dyninitN());
        c.eq("new data set that exists", 4, exists.dynallocN());
        c.eq("ivRc 4", 4, exists.ivRc);
        c.eq("ivErrcode 0x4704", 0x4704, exists.ivErrcode);
        c.eq("ivInfocode 0", 0, exists.ivInfocode);
        c.eq("handle 0 after refusal", 0, exists.ivDyntHandle);
        c.eq("dynfreeN after refusal", 0, exists.dynfreeN());
        c.eq("dyndestroyN after refusal", 0, exists.dyndestroyN());

        KivDatasetDD missing = dd("OLDDD", "ZZ.NOTTHERE", null, SHR);
        c.eq("missing data set dyninitN", 0, missing.dyninitN());
        c.eq("missing data set", 4, missing.dynallocN());
        c.eq("ivErrcode 0x6708", 0x6708, missing.ivErrcode);
        c.eq("handle 0 after the second refusal", 0, missing.ivDyntHandle);
    }

    private void writerAndMembers() throws IOException {
        KivDatasetDD dd = dd("OUTDD", "ZZ.OUT", "M2", NEW);
        dd.ivNormdisp = (byte) CATLG;
        c.eq("OUTDD dyninitN", 0, dd.dyninitN());
        c.eq("OUTDD dynallocN", 0, dd.dynallocN());
        KivDatasetWriter writer = new KivDatasetWriter();
        int h = writer.openN("DD:OUTDD");
        c.isTrue("writer open", h != 0);
        c.eq("writer dsorgHFS", true, writer.dsorgHFS);
        c.eq("writer ivMaxreclen of an empty file", 65535, writer.ivMaxreclen);
        c.eq("writeRecordN", 6, writer.writeRecordN(h, "first\n"));
        c.eq("writeRecordN empty", 0, writer.writeRecordN(h, ""));
        c.eq("writeRecordN without a line end", 2, writer.writeRecordN(h, "no"));
        c.eq("writeRecordN_old drops CR", 3, writer.writeRecordN_old(h, "AB\r\n".toCharArray(), 4));
        c.eq("writeRecordN_old low byte", 2, writer.writeRecordN_old(h, "\u0141\n!!".toCharArray(), 2));
        c.eq("writeRecordN_old length clipped", 1, writer.writeRecordN_old(h, "Z".toCharArray(), 99));
        c.eq("writeRecordN_old nothing", 0, writer.writeRecordN_old(h, "Z".toCharArray(), 0));
        writer.closeN(h);
        c.eq("member written", "first\nnoAB\nA\nZ", read("ZZ.OUT_M2_"));

        c.eq("member M2 exists", 1, KivDatasetUtilities.memberExistsN("OUTDD", "M2"));
        c.eq("member M9 does not", 0, KivDatasetUtilities.memberExistsN("OUTDD", "M9"));
        write("ZZ.OUT_M9_", "");
        c.eq("member M9 once created", 1, KivDatasetUtilities.memberExistsN("OUTDD", "M9"));
        c.eq("DD not allocated", 0, KivDatasetUtilities.memberExistsN("NOTALLOC", "M2"));
        c.eq("null member", -1, KivDatasetUtilities.memberExistsN("OUTDD", null));
        KivDatasetReader reader = new KivDatasetReader();
        int r = reader.openN("DD:OUTDD");
        c.eq("member restored after the tests", "first\n", reader.readRecordN(r));
        reader.closeN(r);
        c.eq("OUTDD dynfreeN", 0, dd.dynfreeN());
        c.eq("OUTDD dyndestroyN", 0, dd.dyndestroyN());
    }

    private void characterArrays() throws IOException {
        write("ZZ.CHARS__", "X\tY\n\u0007\b\u000b\f\r\u00e9\n");
        KivDatasetReader reader = new KivDatasetReader();
        int h = reader.openN("//'ZZ.CHARS'");
        c.isTrue("host name open", h != 0);
        char[] buffer = new char[10];
        Arrays.fill(buffer, '#');
        c.eq("readRecordN_old", 4, reader.readRecordN_old(h, buffer));
        c.eq("readRecordN_old mapping", "X Y\n\0\0\0\0\0\0", new String(buffer));
        char[] small = new char[3];
        c.eq("readRecordN_old clipped", 3, reader.readRecordN_old(h, small));
        c.eq("control characters mapped", "  \n", new String(small));
        c.eq("readRecordN_old null array", -1, reader.readRecordN_old(h, null));
        reader.closeN(h);

        // A reader of a subclass that declares its own ivMaxreclen, on a
        // stream that a plain reader opened, reads with its own maximum.
        write("ZZ.SUB__", "abcdefgh\nijklmnop\nqrstuvwx\n");
        h = reader.openN("//'ZZ.SUB'");
        OwnMaxreclenReader own = new OwnMaxreclenReader();
        own.ivMaxreclen = 3;
        c.eq("a subclass's own ivMaxreclen", "abc", own.readRecordN(h));
        char[] four = new char[4];
        own.ivMaxreclen = 2;
        c.eq("a subclass's own ivMaxreclen, char array", 2, own.readRecordN_old(h, four));
        c.eq("its characters", "de", new String(four, 0, 2));
        c.eq("the opener's ivMaxreclen after it", "fgh\n", reader.readRecordN(h));
        reader.closeN(h);
    }

    /** A reader whose class declares an ivMaxreclen of its own (hiding the reader's). */
    static final class OwnMaxreclenReader extends KivDatasetReader {
        public int ivMaxreclen;
    }

    /**
     * Records of every kind in one file, read with readRecordN: plain lines
     * (which the library makes into Strings many at a time), lines with other
     * characters, a NUL, a line longer than the reader's buffer, a last line
     * without a line end; in between a smaller ivMaxreclen, readRecordN_old and
     * byte reads on the same handle. Each record must be what fgets and
     * NewStringUTF would make of it.
     */
    private void recordsInBulk() throws IOException {
        StringBuilder text = new StringBuilder();
        for (int i = 0; i < 3000; i++) {
            text.append("plain record ").append(i).append(' ').append("x".repeat(i % 97)).append('\n');
            if (i % 500 == 7) {
                text.append("caf\u00c3\u00a9 ").append(i).append('\n');  // UTF-8 of "café"
            }
            if (i == 1200) {
                text.append("ab\u0000cd\n").append("L".repeat(70000)).append('\n');
            }
        }
        text.append("last");
        write("ZZ.BULK__", text.toString());
        byte[] bytes = text.toString().getBytes(StandardCharsets.ISO_8859_1);
        List<String> expected = new ArrayList<>();
        for (int start = 0; start < bytes.length;) {
            int end = start;
            while (end < bytes.length && bytes[end] != '\n') {
                end++;
            }
            end = Math.min(end + 1, bytes.length);
            int textEnd = start;
            while (textEnd < end && bytes[textEnd] != 0) {
                textEnd++;
            }
            expected.add(new String(bytes, start, textEnd - start, StandardCharsets.UTF_8));
            start = end;
        }

        KivDatasetReader reader = new KivDatasetReader();
        int h = reader.openN("//'ZZ.BULK'");
        int mismatches = 0;
        int record = 0;
        for (; record < 1000; record++) {
            mismatches += expected.get(record).equals(reader.readRecordN(h)) ? 0 : 1;
        }
        // A smaller maximum cuts the next record in pieces.
        String whole = expected.get(record++);
        int max = reader.ivMaxreclen;
        reader.ivMaxreclen = 5;
        StringBuilder pieces = new StringBuilder();
        for (int i = 0; i * 5 < whole.length(); i++) {
            String piece = reader.readRecordN(h);
            mismatches += piece != null && piece.length() <= 5 ? 0 : 1;
            pieces.append(piece);
        }
        c.eq("a record cut by a smaller ivMaxreclen", whole, pieces.toString());
        reader.ivMaxreclen = max;
        // A record into a character array, then bytes through a stream class.
        char[] chars = new char[200];
        String next = expected.get(record++);
        c.eq("readRecordN_old between String records", next.length(), reader.readRecordN_old(h, chars));
        c.eq("its characters", next, new String(chars, 0, next.length()));
        next = expected.get(record++);
        byte[] five = new byte[5];
        c.eq("bytes of the next record", 5, new KivDatasetInputStream().readBytesN(h, five, 5));
        c.eq("bytes are the record's first", next.substring(0, 5), new String(five, StandardCharsets.ISO_8859_1));
        c.eq("the rest of that record", next.substring(5), reader.readRecordN(h));
        for (; record < expected.size(); record++) {
            String got = reader.readRecordN(h);
            if (!expected.get(record).equals(got)) {
                mismatches++;
                if (mismatches < 5) {
                    System.out.println("record " + record + ": <" + got + "> expected <" + expected.get(record) + ">");
                }
            }
        }
        c.eq("every record as fgets and NewStringUTF make it", 0, mismatches);
        boolean bulk;
        try {
            Class.forName("com.zov.kiv.utils.KivRecordStrings", false, null);
            bulk = true;
        } catch (ClassNotFoundException e) {
            bulk = false;
        }
        c.isTrue("the library defined its class for records in bulk", bulk);
        c.eq("then the end", null, reader.readRecordN(h));
        reader.closeN(h);
    }

    private void byteStreams() throws IOException {
        KivDatasetOutputStream out = new KivDatasetOutputStream();
        int h = out.openN("//'ZZ.BIN'");
        c.isTrue("output stream open", h != 0);
        c.eq("writeBytesN", 5, out.writeBytesN(h, new byte[] {1, 2, 3, -1, -128, 9}, 5));
        c.eq("writeBytesN nothing", 0, out.writeBytesN(h, new byte[] {1}, 0));
        c.eq("writeBytesN clipped", 1, out.writeBytesN(h, new byte[] {10}, 7));
        out.closeN(h);
        c.eq("bytes written", "\u0001\u0002\u0003\u00ff\u0080\n", read("ZZ.BIN__"));

        KivDatasetInputStream in = new KivDatasetInputStream();
        h = in.openN("//'ZZ.BIN'");
        c.eq("input stream ivMaxreclen", 6, in.ivMaxreclen);
        byte[] b = new byte[4];
        c.eq("readBytesN length 0", -1, in.readBytesN(h, b, 0));
        c.eq("readBytesN", 4, in.readBytesN(h, b, 4));
        c.eq("bytes read", "[1, 2, 3, -1]", Arrays.toString(b));
        c.eq("readBytesN partial block", 2, in.readBytesN(h, b, 4));
        c.eq("partial block zero-filled", "[-128, 10, 0, 0]", Arrays.toString(b));
        c.eq("readBytesN at the end", -1, in.readBytesN(h, b, 4));
        in.closeN(h);
    }

    private void names() throws IOException {
        KivDatasetWriter writer = new KivDatasetWriter();
        int h = writer.openN("/u/zz/a.txt");
        c.isTrue("HFS path open", h != 0);
        writer.writeRecordN(h, "hfs\n");
        writer.closeN(h);
        c.eq("HFS path file", "hfs\n", read("$u$zz$a.txt"));

        KivDatasetReader reader = new KivDatasetReader();
        reader.errno = 0;
        c.eq("missing data set", 0, reader.openN("//'ZZ.MISSING'"));
        c.eq("errno of a missing file", 2, reader.errno);
        c.isTrue("strerror of a missing file: " + reader.strerror,
                reader.strerror != null && !reader.strerror.isEmpty() && !reader.strerror.contains(":"));
        KivDatasetReader notAllocated = new KivDatasetReader();
        c.eq("DD not allocated", 0, notAllocated.openN("DD:NOTALLOC"));
        c.isTrue("errno for DD:NOTALLOC", notAllocated.errno != 0);
        c.eq("null name", 0, new KivDatasetReader().openN(null));
        c.eq("name leaving the directory", 0, new KivDatasetReader().openN("../x"));
    }

    private void concatenation() throws IOException {
        write("ZZ.A__", "a\n");
        write("ZZ.B__", "b\n");
        KivDatasetDD first = dd("CONC1", "ZZ.A", null, SHR);
        KivDatasetDD second = dd("CONC2", "ZZ.B", null, SHR);
        c.eq("CONC1 alloc", 0, first.dyninitN() + first.dynallocN());
        c.eq("CONC2 alloc", 0, second.dyninitN() + second.dynallocN());
        c.eq("concatenateN", 0, first.concatenateN("CONC1", "CONC2"));
        c.eq("concatenateN null name", -1, first.concatenateN(null, "CONC2"));
        c.eq("CONC2 free after concatenation", 0, second.dynfreeN());
        c.eq("CONC1 free", 0, first.dynfreeN());
        c.eq("CONC1 destroy", 0, first.dyndestroyN());
        c.eq("CONC2 destroy", 0, second.dyndestroyN());
    }

    private void staleHandles() {
        KivDatasetDD dd = dd("STALE", "ZZ.DATA", null, SHR);
        c.eq("STALE dyninitN", 0, dd.dyninitN());
        int old = dd.ivDyntHandle;
        c.eq("STALE dynallocN", 0, dd.dynallocN());
        c.eq("STALE dynfreeN", 0, dd.dynfreeN());
        c.eq("STALE dyndestroyN", 0, dd.dyndestroyN());
        dd.ivDyntHandle = old;
        c.eq("toHexStringN on a stale handle", null, dd.toHexStringN());
        c.eq("dynallocN on a stale handle", 4, dd.dynallocN());
        c.eq("stale handle cleared", 0, dd.ivDyntHandle);
        dd.ivDyntHandle = 0x12345;
        c.eq("dynfreeN on a made-up handle", 0, dd.dynfreeN());
        c.eq("dyndestroyN on a made-up handle", 0, dd.dyndestroyN());

        // A DD destroyed while still allocated leaves the allocation list.
        KivDatasetDD live = dd("LIVEDD", "ZZ.DATA", null, SHR);
        c.eq("LIVEDD alloc", 0, live.dyninitN() + live.dynallocN());
        c.eq("LIVEDD destroyed while allocated", 0, live.dyndestroyN());
        c.eq("LIVEDD gone from the list", 0, new KivDatasetReader().openN("DD:LIVEDD"));

        KivDatasetReader reader = new KivDatasetReader();
        int h = reader.openN("ZZ.DATA__");
        reader.closeN(h);
        c.eq("readRecordN on a closed handle", null, reader.readRecordN(h));
        c.eq("readRecordN_old on a closed handle", -1, reader.readRecordN_old(h, new char[3]));
        c.eq("writeRecordN on a made-up handle", -1, new KivDatasetWriter().writeRecordN(0x4242, "x"));
        c.eq("writeRecordN_old on handle 0", -1, new KivDatasetWriter().writeRecordN_old(0, new char[1], 1));
        c.eq("readBytesN on a closed handle", -1, new KivDatasetInputStream().readBytesN(h, new byte[2], 2));
        c.eq("writeBytesN on a closed handle", -1, new KivDatasetOutputStream().writeBytesN(h, new byte[2], 2));
        reader.closeN(h);
        reader.closeN(0);
    }

    private void levelFour() {
        KivDatasetReader reader = new KivDatasetReader();
        int h = reader.openN("ZZ.DATA__");
        c.eq("read at level 4", "line1\n", reader.readRecordN(h));
        reader.closeN(h);
    }

    /** Threads that each allocate a DD, write a data set and read it back, all at once. */
    private void threads(int count) throws InterruptedException {
        final int lines = 400;
        List<String> names = Collections.synchronizedList(new ArrayList<>());
        List<String> problems = Collections.synchronizedList(new ArrayList<>());
        List<Thread> threads = new ArrayList<>();
        for (int t = 0; t < count; t++) {
            final int id = t;
            threads.add(new Thread(() -> {
                for (int round = 0; round < 3; round++) {
                    KivDatasetDD dd = dd(null, "ZZ.T" + id + "R" + round, null, NEW);
                    if (dd.dyninitN() != 0 || dd.dynallocN() != 0) {
                        problems.add("allocation " + id);
                        continue;
                    }
                    names.add(dd.ivDDName);
                    KivDatasetWriter w = new KivDatasetWriter();
                    int h = w.openN("DD:" + dd.ivDDName);
                    StringBuilder expected = new StringBuilder();
                    for (int i = 0; i < lines; i++) {
                        String line = "thread " + id + " round " + round + " line " + i + " " + "x".repeat(i % 97) + "\n";
                        expected.append(line);
                        if (w.writeRecordN(h, line) != line.length()) {
                            problems.add("write " + id);
                        }
                    }
                    w.closeN(h);
                    KivDatasetReader r = new KivDatasetReader();
                    h = r.openN("DD:" + dd.ivDDName);
                    StringBuilder got = new StringBuilder();
                    char[] chars = new char[200];
                    for (String s; ; ) {
                        if (got.length() % 2 == 0) {
                            s = r.readRecordN(h);
                        } else {
                            int n = r.readRecordN_old(h, chars);
                            s = n < 0 ? null : new String(chars, 0, n);
                        }
                        if (s == null) {
                            break;
                        }
                        got.append(s);
                    }
                    r.closeN(h);
                    if (!expected.toString().equals(got.toString())) {
                        problems.add("data of thread " + id + " round " + round);
                    }
                    dd.dynfreeN();
                    dd.dyndestroyN();
                }
            }));
        }
        for (Thread t : threads) {
            t.start();
        }
        for (Thread t : threads) {
            t.join();
        }
        c.eq("threads: problems", "[]", problems.toString());
        Set<String> distinct = new HashSet<>(names);
        c.eq("threads: every DD name given once", names.size(), distinct.size());
        c.eq("threads: every allocation done", count * 3, names.size());
    }
}
