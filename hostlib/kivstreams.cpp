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
#include "kivlinebuffer.h"
#include "kivlock.h"
#include "kivplatform.h"
#include "kivrecordout.h"
#include "kivrecordstrings.h"
#include "kivstringtext.h"
#include "kivtext.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>

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

// A level-gated line whose level is checked before the call: record reads
// and writes pass several per record, nearly always to no file.
#define KIV_TRACE_AT(threshold, ...)                                 \
  do {                                                               \
    if (traceWanted(threshold)) traceLineL(threshold, __VA_ARGS__); \
  } while (0)

// Records made ahead as Strings: at most this many characters at once (a
// longer record takes NewStringUTF).
constexpr std::size_t kAheadBytes = 64 * 1024;

struct DataStream {
  platform::SpinMutex lock;  // held for one call; nearly always free
  std::FILE* file = nullptr;  // null once closed
  LineBuffer input;           // record reads
  RecordStrings ahead;        // readRecordN's Strings made ahead
  std::string text;           // a record's text as a C string
  // A writer's or an output stream's buffer in front of the file (a stream
  // opened for reading writes through the C library's stream).
  std::unique_ptr<platform::RecordOutput> output;
  std::vector<char> text8;    // writeRecordN_old's characters, a record's text for the trace
  std::vector<jbyte> bytes;   // byte reads and writes
  std::vector<jchar> chars;   // character arrays
  // The class of the object that opened the stream (a global reference)
  // and its ivMaxreclen: record reads on objects of that class read the
  // field without looking it up by name again. When that field is the one
  // the reader class itself declares, it is the field of every object whose
  // readRecordN can run, and no object needs checking.
  jclass ownerClass = nullptr;
  jfieldID maxreclenId = nullptr;
  bool maxreclenOfReader = false;

  void releaseBuffers() {
    input.release();
    std::string().swap(text);
    output.reset();
    std::vector<char>().swap(text8);
    std::vector<jbyte>().swap(bytes);
    std::vector<jchar>().swap(chars);
  }
  ~DataStream() {
    if (file) std::fclose(file);
  }
};

void flushStreamsAtExit();

HandleTable<DataStream>& streams() {
  static HandleTable<DataStream> table;
  // Registered after the table was made, so run before it goes.
  static const bool flushedAtExit = platform::kRecordOutputFlushAtExit && std::atexit(flushStreamsAtExit) == 0;
  (void)flushedAtExit;
  return table;
}

// The stream a thread called last, kept by that thread: the next call on
// the same handle (record after record) skips the table and its lock. A
// stream found this way is the handle's own for as long as it is open: a
// stream leaves the table only after it was closed under its own lock, and
// a handle value is given out again only after that. A closed stream kept
// here is dropped, and the handle looked up again: its value may name a
// newer stream by now.
// (A closed stream kept here has let go of its buffers; the thread lets go
// of it at its next call or when it ends. The VM never unloads the library
// while its threads run, which thread-local cleanup needs.)
struct LastStream {
  int handle = 0;
  std::shared_ptr<DataStream> stream;
};
KIV_FAST_THREAD_LOCAL LastStream lastStream;

// The open stream of a handle, locked for this call; stream is null (and
// the failure traced) when the handle is not open.
class StreamCall {
 public:
  explicit StreamCall(int handle) {
    LastStream& last = lastStream;
    bool kept = handle != 0 && last.handle == handle && last.stream;
    if (!kept) lookUp(last, handle);
    if (!lockOpen(last) && kept) {
      lookUp(last, handle);  // the kept stream was closed: the value may name a newer one
      lockOpen(last);
    }
    if (!stream_) traceLineL(kResults, umsg::kNotOpen, static_cast<unsigned>(handle));
  }
  DataStream* operator->() const { return stream_; }
  DataStream& operator*() const { return *stream_; }
  explicit operator bool() const { return stream_ != nullptr; }

 private:
  static void lookUp(LastStream& last, int handle) {
    last.stream = streams().get(handle);
    last.handle = last.stream ? handle : 0;
  }
  // Locks the kept stream when it is open; else lets go of it.
  bool lockOpen(LastStream& last) {
    DataStream* stream = last.stream.get();
    if (!stream) return false;
    lock_ = std::unique_lock(stream->lock);
    if (stream->file) {
      stream_ = stream;
      return true;
    }
    lock_ = {};
    last.stream.reset();
    last.handle = 0;
    return false;
  }

  DataStream* stream_ = nullptr;  // kept alive by lastStream, which no one else touches
  std::unique_lock<platform::SpinMutex> lock_;
};

