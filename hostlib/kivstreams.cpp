// Native methods of KivDatasetReader, KivDatasetWriter, KivDatasetInputStream,
// KivDatasetOutputStream and KivDatasetUtilities: data sets (simulated by
// files, named by DD, host name or HFS path) read and written by record or
// by byte, and the member test.
//
// Each open stream is a record of its own in a handle table, with its own
// lock and buffers: threads that use different streams share nothing, and
// a closed or made-up handle finds nothing.
#include "kivstreams.h"

#include "com_zov_kiv_host_KivDatasetInputStream.h"
#include "com_zov_kiv_host_KivDatasetOutputStream.h"
#include "com_zov_kiv_host_KivDatasetReader.h"
#include "com_zov_kiv_host_KivDatasetUtilities.h"
#include "com_zov_kiv_host_KivDatasetWriter.h"
#include "kivdssim.h"
#include "kivhandles.h"
#include "kivjnicall.h"
#include "kivlock.h"
#include "kivplatform.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace kiv::utils {

std::string hostOpenMode(const char* mode) {
  std::string m = mode ? mode : "";
  return m.substr(0, m.find(','));
}

int maxRecordLength(long long size) {
  if (size <= 0) return umsg::kEmptyFileMaxreclen;
  return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

char16_t mapRecordByte(unsigned char byte) {
  switch (byte) {
    case 7: case 8: case 9: return u' ';
    case 11: case 12: case 13: return u'\n';
    default: return byte;
  }
}

std::size_t readLine(std::FILE* file, std::size_t maxChars, std::vector<char>& buffer, bool& grown) {
  constexpr std::size_t kStep = 64 * 1024;  // characters asked of fgets at once
  grown = false;
  std::size_t len = 0;
  while (len < maxChars) {
    std::size_t room = std::min(maxChars - len, kStep);
    if (buffer.size() < len + room + 2) {
      buffer.resize(std::max(len + room + 2, std::min(buffer.size() * 2, maxChars + 2)));
      grown = true;
    }
    if (!platform::getsUnlocked(buffer.data() + len, static_cast<int>(room + 1), file)) break;
    std::size_t got = std::strlen(buffer.data() + len);
    len += got;
    // A short piece ends the line: its line end, the end of the file, or a
    // NUL byte (which ends the text, as it always did).
    if (got < room || (got > 0 && buffer[len - 1] == '\n')) break;
  }
  if (buffer.size() > len) buffer[len] = '\0';
  return len;
}

namespace {

// The open and close lines say "%0.8x": the precision alone pads with zeros
// and the flag is kept for the line's exact text, but the compiler's check of
// the Windows C library's formats warns about it. Its arguments are checked
// here by hand: an unsigned int and a text, or an unsigned int and an int.
const char* handleLine(const char* format) { return format; }

constexpr int kResults = 0;  // level 1 and up
constexpr int kOpenClose = 2;  // level 3 and up
constexpr int kRecords = 4;  // level 5 and up
constexpr int kDetails = 6;  // level 7 and up
constexpr int kSteps = 7;    // level 8 and up
constexpr int kBuffers = 8;  // level 9 and up

constexpr std::size_t kRecordBufferSize = 64 * 1024;  // the file buffer of a record stream

struct DataStream {
  platform::Mutex lock;
  std::FILE* file = nullptr;  // null once closed
  std::vector<char> input;    // record reads
  std::vector<char> output;   // writeRecordN_old
  std::vector<char> record;   // writeRecordN
  std::vector<jbyte> bytes;   // byte reads and writes
  std::vector<jchar> chars;   // character arrays
  // The class of the object that opened the stream (a global reference)
  // and its ivMaxreclen: record reads on objects of that class read the
  // field without looking it up by name again.
  jclass ownerClass = nullptr;
  jfieldID maxreclenId = nullptr;
  ~DataStream() {
    if (file) std::fclose(file);
  }
};

HandleTable<DataStream>& streams() {
  static HandleTable<DataStream> table;
  return table;
}

// The open stream of a handle, locked for this call; stream is null (and
// the failure traced) when the handle is not open.
class StreamCall {
 public:
  explicit StreamCall(int handle) : stream_(streams().get(handle)) {
    if (stream_) {
      lock_ = std::unique_lock(stream_->lock);
      if (!stream_->file) {
        lock_.unlock();
        stream_.reset();
      }
    }
    if (!stream_) traceLineL(kResults, umsg::kNotOpen, static_cast<unsigned>(handle));
  }
  DataStream* operator->() const { return stream_.get(); }
  explicit operator bool() const { return stream_ != nullptr; }

 private:
  std::shared_ptr<DataStream> stream_;
  std::unique_lock<platform::Mutex> lock_;
};

// The file behind a data-set name: the file of an allocated DD ("DD:" +
// name), else the name in host notation or as an HFS path. 0, or the
// simulation's code for a name that is no plain file.
int fileNameFor(const char* name, std::string& file) {
  {
    DDGuard guard;  // the DD's request cannot be released meanwhile
    if (PIP* pip = findnameUnguarded(name)) return makeFileName(file, *pip, 1);
  }
  return checkFileName(file, name);
}

int openStream(JNIEnv* env, jobject object, jstring nameString, const char* mode, bool records) {
  traceLineL(kSteps, "%s", umsg::kOpenBegin);
  LocalRef<jclass> cls = classOf(env, object);
  CString name = GetString(env, nameString);
  std::string file;
  std::FILE* fp = nullptr;
  int err = EINVAL;
  if (name && fileNameFor(name.get(), file) == 0) {
    errno = 0;
    fp = std::fopen(file.c_str(), hostOpenMode(mode).c_str());
    err = errno;
  }
  name.reset();
  int handle = 0;
  if (fp) {
    // Records go through a large buffer: far fewer system calls than with
    // the C library's default, and the memory needed stays fixed.
    if (records) std::setvbuf(fp, nullptr, _IOFBF, kRecordBufferSize);
    auto stream = std::make_shared<DataStream>();
    stream->file = fp;
    handle = streams().add(stream);
    if (handle == 0) err = EMFILE;  // the table is full; the record closes the file
  }
  traceLineL(kOpenClose, handleLine(umsg::kOpenLine), static_cast<unsigned>(handle), mode, file.c_str());
  if (handle != 0) {
    if (object && cls) {
      // Looked up quietly: setInteger below reports a missing field.
      jfieldID id = env->GetFieldID(cls.get(), umsg::kFieldMaxreclen, umsg::kSigInt);
      if (!id && env->ExceptionCheck()) env->ExceptionClear();
      jclass global = id ? static_cast<jclass>(env->NewGlobalRef(cls.get())) : nullptr;
      if (global) {
        if (std::shared_ptr<DataStream> stream = streams().get(handle)) {
          std::lock_guard lock(stream->lock);
          stream->ownerClass = global;
          stream->maxreclenId = id;
        } else {
          env->DeleteGlobalRef(global);  // closed on another thread meanwhile
        }
      }
    }
    setBoolean(env, object, cls.get(), umsg::kFieldDsorgHFS, 1);
    std::error_code ec;
    auto size = std::filesystem::file_size(file, ec);
    setInteger(env, object, cls.get(), umsg::kFieldMaxreclen,
               maxRecordLength(ec ? 0 : static_cast<long long>(size)));
  } else {
    errno = err;
    reportErrno(env, object, cls.get(), nullptr);
    traceLineL(kOpenClose, umsg::kOpenFailed, mode, file.c_str());
  }
  traceLineL(kSteps, "%s", umsg::kOpenEnd);
  return handle;
}

void closeStream(JNIEnv* env, int handle) {
  traceLineL(kSteps, "%s", umsg::kCloseBegin);
  int rc = EOF;
  if (std::shared_ptr<DataStream> stream = streams().remove(handle)) {
    std::lock_guard lock(stream->lock);  // a call on another thread finishes first
    rc = std::fclose(stream->file);
    stream->file = nullptr;
    if (stream->ownerClass) env->DeleteGlobalRef(stream->ownerClass);
    stream->ownerClass = nullptr;
    stream->maxreclenId = nullptr;
  }
  traceLineL(kOpenClose, handleLine(umsg::kCloseLine), static_cast<unsigned>(handle), rc);
  if (rc != 0) traceLineL(kOpenClose, "%s", umsg::kCloseFailed);
  traceLineL(kSteps, "%s", umsg::kCloseEnd);
}

// One record of the stream into its input buffer; its length (0: nothing).
std::size_t readRecord(JNIEnv* env, jobject object, DataStream& stream, int handle) {
  jint maxreclen;
  if (object && stream.maxreclenId && env->IsInstanceOf(object, stream.ownerClass)) {
    maxreclen = env->GetIntField(object, stream.maxreclenId);
    traceLineL(kBuffers, umsg::kGetInteger, umsg::kFieldMaxreclen, static_cast<int>(maxreclen),
               static_cast<unsigned>(maxreclen));
  } else {
    LocalRef<jclass> cls = classOf(env, object);
    maxreclen = getInteger(env, object, cls.get(), umsg::kFieldMaxreclen);
  }
  std::size_t len = 0;
  // The stream's lock keeps other threads off the file: the C library's
  // own lock is skipped.
  if (!platform::eofUnlocked(stream.file) && maxreclen > 0) {
    bool grown = false;
    len = readLine(stream.file, static_cast<std::size_t>(maxreclen), stream.input, grown);
    if (grown) traceLineL(kBuffers, umsg::kInputBufferLine, static_cast<int>(stream.input.size()));
    if (platform::errorUnlocked(stream.file)) {
      LocalRef<jclass> cls = classOf(env, object);
      reportErrno(env, object, cls.get(), nullptr);
      std::clearerr(stream.file);
      len = 0;
    }
  }
  if (len > 0) {
    traceLineL(kRecords, umsg::kReadChars, static_cast<unsigned>(handle), static_cast<int>(len));
    traceLineL(kBuffers, umsg::kRecordText, stream.input.data());
  }
  return len;
}

jstring readRecordString(JNIEnv* env, jobject object, int handle) {
  traceLineL(kSteps, "%s", umsg::kReadRecordBegin);
  jstring result = nullptr;
  if (StreamCall stream{handle}) {
    if (readRecord(env, object, *stream.operator->(), handle) > 0) {
      result = env->NewStringUTF(stream->input.data());
      if (!result && env->ExceptionCheck()) env->ExceptionClear();
    }
  }
  traceLineL(kSteps, "%s", umsg::kReadRecordEnd);
  return result;
}

jint readRecordChars(JNIEnv* env, jobject object, int handle, jcharArray buffer) {
  traceLineL(kSteps, "%s", umsg::kReadRecordBegin);
  jint result = -1;
  StreamCall stream{handle};
  if (stream && buffer) {
    std::size_t len = readRecord(env, object, *stream.operator->(), handle);
    if (len > 0) {
      jsize size = env->GetArrayLength(buffer);
      std::size_t n = std::min(len, static_cast<std::size_t>(size));
      stream->chars.assign(static_cast<std::size_t>(size), 0);
      for (std::size_t i = 0; i < n; ++i)
        stream->chars[i] = mapRecordByte(static_cast<unsigned char>(stream->input[i]));
      env->SetCharArrayRegion(buffer, 0, size, stream->chars.data());
      result = static_cast<jint>(n);
    }
  }
  traceLineL(kSteps, "%s", umsg::kReadRecordEnd);
  return result;
}

// Writes text (length len) to the stream; len, or -1 with errno reported.
jint putRecord(JNIEnv* env, jobject object, DataStream& stream, int handle, const char* text, std::size_t len) {
  jint result = static_cast<jint>(len);
  if (platform::writeUnlocked(text, len, stream.file) != len) {  // under the stream's lock
    result = -1;
    LocalRef<jclass> cls = classOf(env, object);
    reportErrno(env, object, cls.get(), nullptr);
  }
  traceLineL(kRecords, umsg::kWriteChars, static_cast<unsigned>(handle), static_cast<int>(result));
  traceLineL(kDetails, umsg::kRecordText, text);
  return result;
}

jint writeRecordString(JNIEnv* env, jobject object, int handle, jstring record) {
  traceLineL(kSteps, "%s", umsg::kWriteRecordBegin);
  jint result = -1;
  if (StreamCall stream{handle}) {
    if (!record) {
      GetString(env, record);  // traces the null String
    } else {
      // The record's modified UTF-8 straight into the stream's own buffer
      // (it holds no NUL byte, so its length is that of the C string).
      jsize utfLength = env->GetStringUTFLength(record);
      std::vector<char>& out = stream->record;
      if (out.size() < static_cast<std::size_t>(utfLength) + 1) out.resize(static_cast<std::size_t>(utfLength) + 1);
      env->GetStringUTFRegion(record, 0, env->GetStringLength(record), out.data());
      out[static_cast<std::size_t>(utfLength)] = '\0';
      result = utfLength == 0 ? 0 : putRecord(env, object, *stream.operator->(), handle, out.data(),
                                              static_cast<std::size_t>(utfLength));
    }
  }
  traceLineL(kSteps, "%s", umsg::kWriteRecordEnd);
  return result;
}

jint writeRecordChars(JNIEnv* env, jobject object, int handle, jcharArray buffer, jint length) {
  traceLineL(kSteps, "%s", umsg::kWriteRecordBegin);
  jint result = -1;
  StreamCall stream{handle};
  if (stream && buffer) {
    jsize size = env->GetArrayLength(buffer);
    jsize n = std::max<jsize>(0, std::min<jsize>(length, size));
    std::vector<char>& out = stream->output;
    if (out.size() < static_cast<std::size_t>(n) + 1) {
      out.resize(static_cast<std::size_t>(n) + 1);
      traceLineL(kBuffers, umsg::kOutputBufferLine, static_cast<int>(out.size()));
    }
    stream->chars.resize(static_cast<std::size_t>(n));
    if (n > 0) env->GetCharArrayRegion(buffer, 0, n, stream->chars.data());
    std::size_t k = 0;
    for (jchar c : stream->chars)
      if (c != 13) out[k++] = static_cast<char>(c & 0xFF);
    out[k] = '\0';
    result = 0;
    if (n > 0) result = putRecord(env, object, *stream.operator->(), handle, out.data(), std::strlen(out.data()));
  }
  traceLineL(kSteps, "%s", umsg::kWriteRecordEnd);
  return result;
}

void traceBytes(const jbyte* bytes, std::size_t n) {
  if (traceLevel() <= kDetails) return;
  for (std::size_t i = 0; i < n; ++i) traceLineL(kDetails, umsg::kByteValue, static_cast<int>(bytes[i]));
}

jint readBytes(JNIEnv* env, jobject object, int handle, jbyteArray buffer, jint length) {
  traceLineL(kSteps, umsg::kReadBytesBegin, static_cast<int>(length));
  jint result = 0;
  StreamCall stream{handle};
  if (stream && buffer) {
    jsize size = env->GetArrayLength(buffer);
    jsize n = std::max<jsize>(0, std::min<jsize>(length, size));
    if (!std::feof(stream->file) && n > 0) {
      stream->bytes.assign(static_cast<std::size_t>(size), 0);
      std::size_t got = std::fread(stream->bytes.data(), 1, static_cast<std::size_t>(n), stream->file);
      result = static_cast<jint>(got);
      traceBytes(stream->bytes.data(), got);
      if (std::ferror(stream->file)) {
        LocalRef<jclass> cls = classOf(env, object);
        reportErrno(env, object, cls.get(), nullptr);
        std::clearerr(stream->file);
        result = -1;
      }
      env->SetByteArrayRegion(buffer, 0, size, stream->bytes.data());
    }
  }
  traceLineL(kDetails, umsg::kReadBytes, static_cast<unsigned>(handle), static_cast<int>(result));
  traceLineL(kSteps, "%s", umsg::kReadBytesEnd);
  return result == 0 ? -1 : result;
}

jint writeBytes(JNIEnv* env, jobject object, int handle, jbyteArray buffer, jint length) {
  traceLineL(kSteps, "%s", umsg::kWriteBytesBegin);
  jint result = 0;
  StreamCall stream{handle};
  if (!stream || !buffer) {
    result = -1;
  } else {
    jsize n = std::max<jsize>(0, std::min<jsize>(length, env->GetArrayLength(buffer)));
    if (!std::feof(stream->file) && n > 0) {
      stream->bytes.resize(static_cast<std::size_t>(n));
      env->GetByteArrayRegion(buffer, 0, n, stream->bytes.data());
      std::size_t put = std::fwrite(stream->bytes.data(), 1, static_cast<std::size_t>(n), stream->file);
      result = static_cast<jint>(put);
      traceBytes(stream->bytes.data(), put);
      if (put < static_cast<std::size_t>(n)) {
        LocalRef<jclass> cls = classOf(env, object);
        reportErrno(env, object, cls.get(), nullptr);
        result = -1;
      }
    }
  }
  traceLineL(kDetails, umsg::kWriteBytes, static_cast<unsigned>(handle), static_cast<int>(result));
  traceLineL(kSteps, "%s", umsg::kWriteBytesEnd);
  return result;
}

jint memberExists(JNIEnv* env, jstring ddString, jstring memberString) {
  traceLineL(kSteps, "%s", umsg::kMemberExistsBegin);
  CString dd = GetString(env, ddString);
  CString member = GetString(env, memberString);
  jint result = -1;
  if (dd && member) {
    result = 0;
    std::string file;
    bool found = false;
    {
      DDGuard guard;  // nobody else sees the member while it is swapped
      if (PIP* pip = findnameUnguarded((umsg::kDDPrefix + std::string(dd.get())).c_str())) {
        std::optional<std::string> own = std::move(pip->member);
        pip->member = member.get();
        found = makeFileName(file, *pip, 1) == 0;
        pip->member = std::move(own);
      }
    }
    if (found) {
      traceLineL(kSteps, umsg::kMemberFile, dd.get(), file.c_str());
      result = fileexists(file.c_str());
    }
    traceLineL(kResults, umsg::kMemberExists, dd.get(), member.get(), static_cast<int>(result));
  }
  traceLineL(kSteps, "%s", umsg::kMemberExistsEnd);
  return result;
}

}  // namespace
}  // namespace kiv::utils

