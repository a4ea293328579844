package com.zov.kiv.host;

import java.io.File;
import java.net.URISyntaxException;
import java.security.CodeSource;
import java.util.Properties;

/**
 * Loads the kivutils library: from the file that the property "kiv.library"
 * names, else by its name from java.library.path (which the runtime fills
 * from LD_LIBRARY_PATH on Linux and from PATH on Windows), else from where an
 * installed package puts it: beside the host classes' jar (the Windows zip)
 * or in lib/ of the same prefix (share/java/kivhost.jar, lib/libkivutils.so).
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
            return;
        }
        try {
            System.loadLibrary(LIBRARY_NAME);
        } catch (UnsatisfiedLinkError notOnPath) {
            File installed = besideJar();
            if (installed == null) {
                throw notOnPath;
            }
            System.load(installed.getPath());
        }
    }

    /** The library file of an installed package, or null. */
    private static File besideJar() {
        CodeSource source = KivLibrary.class.getProtectionDomain().getCodeSource();
        if (source == null) {
            return null;
        }
        File jarDir;
        try {
            jarDir = new File(source.getLocation().toURI()).getAbsoluteFile().getParentFile();
        } catch (URISyntaxException | IllegalArgumentException e) {
            return null;
        }
        if (jarDir == null) {
            return null;
        }
        String name = System.mapLibraryName(LIBRARY_NAME);
        File beside = new File(jarDir, name);
        if (beside.isFile()) {
            return beside;
        }
        File prefix = jarDir.getParentFile() == null ? null : jarDir.getParentFile().getParentFile();
        if (prefix != null) {
            File inLib = new File(new File(prefix, "lib"), name);
            if (inLib.isFile()) {
                return inLib;
            }
        }
        return null;
    }
}
