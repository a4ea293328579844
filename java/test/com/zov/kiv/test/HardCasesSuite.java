package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivConsoleCommand;
import com.zov.kiv.host.KivDatasetDD;
import com.zov.kiv.host.KivDatasetInputStream;
import com.zov.kiv.host.KivDatasetOutputStream;
import com.zov.kiv.host.KivDatasetReader;
import com.zov.kiv.host.KivDatasetUtilities;
import com.zov.kiv.host.KivDatasetWriter;
import com.zov.kiv.host.KivHFSFile;
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
import java.util.List;
import java.util.Properties;
import java.util.Vector;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.concurrent.atomic.AtomicInteger;

/**
 * The cases where a library of this kind tends to lose data or crash: handle
 * values that come back, records of any bytes, several threads on one console
 * and one DD request, directories where files are expected, a full device,
 * and the trace level of each kind of line. Expected texts are written out
 * character by character, never made by the VM's own decoders.
 *
 * Properties: hardcases.sections (comma-separated; default all),
 * hardcases.millis (how long the thread sections run; default 800).
 */
public final class HardCasesSuite implements KivApplication {
    private static final int SHR = 8;
    private static final int KEEP = 8;

    private final Checks c = new Checks("hardcases");
    private String trace;
    private int millis;

    @Override
    public int run(Properties properties) throws Exception {
        KivLibrary.load(properties);
        trace = System.getProperty("KivJava.tracefile");
        millis = Integer.parseInt(properties.getProperty("hardcases.millis", "800"));
        List<String> sections = Arrays.asList(
                properties.getProperty("hardcases.sections",
                        "handles,bytes,symbol,consoles,requests,directories,full,levels").split(","));
        KivHostUtilities.initTraceN(trace, 0);
        if (sections.contains("handles")) {
            reusedHandles();
        }
        if (sections.contains("bytes")) {
            leadingNul();
            outsideBytes();
            writtenAndReadBack();
        }
        if (sections.contains("symbol")) {
            symbol();
        }
        if (sections.contains("consoles")) {
            consoles();
        }
        if (sections.contains("requests")) {
            requests();
        }
        if (sections.contains("directories")) {
            directories();
        }
        if (sections.contains("full")) {
            fullDevice();
        }
        if (sections.contains("levels")) {
            levels();
        }
        return c.finish();
    }

    private static void write(String file, byte[] bytes) throws IOException {
        Files.write(Paths.get(file), bytes);
    }

    private static byte[] bytes(int... values) {
        byte[] b = new byte[values.length];
        for (int i = 0; i < values.length; i++) {
            b[i] = (byte) values[i];
        }
        return b;
    }

    private static byte[] ascii(String s) {
        return s.getBytes(StandardCharsets.US_ASCII);
    }

    private static byte[] join(byte[]... parts) {
        int n = 0;
        for (byte[] p : parts) {
            n += p.length;
        }
        byte[] out = new byte[n];
        int at = 0;
        for (byte[] p : parts) {
            System.arraycopy(p, 0, out, at, p.length);
            at += p.length;
        }
        return out;
    }

    /** The characters of a text as code units in hex, for messages. */
    private static String units(String s) {
        if (s == null) {
            return "null";
        }
        StringBuilder b = new StringBuilder();
        for (char ch : s.toCharArray()) {
            b.append(String.format("%04x ", (int) ch));
        }
        return b.toString().trim();
    }

    private void eqText(String name, String expected, String actual) {
        c.eq(name, units(expected), units(actual));
    }

    // ---- handles ------------------------------------------------------------

