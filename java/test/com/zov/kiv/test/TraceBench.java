package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivHostUtilities;
import com.zov.kiv.host.KivLibrary;
import java.io.FileOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.time.ZoneOffset;
import java.time.ZonedDateTime;
import java.time.format.DateTimeFormatter;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Locale;
import java.util.Properties;

/**
 * Trace lines per second: kivutils' traceLineN against Java writing the same
 * line the same way (time stamp, three blanks, the text; the file opened for
 * appending, written and closed for every line), interleaved round by round.
 * Prints a result row for bench/table.py (bench/run runs it).
 */
public final class TraceBench implements KivApplication {
    private static final DateTimeFormatter STAMP = DateTimeFormatter.ofPattern("MM/dd/yy HH:mm:ss", Locale.ROOT);
    private static final String TEXT = "Trace benchmark line with some text of a usual length";

    @Override
    public int run(Properties p) throws Exception {
        KivLibrary.load(p);
        int lines = Integer.parseInt(p.getProperty("bench.lines", "20000"));
        int rounds = Integer.parseInt(p.getProperty("bench.rounds", "5"));
        List<Double> kiv = new ArrayList<>();
        List<Double> java = new ArrayList<>();
        for (int r = 0; r < rounds + 1; r++) {  // round 0 warms up
            double k = kivLines("trace.kiv", lines);
            double j = javaLines("trace.java", lines);
            if (r > 0) {
                kiv.add(k);
                java.add(j);
            }
        }
        System.out.printf(Locale.ROOT, "ROW\ttraceLineN (lines/s, median of %d)\t%.0f\tJava, open-append-close per line\t%.0f\t-%n",
                rounds, median(kiv), median(java));
        return 0;
    }

    private static double kivLines(String file, int lines) {
        if (KivHostUtilities.initTraceN(file, 1) != 0) {
            throw new IllegalStateException("trace file " + file + " cannot be opened");
        }
        long start = System.nanoTime();
        for (int i = 0; i < lines; i++) {
            KivHostUtilities.traceLineN(TEXT, 1);
        }
        double seconds = (System.nanoTime() - start) / 1e9;
        KivHostUtilities.stopTraceN();
        return lines / seconds;
    }

    private static double javaLines(String file, int lines) throws IOException {
        long start = System.nanoTime();
        for (int i = 0; i < lines; i++) {
            String line = STAMP.format(ZonedDateTime.now(ZoneOffset.UTC)) + "   " + TEXT + "\n";
            try (FileOutputStream out = new FileOutputStream(file, true)) {
                out.write(line.getBytes(StandardCharsets.UTF_8));
            }
        }
        return lines / ((System.nanoTime() - start) / 1e9);
    }

    private static double median(List<Double> values) {
        List<Double> sorted = new ArrayList<>(values);
        Collections.sort(sorted);
        return sorted.get(sorted.size() / 2);
    }
}
