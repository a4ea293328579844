package com.zov.kiv.host;

/**
 * Reads a data set record by record (text mode). The data set is "DD:" + an allocated DD name, a name in host
 * notation (//'NAME(MEMBER)') or an HFS path.
 */
public class KivDatasetReader {
    /** Set to true by every successful open. */
    public boolean dsorgHFS;
    /** The longest record a read returns. */
    public int ivMaxreclen;
    /** The C library's error number of the last failure. */
    public int errno;
    /** The text of the last failure. */
    public String strerror;

    /** Opens the data set; a handle, or 0 when it cannot be opened. */
    public native int openN(String name);

    /** Closes the stream. */
    public native void closeN(int handle);

    /** The next record with its line end, or null at the end of the data. */
    public native String readRecordN(int handle);

    /** The next record into buffer (control characters mapped); its length, or -1 at the end of the data. */
    public native int readRecordN_old(int handle, char[] buffer);
}
