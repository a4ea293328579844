package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivDatasetOutputStream;
import com.zov.kiv.host.KivDatasetReader;
import com.zov.kiv.host.KivDatasetWriter;
import com.zov.kiv.host.KivLibrary;
import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.Properties;
import java.util.Random;

/**
 * The record writer: every kind of String, several threads on one writer, and
 * writers that are never closed. writer.mode:
 *   kinds   - writes Strings of every kind to ZZ.KINDS__ and, beside it, the
 *             bytes they must give: modified UTF-8 as DataOutputStream.writeUTF
 *             makes it (without its length), in expected.bin; the test that
 *             runs the suite compares the two files;
 *   threads - eight threads write records to one writer at once; each record
 *             must be in the file once and whole;
 *   open    - writes records and returns without closeN;
 *   exit    - writes records and ends the VM with System.exit, without closeN;
 *   race-exit, race-return, race-throw - twelve threads write never-closed
 *             writers and output streams of their own (ZZ.RACE00__ ...) while
 *             the VM ends: System.exit(0), kiv_main returning (the threads are
 *             daemons), kiv_main throwing (daemons). Each thread counts the
 *             calls that returned success in counts.bin, a memory-mapped file
 *             that outlives the process (one little-endian long a thread);
 *   fifo-exit - at System.exit(3) one writer is blocked on a FIFO that nobody
 *             reads (ZZ.FIFO__), another's FIFO is full with records still
 *             buffered (ZZ.FIFOB__), and a plain writer holds 3000 records
 *             (ZZ.PLAIN__): the test makes the FIFOs and holds them open;
 *   errors  - 20000 records to ZZ.ERR__, the result of each call in
 *             results.txt (the test injects write errors).
 */
public final class WriterSuite implements KivApplication {
    private final Checks c = new Checks("writer");

    @Override
    public int run(Properties p) throws Exception {
        KivLibrary.load(p);
        String mode = p.getProperty("writer.mode", "kinds");
        switch (mode) {
            case "kinds":
                kinds();
                break;
            case "threads":
                threads();
                break;
            case "open":
                unclosed(2000);
                break;
            case "exit":
                unclosed(2000);
                System.exit(c.finish());
                break;
            case "race-exit":
                race(false);
                System.exit(c.finish());
                break;
            case "race-return":
                race(true);
                break;
            case "race-throw":
                race(true);
                throw new IllegalStateException("kiv_main ends while writers write");
            case "fifo-exit":
                fifo();
                System.exit(3);
                break;
            case "errors":
                errors();
                break;
            default:
                throw new IllegalArgumentException(mode);
        }
        return c.finish();
    }

    /** Strings of every kind: plain, NUL, Latin-1, the rest of the BMP, pairs, lone surrogates, long ones. */
    static List<String> kindsOfStrings() {
        List<String> out = new ArrayList<>();
        Collections.addAll(out, "plain record\n", "nul \u0000 inside\n", "\u0000", "latin \u00e9\u00ff\u0080\n",
                "bmp \u0100\u07ff\u0800\u20ac\uffff\n", "pair \ud83d\ude00 \udbff\udfff\n", "lone \ud800 high\n",
                "lone \udc00 low\n", "reversed \udc00\ud800\n", "x");
        Random r = new Random(17);
        char[] pool = {'a', 'Z', '\n', '\u0000', '\u00e9', '\u00ff', '\u0100', '\u07ff', '\u0800', '\u20ac', '\uffff',
            '\ud83d', '\ude00', '\ud800', '\udfff', '\u007f', '\u0001'};
        for (int i = 0; i < 3000; i++) {
            int n = r.nextInt(i % 100 == 0 ? 5000 : 120);
            char[] cs = new char[n];
            boolean plain = r.nextInt(3) == 0;  // many plain ones, as records mostly are
            for (int k = 0; k < n; k++) {
                cs[k] = plain ? (char) ('a' + r.nextInt(26)) : pool[r.nextInt(pool.length)];
            }
            out.add(new String(cs));
        }
        out.add("z".repeat(200000) + "\n");
        out.add("\u00e9".repeat(100001) + "\n");
        out.add("\u20ac".repeat(70000) + "\ud83d\ude00\n");
        return out;
    }

