package com.zov.kiv.host;

/** Programs run on the host: utilities by ATTACH and system commands. */
public class KivSystemCall {
    /** Runs a utility by ATTACH in this address space; its return code. */
    public native int attachUtilityN(String utility, String parm, String steplib);

    /** Runs a utility by ATTACH in a separate address space; only utility is used; 0. */
    public native int attachUtilitySpawnN(String a, String utility, String c, String d, String e);

    /** Runs a system command; only command is used; 0. */
    public native int systemcallN(String a, String command);
}
