package com.zov.kiv.test;

import com.zov.kiv.host.KivJava;

/**
 * Runs the entry class from the plain java launcher, the way kivjava runs it,
 * so that the two launchers can be compared on the same work.
 */
public final class JavaEntry {
    private JavaEntry() {
    }

    public static void main(String[] args) {
        System.exit(KivJava.kiv_main(new String[0]));
    }
}
