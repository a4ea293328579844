package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivDatasetInputStream;
import com.zov.kiv.host.KivDatasetOutputStream;
import com.zov.kiv.host.KivDatasetReader;
import com.zov.kiv.host.KivDatasetWriter;
import com.zov.kiv.host.KivLibrary;
import java.io.BufferedReader;
import java.io.BufferedWriter;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.OutputStreamWriter;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Locale;
import java.util.Properties;

/**
 * The data-set streams of kivutils against Java's own classes on the same
 * files, interleaved round by round (bench/streams_bench.sh runs it).
 * bench.mode=read-records or bytes: MB/s of one pair (record reads, byte
 * reads and writes) and the ratio kivutils / Java (goal >= 0.9);
 * write-records: see writeRecords (bench.goal: the ratio to reach). Each pair runs in a VM of its own, so that what one pair
 * leaves on the heap (the writers' lines) cannot slow another.
 * bench.mode=memory-kiv or memory-java: the growth of the peak resident
 * memory while reading bench.file.
 */
public final class StreamsBench implements KivApplication {
    private static final int BLOCK = 64 * 1024;

    @Override
    public int run(Properties p) throws Exception {
        KivLibrary.load(p);
        String mode = p.getProperty("bench.mode", "read-records");
        String file = p.getProperty("bench.file", "lines.txt");
        if (mode.startsWith("memory")) {
            readOnce(file, 1);  // loads the classes and the library's code
            long before = peakKiB();
            long lines = mode.equals("memory-kiv") ? kivReadRecords(file) : javaReadLines(file);
            long after = peakKiB();
            System.out.printf("memory %s: %d characters, peak RSS %d KiB -> %d KiB, growth %d KiB%n", mode, lines, before,
                    after, after - before);
            return 0;
        }
        int rounds = Integer.parseInt(p.getProperty("bench.rounds", "5"));
        long size = Files.size(Paths.get(file));
        List<String> names = new ArrayList<>();
        List<Work> work = new ArrayList<>();
        switch (mode) {
            case "read-records":
                add(names, work, "readRecordN", () -> kivReadRecords(file), "BufferedReader.readLine",
                        () -> javaReadLines(file));
                break;
            case "write-records":
                return writeRecords(p, file, rounds, size);
            case "write-shared":
                return writeShared(file, rounds, size);
            case "bytes":
                add(names, work, "readBytesN 64 KiB", () -> kivReadBytes(file), "FileInputStream.read",
                        () -> javaReadBytes(file));
                add(names, work, "writeBytesN 64 KiB", () -> kivWriteBytes(size, "bin.kiv"), "FileOutputStream.write",
                        () -> javaWriteBytes(size, "bin.java"));
                break;
            default:
                throw new IllegalArgumentException("bench.mode " + mode);
        }
        double[][] cpu = new double[work.size()][rounds];
        double[][] wall = new double[work.size()][rounds];
        for (int r = 0; r < rounds + 1; r++) {  // round 0 warms up
            for (int i = 0; i < work.size(); i++) {
                long[] t = times(work.get(i));
                if (r > 0) {
                    wall[i][r - 1] = t[0] / 1e9;
                    cpu[i][r - 1] = t[1] / 1e9;
                }
            }
        }
        double mb = size / 1e6;
        // Result rows for bench/table.py: figure, value, peer, peer value, goal.
        for (int i = 0; i < work.size(); i += 2) {
            System.out.printf(Locale.ROOT, "ROW\t%s (MB/s of CPU time, median of %d)\t%.2f\t%s\t%.2f\tratio>=0.90%n",
                    names.get(i), rounds, mb / median(cpu[i]), names.get(i + 1), mb / median(cpu[i + 1]));
            System.out.printf(Locale.ROOT, "ROW\t%s (MB/s of wall time, median of %d)\t%.2f\t%s\t%.2f\t-%n",
                    names.get(i), rounds, mb / median(wall[i]), names.get(i + 1), mb / median(wall[i + 1]));
        }
        return 0;
    }

