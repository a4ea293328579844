package com.zov.kiv.host;

import java.util.Properties;

/** A host application that {@link KivJava} runs. */
public interface KivApplication {
    /**
     * Runs the application.
     *
     * @param properties the launcher's property file, already loaded
     * @return the process's exit code
     */
    int run(Properties properties) throws Exception;
}
