package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivHostUtilities;
import com.zov.kiv.host.KivJava;
import com.zov.kiv.host.KivLibrary;
import java.io.File;
import java.util.ArrayList;
import java.util.List;
import java.util.Properties;

/**
 * Calls every native method of the kivutils frame and checks results and
 * fields. The test that runs it checks the trace lines in the launcher's
 * trace file ("KivJava.tracefile"), which this suite writes into.
 */
public final class FrameSuite implements KivApplication {
    @Override
    public int run(Properties properties) throws Exception {
        KivLibrary.load(properties);
        Checks c = new Checks("frame");
        String trace = System.getProperty("KivJava.tracefile");
        c.isTrue("trace file from the launcher", trace != null);

        c.eq("library version", 41031, KivJava.checkLibraryVersionN());
        c.eq("line without a trace file", -1, KivHostUtilities.traceLineN("x", 0));
        String missing = new File(new File(trace).getParentFile(), "no/such/dir/t.txt").getPath();
        c.eq("trace file in a missing directory", -1, KivHostUtilities.initTraceN(missing, 5));
        c.eq("trace stays off", -1, KivHostUtilities.traceLineN("x", 0));

        c.eq("initTraceN", 0, KivHostUtilities.initTraceN(trace, 3));
        c.eq("line above the level", 0, KivHostUtilities.traceLineN("frame: above the level", 5));
        c.eq("line at the level", 0, KivHostUtilities.traceLineN("frame: at level 3", 3));
        c.eq("traceLevelN to 9", 0, KivHostUtilities.traceLevelN(9));
        c.eq("getUserIdN", 0, KivJava.getUserIdN());
        c.eq("cvPW_name", "TESTUSER", KivJava.cvPW_name);
        c.eq("cvPW_uid", 0, KivJava.cvPW_uid);
        c.eq("cvPW_gid", 0, KivJava.cvPW_gid);
        c.eq("cvPW_dir", "/u/home", KivJava.cvPW_dir);
        c.eq("cvPW_shell", "SH", KivJava.cvPW_shell);
        c.eq("traceLevelN to 3", 0, KivHostUtilities.traceLevelN(3));
        c.eq("traceLevelN to 2", 0, KivHostUtilities.traceLevelN(2));
        c.eq("null line", -1, KivHostUtilities.traceLineN(null, 1));
        c.eq("text with non-ASCII characters", 0, KivHostUtilities.traceLineN("frame: gr\u00fc\u00df \u20ac", 1));

        // Lines from several threads at once, while another thread changes the level.
        List<Thread> threads = new ArrayList<>();
        int[] failures = new int[1];
        for (int t = 0; t < 4; t++) {
            final int id = t;
            threads.add(new Thread(() -> {
                for (int i = 0; i < 50; i++) {
                    if (KivHostUtilities.traceLineN("frame: thread " + id + " line " + i, 1) != 0) {
                        synchronized (failures) {
                            failures[0]++;
                        }
                    }
                }
            }));
        }
        threads.add(new Thread(() -> {
            for (int i = 0; i < 50; i++) {
                KivHostUtilities.traceLevelN(2 + i % 2);
            }
        }));
        for (Thread t : threads) {
            t.start();
        }
        for (Thread t : threads) {
            t.join();
        }
        c.eq("lines from four threads", 0, failures[0]);
        c.eq("back to level 2", 0, KivHostUtilities.traceLevelN(2));

        c.eq("null path", -1, KivHostUtilities.initTraceN(null, 3));
        c.eq("trace off after a null path", -1, KivHostUtilities.traceLineN("x", 0));
        c.eq("initTraceN again", 0, KivHostUtilities.initTraceN(trace, 1));
        c.eq("stopTraceN", 0, KivHostUtilities.stopTraceN());
        c.eq("no line after stopTraceN", -1, KivHostUtilities.traceLineN("frame: after stop", 0));
        c.eq("stopTraceN twice", 0, KivHostUtilities.stopTraceN());
        c.eq("library version again", 0xA047, KivJava.checkLibraryVersionN());
        return c.finish();
    }
}