    /**
     * A thread uses a stream, closes it, and opens others until a new one gets
     * the same handle value (the table gives values back after 2048 uses of
     * a slot): the first call on the new stream must reach it.
     */
    private void reusedHandles() throws IOException {
        write("ZZ.HREUSE__", ascii("R1\nR2\n"));
        KivDatasetReader reader = new KivDatasetReader();
        int first = reader.openN("//'ZZ.HREUSE'");
        c.eq("handles: first read", "R1\n", reader.readRecordN(first));
        reader.closeN(first);
        int h = 0;
        int opens = 0;
        while (opens < 10000) {
            h = reader.openN("//'ZZ.HREUSE'");
            opens++;
            if (h == first) {
                break;
            }
            reader.closeN(h);
        }
        c.isTrue("handles: the value came back (" + opens + " opens)", h == first);
        c.eq("handles: reader's first call on the new stream", "R1\n", reader.readRecordN(h));
        reader.closeN(h);

        // The same for a char-array read and for a writer.
        int again = reader.openN("//'ZZ.HREUSE'");
        char[] chars = new char[4];
        c.eq("handles: char read before", 3, reader.readRecordN_old(again, chars));
        reader.closeN(again);
        int h2;
        do {
            h2 = reader.openN("//'ZZ.HREUSE'");
            if (h2 != again) {
                reader.closeN(h2);
            }
        } while (h2 != again);
        c.eq("handles: char read on the new stream", 3, reader.readRecordN_old(h2, chars));
        reader.closeN(h2);

        KivDatasetWriter writer = new KivDatasetWriter();
        int w = writer.openN("//'ZZ.HWRITE'");
        c.eq("handles: write before", 2, writer.writeRecordN(w, "a\n"));
        writer.closeN(w);
        int w2;
        do {
            w2 = writer.openN("//'ZZ.HWRITE'");
            if (w2 != w) {
                writer.closeN(w2);
            }
        } while (w2 != w);
        c.eq("handles: writer's first call on the new stream", 2, writer.writeRecordN(w2, "b\n"));
        writer.closeN(w2);
        c.eq("handles: the new stream's record is in the file", "b\n",
                new String(Files.readAllBytes(Paths.get("ZZ.HWRITE__")), StandardCharsets.US_ASCII));
        c.eq("handles: a closed value finds nothing", null, reader.readRecordN(h2));
    }

    // ---- records of any bytes ----------------------------------------------------

    /** A line that starts with NUL is an empty record, not the end of the data. */
    private void leadingNul() throws IOException {
        write("ZZ.NUL__", join(bytes(0), ascii("abc\nnext\n")));
        KivDatasetReader reader = new KivDatasetReader();
        int h = reader.openN("//'ZZ.NUL'");
        c.eq("NUL: first record", "", reader.readRecordN(h));
        c.eq("NUL: second record", "next\n", reader.readRecordN(h));
        c.eq("NUL: end", null, reader.readRecordN(h));
        reader.closeN(h);

        h = reader.openN("//'ZZ.NUL'");
        char[] chars = {'x', 'x', 'x', 'x', 'x', 'x'};
        c.eq("NUL: char read gives 0", 0, reader.readRecordN_old(h, chars));
        c.eq("NUL: char array cleared", "[0, 0, 0, 0, 0, 0]", Arrays.toString(codes(chars)));
        c.eq("NUL: char read of the next line", 5, reader.readRecordN_old(h, chars));
        c.eq("NUL: its characters", "next\n", new String(chars, 0, 5));
        c.eq("NUL: char read at the end", -1, reader.readRecordN_old(h, chars));
        reader.closeN(h);
    }

    private static int[] codes(char[] chars) {
        int[] out = new int[chars.length];
        for (int i = 0; i < chars.length; i++) {
            out[i] = chars[i];
        }
        return out;
    }