using namespace kiv::utils;
namespace umsg = kiv::umsg;

#define KIV_STREAM_OPEN_CLOSE(Class, mode, records)                                                                \
  JNIEXPORT jint JNICALL Java_com_zov_kiv_host_##Class##_openN(JNIEnv* env, jobject object, jstring name) { \
    return guarded("openN", 0, [&] { return openStream(env, object, name, mode, records); });                     \
  }                                                                                                         \
  JNIEXPORT void JNICALL Java_com_zov_kiv_host_##Class##_closeN(JNIEnv* env, jobject, jint handle) {       \
    guardedVoid("closeN", [&] { closeStream(env, handle); });                                                    \
  }

KIV_STREAM_OPEN_CLOSE(KivDatasetReader, umsg::kModeReader, true)
KIV_STREAM_OPEN_CLOSE(KivDatasetWriter, umsg::kModeWriter, true)
KIV_STREAM_OPEN_CLOSE(KivDatasetInputStream, umsg::kModeInputStream, false)
KIV_STREAM_OPEN_CLOSE(KivDatasetOutputStream, umsg::kModeOutputStream, false)

JNIEXPORT jstring JNICALL Java_com_zov_kiv_host_KivDatasetReader_readRecordN(JNIEnv* env, jobject object,
                                                                            jint handle) {
  return guarded("readRecordN", static_cast<jstring>(nullptr), [&] { return readRecordString(env, object, handle); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetReader_readRecordN_1old(JNIEnv* env, jobject object,
                                                                              jint handle, jcharArray buffer) {
  return guarded("readRecordN_old", -1, [&] { return readRecordChars(env, object, handle, buffer); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(JNIEnv* env, jobject object, jint handle,
                                                                          jstring record) {
  return guarded("writeRecordN", -1, [&] { return writeRecordString(env, object, handle, record); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN_1old(JNIEnv* env, jobject object,
                                                                               jint handle, jcharArray buffer,
                                                                               jint length) {
  return guarded("writeRecordN_old", -1, [&] { return writeRecordChars(env, object, handle, buffer, length); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(JNIEnv* env, jobject object,
                                                                             jint handle, jbyteArray buffer,
                                                                             jint length) {
  return guarded("readBytesN", -1, [&] { return readBytes(env, object, handle, buffer, length); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetOutputStream_writeBytesN(JNIEnv* env, jobject object,
                                                                               jint handle, jbyteArray buffer,
                                                                               jint length) {
  return guarded("writeBytesN", -1, [&] { return writeBytes(env, object, handle, buffer, length); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetUtilities_memberExistsN(JNIEnv* env, jclass, jstring ddName,
                                                                              jstring member) {
  return guarded("memberExistsN", -1, [&] { return memberExists(env, ddName, member); });
}
