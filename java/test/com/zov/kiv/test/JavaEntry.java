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
        // Like kivjava: a result of 0 ends through the VM's normal shutdown.
        int result = KivJava.kiv_main(new String[0]);
        if (result != 0) {
            System.exit(result);
        }
    }
}
