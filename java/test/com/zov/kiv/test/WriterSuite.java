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
 *   exit    - writes records and ends the VM with System.exit, without closeN.
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
}