    /**
     * Lines of every kind of byte among plain ones (the plain ones are made many
     * at a time, the others one by one): each reads as the characters below.
     */
    private void outsideBytes() throws IOException {
        Object[][] cases = {
            {"Latin-1 degree", bytes('2', '5', 0xB0, 'C', '\n'), "25\u00b0C\n"},
            {"four-byte UTF-8", bytes('a', 0xF0, 0x9F, 0x98, 0x80, 'b', '\n'), "a\ud83d\ude00b\n"},
            {"cut sequence", bytes('x', 0xE2, 0x82, '\n'), "x\u00e2\u0082\n"},
            {"cut at the end of the file", bytes('y', 0xC3), "y\u00c3"},
            {"two-byte UTF-8", bytes(0xC3, 0xA9, '\n'), "\u00e9\n"},
            {"three-byte UTF-8", bytes(0xE2, 0x82, 0xAC, '\n'), "\u20ac\n"},
            {"surrogates in three bytes each", bytes(0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80, '\n'), "\ud83d\ude00\n"},
            {"lone surrogate", bytes(0xED, 0xB0, 0x80, '\n'), "\udc00\n"},
            {"modified NUL", bytes('n', 0xC0, 0x80, 'n', '\n'), "n\u0000n\n"},
            {"overlong two bytes", bytes(0xC1, 0x81, '\n'), "\u00c1\u0081\n"},
            {"overlong three bytes", bytes(0xE0, 0x81, 0x81, '\n'), "\u00e0\u0081\u0081\n"},
            {"beyond U+10FFFF", bytes(0xF4, 0x90, 0x80, 0x80, '\n'), "\u00f4\u0090\u0080\u0080\n"},
            {"lone continuation and FF", bytes(0x80, 0xFF, 0xFE, '\n'), "\u0080\u00ff\u00fe\n"},
            {"Windows-1252 quotes", bytes(0x93, 'q', 0x94, '\n'), "\u0093q\u0094\n"},
        };
        byte[] plain = ascii("plain line\n");
        List<byte[]> parts = new ArrayList<>();
        List<String> expected = new ArrayList<>();
        for (Object[] cs : cases) {
            if (cs[0].equals("cut at the end of the file")) {
                continue;
            }
            for (int i = 0; i < 5; i++) {
                parts.add(plain);
                expected.add("plain line\n");
            }
            parts.add((byte[]) cs[1]);
            expected.add((String) cs[2]);
        }
        parts.add(plain);
        expected.add("plain line\n");
        parts.add(bytes('y', 0xC3));
        expected.add("y\u00c3");
        write("ZZ.BYTES__", join(parts.toArray(new byte[0][])));

        KivDatasetReader reader = new KivDatasetReader();
        int h = reader.openN("//'ZZ.BYTES'");
        for (int i = 0; i < expected.size(); i++) {
            eqText("bytes: record " + i, expected.get(i), reader.readRecordN(h));
        }
        c.eq("bytes: end", null, reader.readRecordN(h));
        reader.closeN(h);

        // One record per file: no run of plain lines around it.
        for (Object[] cs : cases) {
            write("ZZ.ONE__", (byte[]) cs[1]);
            h = reader.openN("//'ZZ.ONE'");
            eqText("bytes alone: " + cs[0], (String) cs[2], reader.readRecordN(h));
            c.eq("bytes alone, end: " + cs[0], null, reader.readRecordN(h));
            reader.closeN(h);
        }
        // A char-array read keeps taking each byte as its own character.
        write("ZZ.ONE__", bytes('2', '5', 0xB0, 'C', '\n'));
        h = reader.openN("//'ZZ.ONE'");
        char[] chars = new char[5];
        c.eq("bytes: char read", 5, reader.readRecordN_old(h, chars));
        eqText("bytes: char read's characters", "25\u00b0C\n", new String(chars));
        reader.closeN(h);
    }

    /** What writeRecordN wrote reads back as the same String; the file holds modified UTF-8. */
    private void writtenAndReadBack() throws IOException {
        String[] records = {
            "emoji \ud83d\ude00 and \u00e9\n",
            "nul \u0000 inside\n",
            "lone \ud800 high\n",
            "lone \udfff low\n",
            "euro \u20ac\n",
            "plain\n",
        };
        KivDatasetWriter writer = new KivDatasetWriter();
        int h = writer.openN("//'ZZ.BACK'");
        for (String r : records) {
            writer.writeRecordN(h, r);
        }
        writer.closeN(h);
        byte[] file = Files.readAllBytes(Paths.get("ZZ.BACK__"));
        byte[] expected = join(
                ascii("emoji "), bytes(0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80), ascii(" and "), bytes(0xC3, 0xA9),
                ascii("\nnul "), bytes(0xC0, 0x80), ascii(" inside\nlone "), bytes(0xED, 0xA0, 0x80),
                ascii(" high\nlone "), bytes(0xED, 0xBF, 0xBF), ascii(" low\neuro "), bytes(0xE2, 0x82, 0xAC),
                ascii("\nplain\n"));
        c.eq("written: the file's bytes", Arrays.toString(expected), Arrays.toString(file));
        KivDatasetReader reader = new KivDatasetReader();
        h = reader.openN("//'ZZ.BACK'");
        for (int i = 0; i < records.length; i++) {
            eqText("written and read back: record " + i, records[i], reader.readRecordN(h));
        }
        c.eq("written: end", null, reader.readRecordN(h));
        reader.closeN(h);
    }

    /** KIVJAVASYSNAME as the test sets it: "ABC", U+1F600 in UTF-8, "D", byte B0, "F". */
    private void symbol() {
        eqText("symbol: resolved", "SYS1.ABC\ud83d\ude00D\u00b0F.PARMLIB",
                KivHostUtilities.getSystemSymbolN("SYS1.&SYSNAME..PARMLIB"));
        eqText("symbol: the caller's own text after it", "\u00e9ABC\ud83d\ude00D\u00b0F\u20ac",
                KivHostUtilities.getSystemSymbolN("\u00e9&sysname.\u20ac"));
    }

    // ---- threads ---------------------------------------------------------------------

    /** A collection class of its own beside Vector: the console must call each class's own method. */
    public static final class Collector {
        private final List<Object> items = new ArrayList<>();

