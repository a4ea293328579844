package com.zov.kiv.utils;

import java.nio.charset.StandardCharsets;

/**
 * Part of the kivutils library, not of the Java side: the library defines this
 * class in the VM it is loaded into and calls it to make the Strings of many
 * records of a data set at once, which costs far less than one String per
 * native call. It sees only plain ASCII text without NUL characters, where
 * every character is its own byte.
 */
final class KivRecordStrings {
    private KivRecordStrings() {
    }

    /**
     * The records of bytes: record i ends before ends[i] (its line end
     * included) and starts where record i - 1 ends, the first at 0.
     */
    static String[] split(byte[] bytes, int[] ends, int count) {
        String[] records = new String[count];
        int start = 0;
        for (int i = 0; i < count; i++) {
            records[i] = new String(bytes, start, ends[i] - start, StandardCharsets.ISO_8859_1);
            start = ends[i];
        }
        return records;
    }
}
