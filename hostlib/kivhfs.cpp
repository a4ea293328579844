// Native methods of KivHFSFile: operations on files of the host's
// hierarchical file system. mkdirN, removeN and statN act on the local file
// system; chmodN, chownN and renameN are recorded in the trace only.
#include "com_zov_kiv_host_KivHFSFile.h"
#include "kivdssim.h"
#include "kivhostsvc.h"
#include "kivjnicall.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kiv::utils {
namespace {

constexpr int kResults = 0;  // lines of level 1 and up
constexpr int kSteps = 7;    // lines of level 8 and up

const char* shown(const CString& text) { return text ? text.get() : umsg::kNullText; }

}  // namespace

std::string localPathForm(const char* path) {
  std::string local = path ? path : "";
  for (char& c : local)
    if (c == '/') c = platform::kDirSep;
  size_t last = local.rfind(platform::kDirSep);
  if (last != std::string::npos) local.resize(last);
  return local;
}

StatusFields statusFields(const platform::FileStatus& s) {
  return {static_cast<jint>(static_cast<std::uint16_t>(s.mode)), static_cast<jint>(static_cast<std::int16_t>(s.inode)),
          static_cast<jint>(s.device),                          static_cast<jint>(static_cast<std::int16_t>(s.links)),
          static_cast<jint>(static_cast<std::int16_t>(s.uid)),   static_cast<jint>(static_cast<std::int16_t>(s.gid)),
          static_cast<jint>(s.size),                            static_cast<jint>(s.atime),
          static_cast<jint>(s.ctime),                           static_cast<jint>(s.mtime)};
}

bool fileForName(const char* name, std::string& file) {
  const std::string given = name ? name : "";
  {
    DDGuard guard;
    if (const PIP* pip = findnameUnguarded(name)) {
      if (makeFileName(file, *pip, 1) == 0 && !file.empty()) return true;
      file = given;
      return false;
    }
  }
  if (checkFileName(file, name) == 0 && !file.empty()) return true;
  file = given;
  return false;
}

int removeHostFile(const char* name, int& err) {
  std::string file;
  const bool plain = fileForName(name, file);
  traceLineL(kSteps, umsg::kRemoveInfo, name ? name : umsg::kNullText, file.c_str());
  int rc = -1;
  err = ENOENT;  // a name that makes no file of the current directory names no file at all
  platform::FileStatus status;
  if (plain && (err = platform::fileStatus(file.c_str(), status)) == 0) {
    err = platform::removeFile(file.c_str());  // a plain file only, as on every platform
    rc = err == 0 ? 0 : -1;
  }
  traceLineL(kResults, umsg::kRemove, rc, file.c_str());
  return rc;
}

}  // namespace kiv::utils

using namespace kiv::utils;
namespace umsg = kiv::umsg;
using kiv::traceLineL;

namespace {

// On failure the standard library's error goes to the object, without a text.
void reportFailure(JNIEnv* env, jobject object, int rc, int err) {
  if (rc == 0) return;
  LocalRef<jclass> cls = classOf(env, object);
  errno = err;
  reportErrno(env, object, cls.get(), nullptr);
}

}  // namespace

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHFSFile_chmodN(JNIEnv* env, jobject, jstring path, jint mode) {
  return guarded("chmodN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kChmodBegin);
    CString text = GetString(env, path);
    traceLineL(kResults, umsg::kChmod, 0, shown(text), static_cast<unsigned>(mode));
    traceLineL(kSteps, umsg::kChmodEnd, 0);
    return 0;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHFSFile_chownN(JNIEnv* env, jobject, jstring path, jint owner,
                                                              jint group) {
  return guarded("chownN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kChownBegin);
    CString text = GetString(env, path);
    traceLineL(kResults, umsg::kChown, 0, shown(text), static_cast<int>(owner), static_cast<int>(group));
    traceLineL(kSteps, umsg::kChownEnd, 0);
    return 0;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHFSFile_renameN(JNIEnv* env, jobject, jstring name, jstring dest) {
  return guarded("renameN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kRenameBegin);
    CString from = GetString(env, name);
    CString to = GetString(env, dest);
    traceLineL(kResults, umsg::kRename, 0, shown(from), shown(to));
    traceLineL(kSteps, umsg::kRenameEnd, 0);
    return 0;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHFSFile_mkdirN(JNIEnv* env, jobject object, jstring path, jint mode) {
  return guarded("mkdirN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kMkdirBegin);
    CString text = GetString(env, path);
    int rc = -1;
    int err = EINVAL;  // a null path
    std::string local;
    if (text) {
      local = localPathForm(text.get());
      err = kiv::platform::makeDirectory(local.c_str());
      rc = err == 0 ? 0 : -1;
    }
    traceLineL(kResults, umsg::kMkdir, rc, text ? local.c_str() : umsg::kNullText, static_cast<unsigned>(mode));
    reportFailure(env, object, rc, err);
    traceLineL(kSteps, umsg::kMkdirEnd, rc);
    return rc;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHFSFile_removeN(JNIEnv* env, jobject object, jstring name) {
  return guarded("removeN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kRemoveBegin);
    CString text = GetString(env, name);
    int rc = -1;
    int err = EINVAL;  // a null name
    if (text) rc = removeHostFile(text.get(), err);
    reportFailure(env, object, rc, err);
    traceLineL(kSteps, umsg::kRemoveEnd, rc);
    return rc;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHFSFile_statN(JNIEnv* env, jobject object, jstring path) {
  return guarded("statN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kStatBegin);
    CString text = GetString(env, path);
    int rc = -1;
    int err = EINVAL;  // a null path
    std::string local;
    kiv::platform::FileStatus status;
    if (text) {
      local = localPathForm(text.get());
      err = kiv::platform::fileStatus(local.c_str(), status);
      rc = err == 0 ? 0 : -1;
    }
    traceLineL(kResults, umsg::kStat, rc, text ? local.c_str() : umsg::kNullText);
    if (rc == 0) {
      StatusFields f = statusFields(status);
      LocalRef<jclass> cls = classOf(env, object);
      setInteger(env, object, cls.get(), umsg::kFieldPermissions, f.permissions);
      setInteger(env, object, cls.get(), umsg::kFieldInode, f.inode);
      setInteger(env, object, cls.get(), umsg::kFieldDevid, f.devid);
      setInteger(env, object, cls.get(), umsg::kFieldNlinks, f.nlinks);
      setInteger(env, object, cls.get(), umsg::kFieldUid, f.uid);
      setInteger(env, object, cls.get(), umsg::kFieldGid, f.gid);
      setInteger(env, object, cls.get(), umsg::kFieldSize, f.size);
      setInteger(env, object, cls.get(), umsg::kFieldAtime, f.atime);
      setInteger(env, object, cls.get(), umsg::kFieldCtime, f.ctime);
      setInteger(env, object, cls.get(), umsg::kFieldMtime, f.mtime);
    }
    reportFailure(env, object, rc, err);
    traceLineL(kSteps, umsg::kStatEnd, rc);
    return rc;
  });
}