    /**
     * writeRecordN against BufferedWriter.write(s) with the line end inside s
     * (the goal's peer) and against write(s) + newLine(), in CPU time of the
     * writing thread (the wall time of a 2-core machine swings too much);
     * wall time beside it; and the bytes per write(2) of each writer, from
     * the process's own I/O counters.
     */
    private static int writeRecords(Properties p, String file, int rounds, long size) throws IOException {
        String goal = p.getProperty("bench.goal", "0.80");
        List<String> lines = lines(file);
        List<String> bare = new ArrayList<>();
        for (String s : lines) {
            bare.add(s.substring(0, s.length() - 1));
        }
        Work[] work = {
            () -> kivWriteRecords(file, "out.kiv"),
            () -> javaWriteLines(file, "out.java"),
            () -> javaWriteNewLine(bare, "out.nl"),
        };
        double[][] cpu = new double[work.length][rounds];
        double[][] wall = new double[work.length][rounds];
        double[] perCall = new double[work.length];
        for (int r = 0; r < rounds + 1; r++) {  // round 0 warms up
            for (int i = 0; i < work.length; i++) {
                long calls = writeCalls();
                long[] t = times(work[i]);
                if (r > 0) {
                    wall[i][r - 1] = t[0] / 1e9;
                    cpu[i][r - 1] = t[1] / 1e9;
                    perCall[i] = (double) size / Math.max(1, writeCalls() - calls);
                }
            }
        }
        double mb = size / 1e6;
        double records = lines.size();
        double kivCpu = median(cpu[0]);
        System.out.printf(Locale.ROOT, "ROW\twriteRecordN (MB/s of CPU time, median of %d)\t%.2f\t"
                + "BufferedWriter.write(s)\t%.2f\tratio>=%s%n", rounds, mb / kivCpu, mb / median(cpu[1]), goal);
        System.out.printf(Locale.ROOT, "ROW\twriteRecordN (MB/s of CPU time, median of %d)\t%.2f\t"
                + "write(s) + newLine()\t%.2f\tratio>=1.00%n", rounds, mb / kivCpu, mb / median(cpu[2]));
        System.out.printf(Locale.ROOT, "ROW\twriteRecordN (ns of CPU time per record)\t%.1f\t"
                + "BufferedWriter.write(s)\t%.1f\t-%n", kivCpu * 1e9 / records, median(cpu[1]) * 1e9 / records);
        System.out.printf(Locale.ROOT, "ROW\twriteRecordN (MB/s of wall time, median of %d)\t%.2f\t"
                + "BufferedWriter.write(s)\t%.2f\t-%n", rounds, mb / median(wall[0]), mb / median(wall[1]));
        System.out.printf(Locale.ROOT, "ROW\twriteRecordN bytes per write call (KiB; the process's own count of calls)\t%.1f\t"
                + "BufferedWriter.write(s)\t%.1f\tvalue>=60%n", perCall[0] / 1024, perCall[1] / 1024);
        return 0;
    }

    private static final int SHARED_THREADS = 8;

    /**
     * Eight threads write the file's records into one writer (record i by
     * thread i % 8) against eight threads writing them into one
     * BufferedWriter, which locks inside: the CPU time of the eight threads
     * together (goal: kivutils / Java >= 0.8).
     */
    private static int writeShared(String file, int rounds, long size) throws Exception {
        List<String> lines = lines(file);
        double[][] cpu = new double[2][rounds];
        for (int r = 0; r < rounds + 1; r++) {  // round 0 warms up
            for (int i = 0; i < 2; i++) {
                double seconds = i == 0 ? kivWriteShared(lines, "out.kiv") : javaWriteShared(lines, "out.java");
                if (r > 0) {
                    cpu[i][r - 1] = seconds;
                }
            }
        }
        double mb = size / 1e6;
        System.out.printf(Locale.ROOT, "ROW\twriteRecordN, %d threads on one writer (MB/s of CPU time, median of %d)"
                + "\t%.2f\tBufferedWriter.write(s), %d threads\t%.2f\tratio>=0.80%n", SHARED_THREADS, rounds,
                mb / median(cpu[0]), SHARED_THREADS, mb / median(cpu[1]));
        return 0;
    }

