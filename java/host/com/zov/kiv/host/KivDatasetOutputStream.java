package com.zov.kiv.host;

/**
 * Writes a data set byte by byte (binary). The data set is "DD:" + an allocated DD name, a name in host
 * notation (//'NAME(MEMBER)') or an HFS path.
 */
public class KivDatasetOutputStream {
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

    /** Writes the first length bytes of buffer; the count, or -1 on error. */
    public native int writeBytesN(int handle, byte[] buffer, int length);
}
