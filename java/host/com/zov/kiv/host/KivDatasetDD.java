package com.zov.kiv.host;

/**
 * One DD: a DD name and the data set, SYSOUT or HFS path behind it, with the
 * attributes of a dynamic-allocation request. The native side reads the iv
 * fields in dyninitN and writes the result fields.
 */
public class KivDatasetDD {
    // Read by dyninitN.
    public String ivDDName;
    public String ivDSName;
    public String ivMember;
    public String ivVolser;
    public String ivUnit;
    public String ivVolRefDSName;
    public boolean ivPrivate;
    public int ivVolumeSequenceNumber;
    public int ivVolumeCount;
    public byte ivLabel;
    public int ivDatasetSequenceNumber;
    public byte ivStatus;
    public byte ivNormdisp;
    public byte ivConddisp;
    public int ivDSORG;
    public byte ivAlcunit;
    public int ivAvgblk;
    public int ivPrimary;
    public int ivSecondary;
    public int ivDirblk;
    public int ivMiscflags;
    public byte ivRecfm;
    public int ivBlksize;
    public int ivLrecl;
    public String ivDCBRefDSName;
    public String ivDCBRefDDName;
    public String ivStorclass;
    public String ivMgntclass;
    public String ivDataclass;
    public byte ivDSNType;
    public String ivLikeDS;
    public String ivSysoutClass;
    public String ivSysoutName;
    public String ivRefDDName;
    public String ivPassword;
    public String ivPathString;
    public int ivPathopts;
    public int ivPathmode;
    public byte ivPathNDisp;
    public byte ivPathCDisp;

    // Written by the native side.
    public int ivRc;
    public int ivErrcode;
    public int ivInfocode;
    public int ivSMSReason;
    /** The native request; 0 is none. */
    public int ivDyntHandle;

    /** Registers a new request filled from the fields; 9999 without memory. */
    public native int dyninitN();

    /** Allocates the request (0, or 4 when refused; the request is then gone). */
    public native int dynallocN();

    /** Takes the request off the allocation list. */
    public native int dynfreeN();

    /** Releases the request; always 0. */
    public native int dyndestroyN();

    /** The request's PIP string, or null without a request. */
    public native String toHexStringN();

    /** The marker that joins PIP strings of DDs to be concatenated. */
    public native String getConcatIdentN();

    /** Concatenates the DD second to the DD first. */
    public native int concatenateN(String first, String second);

    /** A simulated information-retrieval request for ivDDName. */
    public native int testN();
}