    /** Runs body(t) on eight threads at once; the CPU seconds they took together. */
    private static double onThreads(java.util.function.IntConsumer body) throws InterruptedException {
        java.lang.management.ThreadMXBean bean = java.lang.management.ManagementFactory.getThreadMXBean();
        long[] cpu = new long[SHARED_THREADS];
        java.util.concurrent.CountDownLatch start = new java.util.concurrent.CountDownLatch(1);
        Thread[] threads = new Thread[SHARED_THREADS];
        for (int t = 0; t < SHARED_THREADS; t++) {
            final int id = t;
            threads[t] = new Thread(() -> {
                try {
                    start.await();
                } catch (InterruptedException e) {
                    return;
                }
                long before = bean.getCurrentThreadCpuTime();
                body.accept(id);
                cpu[id] = bean.getCurrentThreadCpuTime() - before;
            });
            threads[t].start();
        }
        start.countDown();
        long total = 0;
        for (int t = 0; t < SHARED_THREADS; t++) {
            threads[t].join();
            total += cpu[t];
        }
        return total / 1e9;
    }

    private static double kivWriteShared(List<String> lines, String out) throws InterruptedException {
        KivDatasetWriter w = new KivDatasetWriter();
        int h = w.openN(out);
        double seconds = onThreads(t -> {
            long n = 0;
            for (int i = t; i < lines.size(); i += SHARED_THREADS) {
                n += w.writeRecordN(h, lines.get(i));
            }
            sink += n;
        });
        w.closeN(h);
        return seconds;
    }

    private static double javaWriteShared(List<String> lines, String out) throws Exception {
        try (BufferedWriter w = new BufferedWriter(
                new OutputStreamWriter(new FileOutputStream(out), StandardCharsets.UTF_8))) {
            return onThreads(t -> {
                try {
                    for (int i = t; i < lines.size(); i += SHARED_THREADS) {
                        w.write(lines.get(i));
                    }
                } catch (IOException e) {
                    throw new java.io.UncheckedIOException(e);
                }
            });
        }
    }

    /** Wall and CPU nanoseconds of one run. */
    private static long[] times(Work w) throws IOException {
        java.lang.management.ThreadMXBean bean = java.lang.management.ManagementFactory.getThreadMXBean();
        long cpu = bean.getCurrentThreadCpuTime();
        long start = System.nanoTime();
        sink += w.run();
        return new long[] {System.nanoTime() - start, bean.getCurrentThreadCpuTime() - cpu};
    }

    /** The write calls this process made so far (-1 where the system does not count them). */
    private static long writeCalls() throws IOException {
        for (String line : Files.readAllLines(Paths.get("/proc/self/io"))) {
            if (line.startsWith("syscw:")) {
                return Long.parseLong(line.replaceAll("[^0-9]", ""));
            }
        }
        return -1;
    }

    private static double median(double[] v) {
        double[] s = v.clone();
        java.util.Arrays.sort(s);
        return s[s.length / 2];
    }

    private static long javaWriteNewLine(List<String> lines, String out) throws IOException {
        long n = 0;
        try (BufferedWriter w = new BufferedWriter(
                new OutputStreamWriter(new FileOutputStream(out), StandardCharsets.UTF_8))) {
            for (String s : lines) {
                w.write(s);
                w.newLine();
                n += s.length() + 1;
            }
        }
        return n;
    }

    private static void add(List<String> names, List<Work> work, String kivName, Work kiv, String javaName, Work java) {
        names.add(kivName);
        work.add(kiv);
        names.add(javaName);
        work.add(java);
    }