    /** Modified UTF-8 of s by DataOutputStream.writeUTF, in pieces that fit its 64 KiB limit. */
    static byte[] modifiedUtf8(String s) throws IOException {
        ByteArrayOutputStream all = new ByteArrayOutputStream();
        for (int at = 0; at < s.length(); at += 20000) {
            ByteArrayOutputStream one = new ByteArrayOutputStream();
            new DataOutputStream(one).writeUTF(s.substring(at, Math.min(s.length(), at + 20000)));
            byte[] b = one.toByteArray();
            all.write(b, 2, b.length - 2);
        }
        return all.toByteArray();
    }

    private void kinds() throws IOException {
        List<String> strings = kindsOfStrings();
        KivDatasetWriter w = new KivDatasetWriter();
        int h = w.openN("//'ZZ.KINDS'");
        c.isTrue("kinds: open", h != 0);
        ByteArrayOutputStream expected = new ByteArrayOutputStream();
        int wrong = 0;
        for (String s : strings) {
            byte[] b = modifiedUtf8(s);
            expected.write(b);
            if (w.writeRecordN(h, s) != b.length) {
                wrong++;
            }
        }
        w.closeN(h);
        Files.write(Paths.get("expected.bin"), expected.toByteArray());
        c.eq("kinds: results are the bytes of each record", 0, wrong);
    }

    private void threads() throws Exception {
        KivDatasetWriter w = new KivDatasetWriter();
        int h = w.openN("//'ZZ.SHARED'");
        final int perThread = 3000;
        List<Thread> threads = new ArrayList<>();
        int[] failures = new int[8];
        for (int t = 0; t < 8; t++) {
            final int id = t;
            threads.add(new Thread(() -> {
                for (int i = 0; i < perThread; i++) {
                    String s = "thread " + id + " record " + i + " " + "\u00e9\u20ac".repeat(i % 40) + "\n";
                    if (w.writeRecordN(h, s) <= 0) {
                        failures[id]++;
                    }
                }
            }));
        }
        for (Thread t : threads) {
            t.start();
        }
        for (Thread t : threads) {
            t.join();
        }
        w.closeN(h);
        c.eq("threads: failed writes", "[0, 0, 0, 0, 0, 0, 0, 0]", Arrays.toString(failures));
        Map<String, Integer> seen = new HashMap<>();
        KivDatasetReader r = new KivDatasetReader();
        int rh = r.openN("//'ZZ.SHARED'");
        for (String s = r.readRecordN(rh); s != null; s = r.readRecordN(rh)) {
            seen.merge(s, 1, Integer::sum);
        }
        r.closeN(rh);
        int missing = 0;
        for (int t = 0; t < 8; t++) {
            for (int i = 0; i < perThread; i++) {
                String s = "thread " + t + " record " + i + " " + "\u00e9\u20ac".repeat(i % 40) + "\n";
                if (seen.getOrDefault(s, 0) != 1) {
                    missing++;
                }
            }
        }
        c.eq("threads: every record once and whole", 0, missing);
        c.eq("threads: nothing else in the file", 8 * perThread, seen.size());
    }

    private void unclosed(int records) {
        KivDatasetWriter w = new KivDatasetWriter();
        int h = w.openN("//'ZZ.OPEN'");
        c.isTrue("open: writer", h != 0);
        for (int i = 0; i < records; i++) {
            w.writeRecordN(h, "record " + i + " of a writer never closed\n");
        }
        // And bytes of an output stream never closed, after records on the same handle.
        KivDatasetOutputStream o = new KivDatasetOutputStream();
        int oh = o.openN("//'ZZ.OBIN'");
        KivDatasetWriter onSame = new KivDatasetWriter();
        onSame.writeRecordN(oh, "head\n");
        byte[] block = new byte[1000];
        for (int i = 0; i < block.length; i++) {
            block[i] = (byte) i;
        }
        for (int i = 0; i < records; i++) {
            o.writeBytesN(oh, block, block.length);
        }
    }

    /** Record i of thread t in the race: its text, line end included. */
    static String raceRecord(int t, long i) {
        return String.format("t%02d r%07d %s\n", t, i, "x".repeat((int) (i % 53)));
    }

