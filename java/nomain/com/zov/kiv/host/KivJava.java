package com.zov.kiv.host;

/** An entry class without kiv_main, for the launcher's tests. */
public final class KivJava {
    public static int someOtherMethod(String[] args) {
        return 0;
    }
}