// The ivMaxreclen that the reader class declares, or null. Called from the
// reader's own native method, FindClass asks that class's loader.
jfieldID readerFieldId(JNIEnv* env, const char* readerClass) {
  LocalRef<jclass> reader(env, env->FindClass(readerClass));
  jfieldID id = reader ? env->GetFieldID(reader.get(), umsg::kFieldMaxreclen, umsg::kSigInt) : nullptr;
  if (env->ExceptionCheck()) env->ExceptionClear();
  return id;
}

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

// readerClass: the class whose record reads take ivMaxreclen (the reader's
// openN), else null.
int openStream(JNIEnv* env, jobject object, jstring nameString, const char* mode,
               const char* readerClass) {
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
    // Writers and output streams write through a buffer of their own,
    // readers read into one: far fewer calls than through the C library.
    auto stream = std::make_shared<DataStream>();
    stream->file = fp;
    if (hostOpenMode(mode).rfind('w', 0) == 0) stream->output = std::make_unique<platform::RecordOutput>(fp);
    handle = streams().add(stream);
    if (handle == 0) err = EMFILE;  // the table is full; the record closes the file
  }
  traceLineL(kOpenClose, handleLine(umsg::kOpenLine), static_cast<unsigned>(handle), mode, file.c_str());
  if (handle != 0) {
    if (object && cls) {
      // Looked up quietly: setInteger below reports a missing field.
      jfieldID id = env->GetFieldID(cls.get(), umsg::kFieldMaxreclen, umsg::kSigInt);
      if (!id && env->ExceptionCheck()) env->ExceptionClear();
      bool ofReader = id && readerClass && id == readerFieldId(env, readerClass);
      jclass global = id ? static_cast<jclass>(env->NewGlobalRef(cls.get())) : nullptr;
      if (global) {
        if (std::shared_ptr<DataStream> stream = streams().get(handle)) {
          std::lock_guard lock(stream->lock);
          stream->ownerClass = global;
          stream->maxreclenId = id;
          stream->maxreclenOfReader = ofReader;
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
  if (std::shared_ptr<DataStream> stream = streams().get(handle)) {
    std::lock_guard lock(stream->lock);  // a call on another thread finishes first
    if (stream->file) {                  // not closed on another thread meanwhile
      bool flushed = !stream->output || stream->output->flush();
      rc = std::fclose(stream->file);
      if (!flushed) rc = EOF;
      stream->file = nullptr;
      stream->ahead.release(env);
      stream->releaseBuffers();  // the closed record may live on a while (see LastStream)
      if (stream->ownerClass) env->DeleteGlobalRef(stream->ownerClass);
      stream->ownerClass = nullptr;
      stream->maxreclenId = nullptr;
      // Only now may the handle's value come back (see LastStream).
      streams().remove(handle);
    }
  }
  traceLineL(kOpenClose, handleLine(umsg::kCloseLine), static_cast<unsigned>(handle), rc);
  if (rc != 0) traceLineL(kOpenClose, "%s", umsg::kCloseFailed);
  traceLineL(kSteps, "%s", umsg::kCloseEnd);
}

// The maximum record length that the object asks for (its ivMaxreclen).
jint maxRecordChars(JNIEnv* env, jobject object, const DataStream& stream) {
  if (object && stream.maxreclenId && (stream.maxreclenOfReader || env->IsInstanceOf(object, stream.ownerClass))) {
    jint maxreclen = env->GetIntField(object, stream.maxreclenId);
    KIV_TRACE_AT(kBuffers, umsg::kGetInteger, umsg::kFieldMaxreclen, static_cast<int>(maxreclen),
                 static_cast<unsigned>(maxreclen));
    return maxreclen;
  }
  LocalRef<jclass> cls = classOf(env, object);
  return getInteger(env, object, cls.get(), umsg::kFieldMaxreclen);
}

// The next record of the stream, at most maxreclen characters; false when
// there is none (end of data, a read error reported). A record whose first
// byte is NUL is a record all the same: empty as a C string.
bool readRecord(JNIEnv* env, jobject object, DataStream& stream, int handle, jint maxreclen,
                LineBuffer::Record& record) {
  if (maxreclen <= 0) return false;
  bool grown = false;
  LineBuffer::Status status = LineBuffer::Status::kRecord;
  // The next record of a run made ahead is known already; anything else is
  // searched for. (The stream's lock keeps other threads off the file: the
  // C library's own lock is skipped.)
  std::size_t known = stream.ahead.nextLength(stream.input.offset());
  if (known == 0 || known > static_cast<std::size_t>(maxreclen) || !stream.input.takeKnown(known, record))
    status = stream.input.next(stream.file, static_cast<std::size_t>(maxreclen), record, grown);
  if (grown) traceLineL(kBuffers, umsg::kInputBufferLine, static_cast<int>(stream.input.capacity()));
  if (status == LineBuffer::Status::kError) {
    LocalRef<jclass> cls = classOf(env, object);
    reportErrno(env, object, cls.get(), nullptr);
    std::clearerr(stream.file);
  }
  if (status != LineBuffer::Status::kRecord) return false;
  KIV_TRACE_AT(kRecords, umsg::kReadChars, static_cast<unsigned>(handle), static_cast<int>(record.length));
  if (traceWanted(kBuffers)) {
    stream.text.assign(record.data, record.length);
    traceLineL(kBuffers, umsg::kRecordText, stream.text.c_str());
  }
  return true;
}

// The String of a record just read: one made ahead when the record is the
// next of the run; else, for a whole plain line, a new run of Strings made
// from it and the lines buffered after it; else one of its own.
jstring recordString(JNIEnv* env, DataStream& stream, const LineBuffer::Record& record, std::size_t maxChars) {
  if (jstring made = stream.ahead.take(env, record.offset, record.consumed)) return made;
  if (record.length == record.consumed && record.data[record.consumed - 1] == '\n') {
    std::string_view text(record.data, record.consumed + stream.input.pending().size());
    std::vector<jint> ends = plainRecordEnds(text, maxChars, kAheadBytes);
    // A run of one record gains nothing.
    if (ends.size() > 1 && stream.ahead.make(env, text, record.offset, std::move(ends))) {
      if (jstring made = stream.ahead.take(env, record.offset, record.consumed)) return made;
    }
  }
  // The record's bytes as they are when the VM can take them so, else each
  // read the way that loses none of them.
  stream.text.assign(record.data, record.length);
  if (!isModifiedUtf8(stream.text)) stream.text = toModifiedUtf8(stream.text);
  jstring result = env->NewStringUTF(stream.text.c_str());
  if (!result && env->ExceptionCheck()) env->ExceptionClear();
  return result;
}

jstring readRecordString(JNIEnv* env, jobject object, int handle) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordBegin);
  jstring result = nullptr;
  if (StreamCall stream{handle}) {
    DataStream& s = *stream;
    jint maxreclen = maxRecordChars(env, object, s);
    LineBuffer::Record record;
    if (readRecord(env, object, s, handle, maxreclen, record))
      result = recordString(env, s, record, static_cast<std::size_t>(maxreclen));
  }
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordEnd);
  return result;
}

