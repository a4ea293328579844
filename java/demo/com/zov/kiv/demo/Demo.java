package com.zov.kiv.demo;

import com.zov.kiv.host.KivApplication;
import java.util.Properties;

/** The demo host application: shows what the launcher handed to kiv_main. */
public final class Demo implements KivApplication {
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
        int result = Integer.parseInt(properties.getProperty("demo.exitcode", "0").trim());
        System.out.println("kiv_main returns " + result);
        return result;
    }
}
