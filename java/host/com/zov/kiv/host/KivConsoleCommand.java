package com.zov.kiv.host;

/** An operator console of the host: activate, issue commands, collect their messages, deactivate. */
public class KivConsoleCommand {
    /** Return code of the console service when an operation failed. */
    public int errno;
    /** Reason code of the console service when an operation failed. */
    public int errno2;

    /** Activates a console under name; its handle, or 0. */
    public native int consoleCreateN(String name);

    /** Deactivates the console; 0, or -1 for handle 0. */
    public native int consoleDeleteN(int handle);

    /** Issues a command and appends its messages to vector (a class with addElement(Object)); 0 or -1. */
    public native int consoleCommandN(int handle, String command, Object vector);

    /** Issues a command without collecting messages; 0, or -1 for handle 0. */
    public native int consoleCommandIssueN(int handle, String command);

    /** Appends the console's messages to vector; 0 or -1. */
    public native int consoleCommandGetOutputN(int handle, int count, Object vector);
}
