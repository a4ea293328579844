package com.zov.kiv.host;

import java.util.Properties;

/**
 * Loads the kivutils library: from the file that the property "kiv.library"
 * names, else by its name from java.library.path (which the runtime fills
 * from LD_LIBRARY_PATH on Linux and from PATH on Windows).
 */
public final class KivLibrary {
    /** The property file entry that names the library file. */
    public static final String LIBRARY_PROPERTY = "kiv.library";
    /** The library's name for System.loadLibrary. */
    public static final String LIBRARY_NAME = "kivutils";

    private KivLibrary() {
    }

    /** Loads the library as the properties say; loading it twice is harmless. */
    public static void load(Properties properties) {
        String file = properties.getProperty(LIBRARY_PROPERTY);
        if (file != null && !file.trim().isEmpty()) {
            System.load(file.trim());
        } else {
            System.loadLibrary(LIBRARY_NAME);
        }
    }
}