    private interface Work {
        long run() throws IOException;
    }

    private static long sink;

    private static long peakKiB() throws IOException {
        for (String line : Files.readAllLines(Paths.get("/proc/self/status"))) {
            if (line.startsWith("VmHWM:")) {
                return Long.parseLong(line.replaceAll("[^0-9]", ""));
            }
        }
        return -1;
    }

    private static void readOnce(String file, int lines) {
        KivDatasetReader r = new KivDatasetReader();
        int h = r.openN(file);
        for (int i = 0; i < lines; i++) {
            r.readRecordN(h);
        }
        r.closeN(h);
    }

    private static long kivReadRecords(String file) {
        KivDatasetReader r = new KivDatasetReader();
        int h = r.openN(file);
        long n = 0;
        for (String s = r.readRecordN(h); s != null; s = r.readRecordN(h)) {
            n += s.length();
        }
        r.closeN(h);
        return n;
    }

    private static long javaReadLines(String file) throws IOException {
        long n = 0;
        try (BufferedReader in = new BufferedReader(
                new InputStreamReader(new FileInputStream(file), StandardCharsets.UTF_8))) {
            for (String s = in.readLine(); s != null; s = in.readLine()) {
                n += s.length() + 1;
            }
        }
        return n;
    }

    // Both writers copy the lines they are given; the lines come from the
    // input file, read once into memory.
    private static List<String> cached;
    private static String cachedFile;

    private static List<String> lines(String file) throws IOException {
        if (!file.equals(cachedFile)) {
            cached = new ArrayList<>();
            for (String s : Files.readAllLines(Paths.get(file), StandardCharsets.UTF_8)) {
                cached.add(s + "\n");
            }
            cachedFile = file;
        }
        return cached;
    }

    private static long kivWriteRecords(String file, String out) throws IOException {
        List<String> lines = lines(file);
        KivDatasetWriter w = new KivDatasetWriter();
        int h = w.openN(out);
        long n = 0;
        for (String s : lines) {
            n += w.writeRecordN(h, s);
        }
        w.closeN(h);
        return n;
    }

    private static long javaWriteLines(String file, String out) throws IOException {
        List<String> lines = lines(file);
        long n = 0;
        try (BufferedWriter w = new BufferedWriter(
                new OutputStreamWriter(new FileOutputStream(out), StandardCharsets.UTF_8))) {
            for (String s : lines) {
                w.write(s);
                n += s.length();
            }
        }
        return n;
    }

    private static long kivReadBytes(String file) {
        KivDatasetInputStream in = new KivDatasetInputStream();
        int h = in.openN(file);
        byte[] b = new byte[BLOCK];
        long n = 0;
        for (int got = in.readBytesN(h, b, BLOCK); got > 0; got = in.readBytesN(h, b, BLOCK)) {
            n += got;
        }
        in.closeN(h);
        return n;
    }

    private static long javaReadBytes(String file) throws IOException {
        byte[] b = new byte[BLOCK];
        long n = 0;
        try (FileInputStream in = new FileInputStream(file)) {
            for (int got = in.read(b, 0, BLOCK); got > 0; got = in.read(b, 0, BLOCK)) {
                n += got;
            }
        }
        return n;
    }

    private static long kivWriteBytes(long size, String out) {
        KivDatasetOutputStream o = new KivDatasetOutputStream();
        int h = o.openN(out);
        byte[] b = new byte[BLOCK];
        long n = 0;
        while (n < size) {
            n += o.writeBytesN(h, b, BLOCK);
        }
        o.closeN(h);
        return n;
    }

    private static long javaWriteBytes(long size, String out) throws IOException {
        byte[] b = new byte[BLOCK];
        long n = 0;
        try (FileOutputStream o = new FileOutputStream(out)) {
            while (n < size) {
                o.write(b, 0, BLOCK);
                n += BLOCK;
            }
        }
        return n;
    }
}
