package com.zov.kiv.test;

import java.util.Objects;

/** A tiny assertion harness: prints "ok: name" or "FAILED: name: ..." and counts failures. */
final class Checks {
    private final String suite;
    private int passed;
    private int failed;

    Checks(String suite) {
        this.suite = suite;
    }

    void eq(String name, Object expected, Object actual) {
        if (Objects.equals(expected, actual)) {
            passed++;
            System.out.println("ok: " + name);
        } else {
            failed++;
            System.out.println("FAILED: " + name + ": expected <" + expected + "> but was <" + actual + ">");
        }
    }

    void isTrue(String name, boolean condition) {
        eq(name, true, condition);
    }

    /** Prints the summary; the result is the number of failures (the suite's exit code). */
    int finish() {
        System.out.println(suite + ": " + passed + " passed, " + failed + " failed");
        return failed;
    }
}
