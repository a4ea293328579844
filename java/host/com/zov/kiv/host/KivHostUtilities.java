package com.zov.kiv.host;

/** Host services of the kivutils library: the library's trace control. */
public final class KivHostUtilities {
    private KivHostUtilities() {
    }

    /** Sets the trace file and level; 0, or -1 when the file cannot be opened (trace is then off). */
    public static native int initTraceN(String path, int level);

    /** Sets the trace level; always 0. */
    public static native int traceLevelN(int level);

    /** Writes one line when level is not above the trace level; 0, or -1 without a trace file. */
    public static native int traceLineN(String line, int level);

    /** Turns the trace off; always 0. */
    public static native int stopTraceN();
}