jint readRecordChars(JNIEnv* env, jobject object, int handle, jcharArray buffer) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordBegin);
  jint result = -1;
  StreamCall stream{handle};
  if (stream && buffer) {
    DataStream& s = *stream;
    LineBuffer::Record record;
    if (readRecord(env, object, s, handle, maxRecordChars(env, object, s), record)) {
      jsize size = env->GetArrayLength(buffer);
      std::size_t n = std::min(record.length, static_cast<std::size_t>(size));
      s.chars.assign(static_cast<std::size_t>(size), 0);
      for (std::size_t i = 0; i < n; ++i) s.chars[i] = mapRecordByte(static_cast<unsigned char>(record.data[i]));
      env->SetCharArrayRegion(buffer, 0, size, s.chars.data());
      result = static_cast<jint>(n);
    }
  }
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordEnd);
  return result;
}

// The end of a record write: the result's lines, and errno reported for -1.
jint wroteRecord(JNIEnv* env, jobject object, int handle, jint result, const char* text) {
  if (result < 0) {
    LocalRef<jclass> cls = classOf(env, object);
    reportErrno(env, object, cls.get(), nullptr);
  }
  KIV_TRACE_AT(kRecords, umsg::kWriteChars, static_cast<unsigned>(handle), static_cast<int>(result));
  if (text) KIV_TRACE_AT(kDetails, umsg::kRecordText, text);
  return result;
}

// Writes len bytes of text as one record; len, or -1 (errno set).
jint putBytes(DataStream& stream, const char* text, std::size_t len) {
  if (!stream.output) return platform::writeUnlocked(text, len, stream.file) == len ? static_cast<jint>(len) : -1;
  char* room = stream.output->reserve(len);
  if (!room) return -1;
  std::memcpy(room, text, len);
  return stream.output->commit(len) ? static_cast<jint>(len) : -1;
}

