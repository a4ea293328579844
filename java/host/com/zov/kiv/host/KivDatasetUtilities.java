package com.zov.kiv.host;

/** Tests on the data sets behind allocated DDs. */
public final class KivDatasetUtilities {
    private KivDatasetUtilities() {
    }

    /** 1 when the member exists in the data set of the DD, 0 when not (or no such DD), -1 for a bad argument. */
    public static native int memberExistsN(String ddName, String member);
}
