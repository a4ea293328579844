package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivHostUtilities;
import com.zov.kiv.host.KivLibrary;
import java.io.File;
import java.util.ArrayList;
import java.util.List;
import java.util.Properties;
import java.util.concurrent.atomic.AtomicInteger;

/**
 * Threads that append lines through traceLineN to one trace file, which other
 * processes may append to at the same time. Line i of thread t is
 * "tag.t.i:" + filler + ":tag.t.i", of a length from trace.min to trace.max
 * that only t and i decide (the test that reads the file computes the same
 * text: tests/hostlib/trace_writers.h). Properties: trace.file, trace.tag,
 * trace.threads, trace.lines (per thread), trace.min, trace.max,
 * trace.pause (milliseconds between two lines of a thread), and optionally
 * trace.ready (a file created once the trace is set up) and trace.go (a file
 * whose appearance starts the threads; at most 60 s are waited for it).
 * Exits with the number of lines traceLineN refused.
 */
public final class TraceWriters implements KivApplication {
    static String line(String tag, int thread, int index, int min, int max) {
        String name = tag + "." + thread + "." + index;
        long length = min + ((long) index * 7919 + (long) thread * 104729) % (max - min + 1);
        StringBuilder text = new StringBuilder(name).append(':');
        char filler = (char) ('a' + (thread + index) % 26);
        for (long n = length - 2L * name.length() - 2; n > 0; n--) {
            text.append(filler);
        }
        return text.append(':').append(name).toString();
    }

    @Override
    public int run(Properties p) throws Exception {
        KivLibrary.load(p);
        String file = p.getProperty("trace.file");
        String tag = p.getProperty("trace.tag", "W");
        int threads = Integer.parseInt(p.getProperty("trace.threads", "1"));
        int lines = Integer.parseInt(p.getProperty("trace.lines", "1"));
        int min = Integer.parseInt(p.getProperty("trace.min", "100"));
        int max = Integer.parseInt(p.getProperty("trace.max", "20000"));
        long pause = Long.parseLong(p.getProperty("trace.pause", "0"));
        if (KivHostUtilities.initTraceN(file, 1) != 0) {
            System.out.println("FAILED: trace file " + file + " cannot be opened");
            return 1;
        }
        if (p.getProperty("trace.ready") != null && !new File(p.getProperty("trace.ready")).createNewFile()) {
            System.out.println("FAILED: ready file exists");
            return 1;
        }
        if (p.getProperty("trace.go") != null) {
            File go = new File(p.getProperty("trace.go"));
            long deadline = System.nanoTime() + 60_000_000_000L;
            while (!go.exists()) {
                if (System.nanoTime() > deadline) {
                    System.out.println("FAILED: no go file within 60 s");
                    return 1;
                }
                Thread.sleep(5);
            }
        }
        AtomicInteger refused = new AtomicInteger();
        List<Thread> running = new ArrayList<>();
        for (int t = 0; t < threads; t++) {
            final int thread = t;
            running.add(new Thread(() -> {
                for (int i = 0; i < lines; i++) {
                    if (KivHostUtilities.traceLineN(line(tag, thread, i, min, max), 1) != 0) {
                        refused.incrementAndGet();
                    }
                    if (pause > 0) {
                        try {
                            Thread.sleep(pause);
                        } catch (InterruptedException e) {
                            Thread.currentThread().interrupt();
                            return;
                        }
                    }
                }
            }));
        }
        for (Thread t : running) {
            t.start();
        }
        for (Thread t : running) {
            t.join();
        }
        KivHostUtilities.stopTraceN();
        System.out.println(tag + ": " + threads * lines + " lines, " + refused.get() + " refused");
        return refused.get();
    }
}