jint writeRecordString(JNIEnv* env, jobject object, int handle, jstring record) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordBegin);
  jint result = -1;
  if (StreamCall stream{handle}) {
    if (!record) {
      GetString(env, record);  // traces the null String
    } else {
      // The record's modified UTF-8 (as GetStringUTFChars gives it; never a
      // NUL byte in it) straight into the writer's buffer.
      const StringText& way = StringText::forProcess(env);
      long long put;
      if (stream->output) {
        put = way.put(env, record, *stream->output, stream->chars);
      } else {
        put = way.text(env, record, stream->text8, stream->chars);
        if (put > 0) put = putBytes(*stream, stream->text8.data(), static_cast<std::size_t>(put));
      }
      if (put > INT_MAX) put = INT_MAX;  // a count of bytes above 2 GiB does not fit the result
      result = static_cast<jint>(put);
      if (result != 0) {
        CString text = traceWanted(kDetails) ? GetString(env, record) : CString();
        wroteRecord(env, object, handle, result, text.get());
      }
    }
  }
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordEnd);
  return result;
}

jint writeRecordChars(JNIEnv* env, jobject object, int handle, jcharArray buffer, jint length) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordBegin);
  jint result = -1;
  StreamCall stream{handle};
  if (stream && buffer) {
    jsize size = env->GetArrayLength(buffer);
    jsize n = std::max<jsize>(0, std::min<jsize>(length, size));
    std::vector<char>& out = stream->text8;
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
    if (n > 0) {
      std::size_t len = std::strlen(out.data());
      errno = 0;
      result = wroteRecord(env, object, handle, putBytes(*stream, out.data(), len), out.data());
    }
  }
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordEnd);
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
    // What record reads buffered comes first.
    if ((!stream->input.pending().empty() || !std::feof(stream->file)) && n > 0) {
      // The whole array comes back: what was read, then zeros.
      stream->bytes.resize(static_cast<std::size_t>(size));
      auto* out = reinterpret_cast<char*>(stream->bytes.data());
      std::size_t got = stream->input.take(out, static_cast<std::size_t>(n));
      if (got < static_cast<std::size_t>(n)) got += std::fread(out + got, 1, static_cast<std::size_t>(n) - got, stream->file);
      std::memset(out + got, 0, static_cast<std::size_t>(size) - got);
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
      auto count = static_cast<std::size_t>(n);
      bool ok;
      if (stream->output) {
        // Straight into the writer's buffer, after what was written before.
        char* room = stream->output->reserve(count);
        ok = room != nullptr;
        if (ok) {
          env->GetByteArrayRegion(buffer, 0, n, reinterpret_cast<jbyte*>(room));
          traceBytes(reinterpret_cast<const jbyte*>(room), count);
          ok = stream->output->commit(count);
        }
      } else {
        stream->bytes.resize(count);
        env->GetByteArrayRegion(buffer, 0, n, stream->bytes.data());
        std::size_t put = std::fwrite(stream->bytes.data(), 1, count, stream->file);
        traceBytes(stream->bytes.data(), put);
        ok = put == count;
      }
      result = ok ? n : -1;
      if (!ok) {
        LocalRef<jclass> cls = classOf(env, object);
        reportErrno(env, object, cls.get(), nullptr);
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

// Writes out the records that writers never closed still hold; a stream
// that another thread holds at this moment is skipped, not waited for.
void flushStreamsAtExit() {
  streams().forEach([](DataStream& stream) {
    std::unique_lock lock(stream.lock, std::try_to_lock);
    if (lock && stream.file && stream.output) stream.output->flush();
  });
}

}  // namespace

void flushOpenStreams() { flushStreamsAtExit(); }

}  // namespace kiv::utils

using namespace kiv::utils;
namespace umsg = kiv::umsg;

#define KIV_STREAM_OPEN_CLOSE(Class, mode, readerClass)                                                   \
  JNIEXPORT jint JNICALL Java_com_zov_kiv_host_##Class##_openN(JNIEnv* env, jobject object, jstring name) { \
    return guarded("openN", 0, [&] { return openStream(env, object, name, mode, readerClass); });        \
  }                                                                                                         \
  JNIEXPORT void JNICALL Java_com_zov_kiv_host_##Class##_closeN(JNIEnv* env, jobject, jint handle) {       \
    guardedVoid("closeN", [&] { closeStream(env, handle); });                                                    \
  }

KIV_STREAM_OPEN_CLOSE(KivDatasetReader, umsg::kModeReader, "com/zov/kiv/host/KivDatasetReader")
KIV_STREAM_OPEN_CLOSE(KivDatasetWriter, umsg::kModeWriter, nullptr)
KIV_STREAM_OPEN_CLOSE(KivDatasetInputStream, umsg::kModeInputStream, nullptr)
KIV_STREAM_OPEN_CLOSE(KivDatasetOutputStream, umsg::kModeOutputStream, nullptr)

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
