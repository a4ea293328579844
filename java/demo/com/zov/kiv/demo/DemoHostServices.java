package com.zov.kiv.demo;

import com.zov.kiv.host.KivConsoleCommand;
import com.zov.kiv.host.KivHostUtilities;
import java.util.Vector;

/** Demo steps for the host services: a console command, a WTO, a system symbol and the IPL information. */
final class DemoHostServices {
    private DemoHostServices() {
    }

    /** Runs the steps; says so and returns when the library is not loaded. */
    static void show() {
        try {
            String trace = System.getProperty("KivJava.tracefile");
            boolean traced = trace != null && KivHostUtilities.initTraceN(trace, 1) == 0;

            KivConsoleCommand console = new KivConsoleCommand();
            int handle = console.consoleCreateN("KIVDEMO");
            Vector<Object> messages = new Vector<>();
            int rc = console.consoleCommandN(handle, "D T", messages);
            console.consoleDeleteN(handle);
            System.out.println("Console command 'D T': rc=" + rc + ", messages " + messages);

            rc = KivHostUtilities.wtoN(true, "KIV DEMO IS RUNNING");
            System.out.println("WTO 'KIV DEMO IS RUNNING': rc=" + rc + (traced ? " (see the trace file)" : ""));

            String name = "SYS1.&SYSNAME..PARMLIB";
            System.out.println("System symbol: " + name + " -> " + KivHostUtilities.getSystemSymbolN(name)
                    + " (KIVJAVASYSNAME=" + System.getenv("KIVJAVASYSNAME") + ")");

            String ipl = KivHostUtilities.getIPLInfoN();
            System.out.println("IPL information: system " + ipl.substring(0, 8).trim() + ", partition "
                    + ipl.substring(8, 16).trim() + ", IPL volume " + ipl.substring(104, 110).trim()
                    + ", master catalog " + ipl.substring(117, 161).trim());
            if (traced) {
                KivHostUtilities.stopTraceN();
            }
        } catch (UnsatisfiedLinkError e) {
            System.out.println("Host services not shown: kivutils is not loaded");
        }
    }
}