        public void addElement(Object o) {
            items.add(o);
        }

        int size() {
            return items.size();
        }
    }

    /**
     * Threads collect on one console with vectors of two classes while the main
     * thread deletes it; round after round. Every call that succeeded added its
     * three messages to its own vector, and nothing else happened.
     */
    private void consoles() throws InterruptedException {
        final int threadsPerRound = 4;
        List<String> problems = Collections.synchronizedList(new ArrayList<>());
        AtomicInteger calls = new AtomicInteger();
        long end = System.currentTimeMillis() + millis;
        int rounds = 0;
        while (System.currentTimeMillis() < end || rounds < 3) {
            rounds++;
            KivConsoleCommand console = new KivConsoleCommand();
            final int h = console.consoleCreateN("OPER" + (rounds % 10));
            if (h == 0) {
                problems.add("create");
                break;
            }
            List<Thread> threads = new ArrayList<>();
            for (int t = 0; t < threadsPerRound; t++) {
                final boolean vector = t % 2 == 0;
                threads.add(new Thread(() -> {
                    KivConsoleCommand mine = new KivConsoleCommand();
                    Vector<Object> v = new Vector<>();
                    Collector col = new Collector();
                    int ok = 0;
                    for (int i = 0; i < 100000; i++) {
                        int rc = vector ? mine.consoleCommandN(h, "D T", v)
                                : mine.consoleCommandGetOutputN(h, 1, col);
                        if (rc != 0) {
                            break;
                        }
                        ok++;
                    }
                    int size = vector ? v.size() : col.size();
                    if (size != 3 * ok) {
                        problems.add((vector ? "Vector" : "Collector") + " got " + size + " for " + ok + " calls");
                    }
                    for (Object o : vector ? v : col.items) {
                        if (!"teststring".equals(o)) {
                            problems.add("element " + o);
                            break;
                        }
                    }
                    calls.addAndGet(ok);
                }));
            }
            for (Thread t : threads) {
                t.start();
            }
            Thread.sleep(rounds % 3);
            if (console.consoleDeleteN(h) != 0) {
                problems.add("delete in round " + rounds);
            }
            for (Thread t : threads) {
                t.join();
            }
        }
        c.eq("consoles: problems", "[]", problems.toString());
        c.isTrue("consoles: calls made (" + calls.get() + " in " + rounds + " rounds)", calls.get() > 0);
    }

    /**
     * One thread allocates and frees a DD again and again while another tests
     * members of the same DD: the member test's swap never shows in an
     * allocation line (the test that runs the suite checks the trace).
     */
    private void requests() throws IOException, InterruptedException {
        write("ZZ.RACE__", ascii(""));
        write("ZZ.RACE_M1_", ascii("m\n"));
        KivHostUtilities.traceLevelN(1);
        KivHostUtilities.traceLineN("hardcases: requests", 1);
        AtomicBoolean stop = new AtomicBoolean();
        AtomicInteger tests = new AtomicInteger();
        List<String> problems = Collections.synchronizedList(new ArrayList<>());
        Thread tester = new Thread(() -> {
            while (!stop.get()) {
                int rc = KivDatasetUtilities.memberExistsN("RACE", "SWAPPED");
                if (rc != 0) {
                    problems.add("memberExistsN " + rc);
                }
                tests.incrementAndGet();
            }
        });
        tester.start();
        int allocations = 0;
        long end = System.currentTimeMillis() + millis;
        while (System.currentTimeMillis() < end) {
            KivDatasetDD dd = new KivDatasetDD();
            dd.ivDDName = "RACE";
            dd.ivDSName = "ZZ.RACE";
            dd.ivMember = "M1";
            dd.ivStatus = (byte) SHR;
            dd.ivNormdisp = (byte) KEEP;
            dd.ivConddisp = (byte) KEEP;
            if (dd.dyninitN() != 0 || dd.dynallocN() != 0) {
                problems.add("allocation " + dd.ivRc + " " + dd.ivErrcode);
                break;
            }
            dd.dynfreeN();
            dd.dyndestroyN();
            allocations++;
        }
        stop.set(true);
        tester.join();
        KivHostUtilities.traceLineN("hardcases: requests end", 1);
        KivHostUtilities.traceLevelN(0);
        c.eq("requests: problems", "[]", problems.toString());
        c.isTrue("requests: " + allocations + " allocations, " + tests.get() + " member tests",
                allocations > 0 && tests.get() > 0);
    }

    // ---- directories and devices -----------------------------------------------------

