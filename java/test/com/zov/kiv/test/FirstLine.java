package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import java.util.Properties;

/** Prints one line and returns: the work of the launcher benchmark. */
public final class FirstLine implements KivApplication {
    @Override
    public int run(Properties properties) {
        System.out.println("first line from kiv_main");
        System.out.flush();
        return 0;
    }
}
