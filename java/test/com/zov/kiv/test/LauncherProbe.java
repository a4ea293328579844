package com.zov.kiv.test;

import com.zov.kiv.host.KivApplication;
import java.lang.management.ManagementFactory;
import java.util.Properties;

/**
 * Test application for the launcher. Prints the VM's input arguments in the
 * order the VM received them ("arg: ..."), the properties the property file
 * names in "probe.show" ("prop: name=value"), then acts on "probe.action":
 * "return" (default) returns "probe.exitcode", "throw" throws, "exit" calls
 * System.exit with "probe.exitcode".
 */
public final class LauncherProbe implements KivApplication {
    @Override
    public int run(Properties p) {
        System.out.println("probe: started");
        for (String arg : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            System.out.println("arg: " + arg);
        }
        for (String name : p.getProperty("probe.show", "").split(",")) {
            if (!name.isEmpty()) {
                System.out.println("prop: " + name + "=" + System.getProperty(name));
            }
        }
        int code = Integer.parseInt(p.getProperty("probe.exitcode", "0").trim());
        switch (p.getProperty("probe.action", "return")) {
            case "throw":
                throw new IllegalStateException("probe asked to throw");
            case "exit":
                System.out.flush();
                System.exit(code);
                return -1;
            default:
                return code;
        }
    }
}