    private void race(boolean daemons) throws Exception {
        final int threads = 12;
        java.nio.MappedByteBuffer counts;
        try (java.nio.channels.FileChannel f = java.nio.channels.FileChannel.open(Paths.get("counts.bin"),
                java.nio.file.StandardOpenOption.CREATE, java.nio.file.StandardOpenOption.READ,
                java.nio.file.StandardOpenOption.WRITE)) {
            counts = f.map(java.nio.channels.FileChannel.MapMode.READ_WRITE, 0, 8 * threads);
        }
        counts.order(java.nio.ByteOrder.LITTLE_ENDIAN);
        int[] failures = new int[threads];
        for (int t = 0; t < threads; t++) {
            final int id = t;
            Thread th = new Thread(() -> {
                String name = String.format("//'ZZ.RACE%02d'", id);
                KivDatasetWriter w = new KivDatasetWriter();
                KivDatasetOutputStream o = new KivDatasetOutputStream();
                boolean bytes = id % 2 == 1;
                int h = bytes ? o.openN(name) : w.openN(name);
                for (long i = 0; h != 0; i++) {
                    String s = raceRecord(id, i);
                    int result = bytes ? o.writeBytesN(h, s.getBytes(StandardCharsets.US_ASCII), s.length())
                            : w.writeRecordN(h, s);
                    if (result != s.length()) {
                        failures[id]++;
                        break;
                    }
                    counts.putLong(8 * id, i + 1);
                }
            });
            th.setDaemon(daemons);
            th.start();
        }
        // Until every thread has written a good many records (a minute at most).
        long end = System.nanoTime() + 60_000_000_000L;
        for (int t = 0; t < threads && System.nanoTime() < end; ) {
            if (counts.getLong(8 * t) >= 5000) {
                t++;
            } else {
                Thread.sleep(1);
            }
        }
        c.eq("race: failed writes", "[0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]", Arrays.toString(failures));
    }

    private void fifo() throws Exception {
        String record = "r".repeat(99) + "\n";
        java.util.concurrent.atomic.AtomicLong blocked = new java.util.concurrent.atomic.AtomicLong();
        Thread stuck = new Thread(() -> {
            KivDatasetWriter w = new KivDatasetWriter();
            int h = w.openN("//'ZZ.FIFO'");
            while (h != 0 && w.writeRecordN(h, record) == record.length()) {
                blocked.incrementAndGet();
            }
        });
        stuck.setDaemon(true);
        stuck.start();
        // 655 records fill what the first block writes into the pipe; 20
        // more stay buffered, and the pipe has no room for them.
        KivDatasetWriter full = new KivDatasetWriter();
        int fh = full.openN("//'ZZ.FIFOB'");
        int written = 0;
        for (int i = 0; i < 675; i++) {
            written += full.writeRecordN(fh, record) == record.length() ? 1 : 0;
        }
        c.eq("fifo: records taken while the pipe had room", 675, written);
        KivDatasetWriter plain = new KivDatasetWriter();
        int ph = plain.openN("//'ZZ.PLAIN'");
        for (int i = 0; i < 3000; i++) {
            plain.writeRecordN(ph, "plain " + i + "\n");
        }
        // Until the stuck writer makes no progress (a minute at most).
        long last = -1;
        for (int i = 0; i < 600 && blocked.get() != last; i++) {
            last = blocked.get();
            Thread.sleep(100);
        }
        c.finish();
    }

    private void errors() throws IOException {
        com.zov.kiv.host.KivHostUtilities.initTraceN("errors.trace", 3);
        KivDatasetWriter w = new KivDatasetWriter();
        int h = w.openN("//'ZZ.ERR'");
        StringBuilder results = new StringBuilder();
        for (int i = 0; i < 20000; i++) {
            int r = w.writeRecordN(h, "record " + i + " " + "e".repeat(i % 70) + "\n");
            results.append(r).append(r < 0 ? " " + w.errno : "").append('\n');
        }
        w.closeN(h);
        Files.write(Paths.get("results.txt"), results.toString().getBytes(StandardCharsets.US_ASCII));
    }
}