    private void directories() throws IOException {
        Path dir = Paths.get("$u$zz$dir");
        Files.createDirectories(dir);
        KivHFSFile hfs = new KivHFSFile();
        c.eq("directories: removeN refuses a directory", -1, hfs.removeN("/u/zz/dir"));
        c.isTrue("directories: the directory is still there", Files.isDirectory(dir));
        c.isTrue("directories: errno set (" + hfs.errno + ")", hfs.errno != 0);
        c.isTrue("directories: strerror set (" + hfs.strerror + ")", hfs.strerror != null && !hfs.strerror.isEmpty());

        // A directory opened as a data set: the open or the first read fails,
        // and says why; no record comes back.
        KivDatasetReader reader = new KivDatasetReader();
        reader.errno = 0;
        int h = reader.openN("/u/zz/dir");
        if (h == 0) {
            c.isTrue("directories: open refused with errno " + reader.errno, reader.errno != 0);
        } else {
            c.eq("directories: read gives nothing", null, reader.readRecordN(h));
            c.eq("directories: errno of the read", 21, reader.errno);  // EISDIR
            c.eq("directories: strerror of the read", "Is a directory", reader.strerror);
            reader.closeN(h);
        }
        KivDatasetInputStream in = new KivDatasetInputStream();
        h = in.openN("/u/zz/dir");
        if (h != 0) {
            in.errno = 0;
            c.eq("directories: byte read fails", -1, in.readBytesN(h, new byte[16], 16));
            c.eq("directories: errno of the byte read", 21, in.errno);
            in.closeN(h);
        }
    }

    /** A data set whose file is a full device (the test links ZZ.FULL__ to /dev/full). */
    private void fullDevice() {
        if (!Files.exists(Paths.get("ZZ.FULL__"))) {
            c.isTrue("full: no full device here", true);
            return;
        }
        KivDatasetWriter writer = new KivDatasetWriter();
        int h = writer.openN("//'ZZ.FULL'");
        c.isTrue("full: writer open", h != 0);
        String record = "x".repeat(99) + "\n";
        int result = 0;
        int written = 0;
        for (int i = 0; i < 100000 && result >= 0; i++) {
            result = writer.writeRecordN(h, record);
            written++;
        }
        c.eq("full: a write fails", -1, result);
        c.eq("full: errno", 28, writer.errno);  // ENOSPC
        c.eq("full: strerror", "No space left on device", writer.strerror);
        c.isTrue("full: failed after " + written + " records", written > 1);
        writer.closeN(h);

        KivDatasetOutputStream out = new KivDatasetOutputStream();
        h = out.openN("//'ZZ.FULL'");
        byte[] block = new byte[1 << 20];
        c.eq("full: byte write fails", -1, out.writeBytesN(h, block, block.length));
        c.eq("full: errno of the byte write", 28, out.errno);
        out.closeN(h);
    }

    // ---- trace levels ----------------------------------------------------------------

    /**
     * The same calls at every trace level from 0 to 9, each level between markers:
     * the test that runs the suite checks at which level each kind of line
     * starts to appear.
     */
    private void levels() throws IOException {
        write("ZZ.LEVEL__", ascii("record one\n"));
        for (int level = 0; level <= 9; level++) {
            KivHostUtilities.traceLevelN(level);
            KivHostUtilities.traceLineN("hardcases: level " + level, 0);
            KivDatasetWriter writer = new KivDatasetWriter();
            int h = writer.openN("//'ZZ.LEVOUT'");
            writer.writeRecordN(h, "written\n");
            writer.closeN(h);
            KivDatasetReader reader = new KivDatasetReader();
            h = reader.openN("//'ZZ.LEVEL'");
            reader.readRecordN(h);
            reader.closeN(h);
            KivDatasetInputStream in = new KivDatasetInputStream();
            h = in.openN("//'ZZ.LEVEL'");
            in.readBytesN(h, new byte[2], 2);
            in.closeN(h);
            KivConsoleCommand console = new KivConsoleCommand();
            int ch = console.consoleCreateN("LEVELS");
            console.consoleCommandN(ch, "D T", new Vector<Object>());
            console.consoleDeleteN(ch);
            new KivHFSFile().chmodN("/u/zz", 0755);
            KivHostUtilities.wtoN(true, "LEVEL");
            KivHostUtilities.traceLevelN(0);
        }
        KivHostUtilities.traceLevelN(1);
        KivHostUtilities.traceLineN("hardcases: levels end", 0);
        KivHostUtilities.traceLevelN(0);
    }
}
