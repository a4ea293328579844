package com.zov.kiv.host;

/** Files and directories of the host's hierarchical file system. */
public class KivHFSFile {
    /** The standard library's error number of the last failed operation. */
    public int errno;
    /** The standard library's text for errno. */
    public String strerror;
    /** Mode bits (unsigned 16-bit), set by statN. */
    public int ivPermissions;
    /** Inode number (16-bit), set by statN. */
    public int ivInode;
    /** Device (drive) number, set by statN. */
    public int ivDevid;
    /** Number of links (16-bit), set by statN. */
    public int ivNlinks;
    /** Owner user id (16-bit), set by statN. */
    public int ivUid;
    /** Owner group id (16-bit), set by statN. */
    public int ivGid;
    /** Size in bytes, set by statN. */
    public int ivSize;
    /** Last access, seconds since 1970, set by statN. */
    public int ivAtime;
    /** Creation or status change, seconds since 1970, set by statN. */
    public int ivCtime;
    /** Last modification, seconds since 1970, set by statN. */
    public int ivMtime;

    /** Records a change of mode; always 0. */
    public native int chmodN(String path, int mode);

    /** Records a change of owner; always 0. */
    public native int chownN(String path, int owner, int group);

    /** Makes the directory of path; 0 or -1. */
    public native int mkdirN(String path, int mode);

    /** Removes a file named by path, host notation or "DD:" and a DD name; 0 or -1. */
    public native int removeN(String name);

    /** Records a rename; always 0. */
    public native int renameN(String name, String dest);

    /** Reads the status of the directory of path into the iv fields; 0 or -1. */
    public native int statN(String path);
}
