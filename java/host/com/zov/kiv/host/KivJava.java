package com.zov.kiv.host;

import java.io.FileInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.util.Properties;

/**
 * Entry class that the kivjava launcher calls. It loads the property file
 * named by the system property "KivJava.propertyfile" and runs the
 * application class that the property "kiv.application" names.
 */
public final class KivJava {
    /** The application run when the property file names none. */
    public static final String DEFAULT_APPLICATION = "com.zov.kiv.demo.Demo";

    /** The user's name, set by {@link #getUserIdN}. */
    public static String cvPW_name;
    /** The user's id, set by {@link #getUserIdN}. */
    public static int cvPW_uid;
    /** The user's group id, set by {@link #getUserIdN}. */
    public static int cvPW_gid;
    /** The user's home directory, set by {@link #getUserIdN}. */
    public static String cvPW_dir;
    /** The user's shell, set by {@link #getUserIdN}. */
    public static String cvPW_shell;

    private KivJava() {
    }

    /** The kivutils library's version: 0xA047. */
    public static native int checkLibraryVersionN();

    /** Sets the five cvPW_ fields to the host user's entry; always 0. */
    public static native int getUserIdN();

    /** Called by the launcher with an empty array; the result is its exit code. */
    public static int kiv_main(String[] args) {
        Properties properties = new Properties();
        String file = System.getProperty("KivJava.propertyfile");
        if (file != null) {
            try (InputStream in = new FileInputStream(file)) {
                properties.load(in);
            } catch (IOException e) {
                System.out.println("KivJava: property file '" + file + "' not read: " + e.getMessage());
            }
        }
        String name = properties.getProperty("kiv.application", DEFAULT_APPLICATION);
        try {
            KivApplication app = (KivApplication) Class.forName(name).getDeclaredConstructor().newInstance();
            return app.run(properties);
        } catch (RuntimeException e) {
            throw e;
        } catch (Exception e) {
            throw new IllegalStateException("application " + name + " failed", e);
        }
    }
}
