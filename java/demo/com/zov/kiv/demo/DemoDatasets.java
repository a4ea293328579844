package com.zov.kiv.demo;

import com.zov.kiv.host.KivDatasetDD;
import com.zov.kiv.host.KivDatasetInputStream;
import com.zov.kiv.host.KivDatasetOutputStream;
import com.zov.kiv.host.KivDatasetReader;
import com.zov.kiv.host.KivDatasetUtilities;
import com.zov.kiv.host.KivDatasetWriter;
import com.zov.kiv.host.KivHostUtilities;
import com.zov.kiv.host.KivLibrary;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.Properties;

/**
 * The demo's walk through a host request: a new data set is allocated to a
 * DD with a generated name, members are written, a member is allocated and
 * read back by record and by bytes, members are tested, and the DDs are
 * freed and destroyed. The data sets are files in the current directory.
 */
final class DemoDatasets {
    private static final byte NEW = 4;
    private static final byte SHR = 8;
    private static final byte CATLG = 2;
    private static final byte KEEP = 8;
    private static final String DATASET = "DEMO.DATA";

    private DemoDatasets() {
    }

    static void run(Properties properties) {
        try {
            KivLibrary.load(properties);
        } catch (UnsatisfiedLinkError e) {
            return;  // Demo has said so already
        }
        String trace = System.getProperty("KivJava.tracefile");
        if (trace != null) {
            KivHostUtilities.initTraceN(trace, 1);
        }
        try {
            walk();
        } catch (IOException e) {
            System.out.println("Data sets: " + e);
        }
        KivHostUtilities.stopTraceN();
    }

    private static KivDatasetDD dd(String dsName, String member, byte status, byte normdisp) {
        KivDatasetDD dd = new KivDatasetDD();
        dd.ivDSName = dsName;
        dd.ivMember = member;
        dd.ivStatus = status;
        dd.ivNormdisp = normdisp;
        dd.ivConddisp = KEEP;
        return dd;
    }

    private static void walk() throws IOException {
        for (String f : new String[] {DATASET + "__", DATASET + "_M1_", DATASET + "_M2_"}) {
            Files.deleteIfExists(Paths.get(f));  // from an earlier run
        }
        KivDatasetDD dataset = dd(DATASET, null, NEW, CATLG);
        dataset.dyninitN();
        int rc = dataset.dynallocN();
        System.out.println("Data sets: allocated the new data set " + DATASET + " to DD " + dataset.ivDDName
                + " (rc=" + rc + ")");
        if (rc != 0) {
            dataset.dyndestroyN();
            return;
        }

        KivDatasetWriter writer = new KivDatasetWriter();
        int h = writer.openN("//'" + DATASET + "(M1)'");
        int chars = 0;
        for (String line : new String[] {"//DEMOJOB JOB (ACCT)\n", "//STEP1 EXEC PGM=IEFBR14\n", "/*\n"}) {
            chars += writer.writeRecordN(h, line);
        }
        writer.closeN(h);
        System.out.println("Data sets: wrote 3 records (" + chars + " characters) into member M1");
        KivDatasetOutputStream out = new KivDatasetOutputStream();
        h = out.openN("//'" + DATASET + "(M2)'");
        byte[] bytes = "binary member\n".getBytes(StandardCharsets.US_ASCII);
        int written = out.writeBytesN(h, bytes, bytes.length);
        out.closeN(h);
        System.out.println("Data sets: wrote " + written + " bytes into member M2");

        KivDatasetDD member = dd(DATASET, "M1", SHR, KEEP);
        member.dyninitN();
        rc = member.dynallocN();
        System.out.println("Data sets: allocated " + DATASET + "(M1) to DD " + member.ivDDName + " (rc=" + rc + ")");
        if (rc == 0) {
            KivDatasetReader reader = new KivDatasetReader();
            h = reader.openN("DD:" + member.ivDDName);
            for (String record = reader.readRecordN(h); record != null; record = reader.readRecordN(h)) {
                System.out.print("Data sets: record read: " + record);
            }
            reader.closeN(h);
            KivDatasetInputStream in = new KivDatasetInputStream();
            h = in.openN("DD:" + member.ivDDName);
            byte[] buffer = new byte[16];
            int total = 0;
            for (int n = in.readBytesN(h, buffer, buffer.length); n > 0; n = in.readBytesN(h, buffer, buffer.length)) {
                total += n;
            }
            in.closeN(h);
            System.out.println("Data sets: read the member again as " + total + " bytes");
            for (String m : new String[] {"M2", "M3"}) {
                System.out.println("Data sets: member " + m + " exists: "
                        + (KivDatasetUtilities.memberExistsN(member.ivDDName, m) == 1 ? "yes" : "no"));
            }
        }
        for (KivDatasetDD d : new KivDatasetDD[] {member, dataset}) {
            String name = d.ivDDName;
            int freed = d.dynfreeN();
            d.dyndestroyN();
            System.out.println("Data sets: freed and destroyed DD " + name + " (rc=" + freed + ")");
        }
    }
}
