package com.zov.kiv.demo;

import com.zov.kiv.host.KivApplication;
import com.zov.kiv.host.KivHostUtilities;
import com.zov.kiv.host.KivJava;
import com.zov.kiv.host.KivLibrary;
import java.util.Properties;

/**
 * The demo host application: shows what the launcher handed to kiv_main,
 * then calls the kivutils library (version, user id, one trace line).
 */
public final class Demo implements KivApplication {
    /** The library version this application is written for. */
    private static final int LIBRARY_VERSION = 0xA047;

    private static final String[] LAUNCHER_PROPERTIES = {
        "KivJava.programfile", "KivJava.propertyfile", "java.home", "KivJava.tracefile",
        "KivJava.verboseclassload", "KivJava.recordcommands", "java.compiler", "java.class.path",
    };

    @Override
    public int run(Properties properties) {
        System.out.println("kiv_main is running in " + System.getProperty("java.vm.name") + " "
                + System.getProperty("java.version"));
        System.out.println("Properties from the launcher:");
        for (String name : LAUNCHER_PROPERTIES) {
            String value = System.getProperty(name);
            if (value != null) {
                System.out.println("  " + name + " = " + value);
            }
        }
        System.out.println("Property file entries:");
        properties.stringPropertyNames().stream().sorted()
                .forEach(n -> System.out.println("  " + n + " = " + properties.getProperty(n)));
        useLibrary(properties);
        DemoDatasets.run(properties);
        DemoHostServices.show();
        int result = Integer.parseInt(properties.getProperty("demo.exitcode", "0").trim());
        System.out.println("kiv_main returns " + result);
        return result;
    }

    private static void useLibrary(Properties properties) {
        try {
            KivLibrary.load(properties);
        } catch (UnsatisfiedLinkError e) {
            System.out.println("kivutils library not loaded: " + e.getMessage());
            return;
        }
        int version = KivJava.checkLibraryVersionN();
        System.out.println("kivutils library version 0x" + Integer.toHexString(version).toUpperCase()
                + (version == LIBRARY_VERSION ? " (as expected)" : " (expected 0xA047)"));
        KivJava.getUserIdN();
        System.out.println("User id: name=" + KivJava.cvPW_name + " uid=" + KivJava.cvPW_uid
                + " gid=" + KivJava.cvPW_gid + " dir=" + KivJava.cvPW_dir + " shell=" + KivJava.cvPW_shell);
        String trace = System.getProperty("KivJava.tracefile");
        if (trace == null) {
            System.out.println("No trace file (start kivjava with -t for one)");
            return;
        }
        if (KivHostUtilities.initTraceN(trace, 1) == 0
                && KivHostUtilities.traceLineN("Demo: " + properties.getProperty("demo.greeting", "hello"), 1) == 0) {
            System.out.println("Wrote one line through kivutils into the trace file " + trace);
        } else {
            System.out.println("The trace file " + trace + " cannot be written");
        }
        KivHostUtilities.stopTraceN();
    }
}
