package kivbench;

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

/**
 * The VM's own price of a native method per record, against what Java's
 * readers and writers spend on a whole record (nanoseconds per record,
 * median of the rounds, interleaved):
 *   java -Djava.library.path=DIR kivbench.JniFloor FILE ROUNDS
 * FILE holds 80-character lines. Rows for bench/table.py; no goals: these
 * figures show the floor under readRecordN and writeRecordN.
 */
public final class JniFloor {
    static native String makeString();

    static native int copyString(String record);

    static native int nothing(int value);

    private static long sink;

    private interface Work {
        long run() throws IOException;
    }

    public static void main(String[] args) throws IOException {
        System.loadLibrary("kivjnifloor");
        String file = args[0];
        int rounds = Integer.parseInt(args[1]);
        // Reads first: the writers' lines, once in memory, slow every
        // allocating loop down (the collector keeps walking them).
        int n = (int) (Files.size(Paths.get(file)) / 80);
        double[] reads = measure(rounds, n, new Work[] {
            () -> {
                long c = 0;
                for (int i = 0; i < n; i++) {
                    c += nothing(i);
                }
                return c;
            },
            () -> {
                long c = 0;
                for (int i = 0; i < n; i++) {
                    c += makeString().length();
                }
                return c;
            },
            () -> {
                long c = 0;
                try (BufferedReader in = new BufferedReader(
                        new InputStreamReader(new FileInputStream(file), StandardCharsets.UTF_8))) {
                    for (String s = in.readLine(); s != null; s = in.readLine()) {
                        c += s.length();
                    }
                }
                return c;
            },
        });
        List<String> lines = new ArrayList<>();
        for (String s : Files.readAllLines(Paths.get(file), StandardCharsets.UTF_8)) {
            lines.add(s + "\n");
        }
        double[] writes = measure(rounds, n, new Work[] {
            () -> {
                long c = 0;
                for (String s : lines) {
                    c += copyString(s);
                }
                return c;
            },
            () -> {
                long c = 0;
                try (BufferedWriter w = new BufferedWriter(
                        new OutputStreamWriter(new FileOutputStream("floor.out"), StandardCharsets.UTF_8))) {
                    for (String s : lines) {
                        w.write(s);
                        c += s.length();
                    }
                }
                return c;
            },
        });
        Files.deleteIfExists(Paths.get("floor.out"));
        row("JNI floor: empty native call (ns per record)", reads[0], "-", -1);
        row("JNI floor: NewStringUTF of a record (ns per record)", reads[1], "BufferedReader.readLine, whole record",
                reads[2]);
        row("JNI floor: GetStringLength + GetStringUTFRegion (ns per record)", writes[0],
                "BufferedWriter.write, whole record", writes[1]);
    }

    // The median time per record of each work, run interleaved round by round.
    private static double[] measure(int rounds, int records, Work[] work) throws IOException {
        List<List<Double>> times = new ArrayList<>();
        for (int i = 0; i < work.length; i++) {
            times.add(new ArrayList<>());
        }
        for (int r = 0; r < rounds + 1; r++) {  // round 0 warms up
            for (int i = 0; i < work.length; i++) {
                long start = System.nanoTime();
                sink += work[i].run();
                if (r > 0) {
                    times.get(i).add((System.nanoTime() - start) / (double) records);
                }
            }
        }
        double[] medians = new double[work.length];
        for (int i = 0; i < work.length; i++) {
            medians[i] = median(times.get(i));
        }
        return medians;
    }

    private static void row(String figure, double value, String peer, double peerValue) {
        System.out.printf(Locale.ROOT, "ROW\t%s\t%.1f\t%s\t%s\t-%n", figure, value, peer,
                peerValue < 0 ? "-" : String.format(Locale.ROOT, "%.1f", peerValue));
    }

    private static double median(List<Double> v) {
        List<Double> s = new ArrayList<>(v);
        Collections.sort(s);
        return s.get(s.size() / 2);
    }
}
