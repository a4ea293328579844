package com.zov.kiv.host;

/** Host services of the kivutils library: trace control, WTO, ENQ/DEQ, system symbols, IPL information, APF test. */
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

    /** Writes a message to the operator (WTO when flag is true); 0, or -1 when message cannot be converted. */
    public static native int wtoN(boolean flag, String message);

    /** Enqueues a resource name; always 0. */
    public static native int enqN(String resource);

    /** Dequeues a resource name; always 0. */
    public static native int deqN(String resource);

    /** The text with its first "&SYSNAME." resolved, or null when text cannot be converted. */
    public static native String getSystemSymbolN(String text);

    /** The system's IPL information: a record of 232 characters. */
    public static native String getIPLInfoN();

    /** 0 when the program runs APF-authorised. */
    public static native int testAPFN();
}
