// Native methods of KivDatasetReader, KivDatasetWriter, KivDatasetInputStream,
// KivDatasetOutputStream and KivDatasetUtilities: data sets (simulated by
// files, named by DD, host name or HFS path) read and written by record or
// by byte, and the member test.
//
// Each open stream is a record of its own in a handle table, with its own
// lock and buffers: threads that use different streams share nothing, and
// a closed or made-up handle finds nothing.
//
// A stream's lock is held only while its file and buffers are used, never
// across a call into the VM, the making of a Java object or a trace line:
// a record's text is taken out of its String into memory of the calling
// thread first, and a record read is copied out before its String is made.
// When the VM ends, a thread inside a call into it stops there for good; it
// holds no stream, so the last flush at exit finds every stream free
// (or held for a moment by a thread that is copying or writing).
#include "kivstreams.h"

#include "com_zov_kiv_host_KivDatasetInputStream.h"
#include "com_zov_kiv_host_KivDatasetOutputStream.h"
#include "com_zov_kiv_host_KivDatasetReader.h"
#include "com_zov_kiv_host_KivDatasetUtilities.h"
#include "com_zov_kiv_host_KivDatasetWriter.h"
#include "kivdssim.h"
#include "kivglobalref.h"
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
#include <atomic>
#include <cerrno>
#include <chrono>
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

// How long the last flush at exit waits, in all, for streams that other
// threads hold and for pipes that nobody reads.
constexpr int kExitWaitMs = 2000;

struct DataStream {
  // Set before the handle is given out and never changed, so read without
  // the lock: the object that opened the stream (a weak reference) and the
  // ivMaxreclen of its class. Record reads called on that object read the
  // field without looking it up by name again.
  GlobalRef opener;
  jfieldID openerMaxreclen = nullptr;

  // Held only around the file and the buffers below (see the top of this
  // file). The platform's own mutex: a lock of this library's own (a futex
  // word with one atomic each way) read records at 0.63-0.65 of readLine
  // where the mutex gave 0.62-0.73 (idle 2-core machine, JDK 17, three runs
  // each), no gain worth its risk.
  platform::Mutex lock;
  std::atomic<bool> open{true};  // false once closed (read without the lock)
  std::FILE* file = nullptr;     // null once closed
  LineBuffer input;              // record reads
  RunIndex ahead;                // where the records made ahead lie
  std::shared_ptr<GlobalRef> aheadStrings;  // their Strings
  std::unique_ptr<RunArrays> runArrays;     // lent to the thread that makes a run
  // A writer's or an output stream's buffer in front of the file (a stream
  // opened for reading writes through the C library's stream).
  std::unique_ptr<platform::RecordOutput> output;

  ~DataStream() {
    if (file) std::fclose(file);
  }
};

// Never destroyed: threads may still call in while the process's exit
// destroys static objects.
HandleTable<DataStream>& streams() {
  alignas(HandleTable<DataStream>) static unsigned char storage[sizeof(HandleTable<DataStream>)];
  static HandleTable<DataStream>* table = ::new (storage) HandleTable<DataStream>;
  static const bool finishedAtExit = platform::kRecordOutputFlushAtExit && std::atexit(finishStreamsAtExit) == 0;
  (void)finishedAtExit;
  return *table;
}

// Memory of the calling thread for one call: a record's bytes or text, and
// characters of an array.
struct CallScratch {
  std::vector<char> bytes;
  std::vector<char> oldRecord;  // writeRecordN_old's text
  std::vector<jchar> chars;
};
// Beyond this, a thread lets go of its scratch memory after the call.
constexpr std::size_t kLargestScratch = 1024 * 1024;

// What a thread keeps between calls: the stream it called last (the next
// call on the same handle, record after record, skips the table and its
// lock) and its scratch memory. A stream found this way is the handle's own
// for as long as it is open: a stream leaves the table only after it was
// closed, and a handle value is given out again only after that. A closed
// stream kept here is dropped, and the handle looked up again: its value may
// name a newer stream by now.
// (A closed stream kept here has let go of its buffers; the thread lets go
// of it at its next call or when it ends. The VM never unloads the library
// while its threads run, which thread-local cleanup needs.)
// A thread also keeps the run of Strings made ahead that it took its last
// record from, so that record after record of a run costs no count of its
// users.
// (Each native method reads this once and hands it on: every access to a
// thread-local object of a loaded library costs a call.)
struct ThreadCalls {
  int handle = 0;
  std::shared_ptr<DataStream> stream;
  std::shared_ptr<GlobalRef> run;
  std::unique_ptr<CallScratch> scratch;

  CallScratch& memory() {
    if (!scratch) scratch = std::make_unique<CallScratch>();
    return *scratch;
  }
  // Lets go of scratch memory that a very long record made grow.
  void trim() {
    if (scratch && (scratch->bytes.capacity() > kLargestScratch || scratch->oldRecord.capacity() > kLargestScratch ||
                    scratch->chars.capacity() > kLargestScratch / sizeof(jchar)))
      scratch.reset();
  }
};
KIV_FAST_THREAD_LOCAL ThreadCalls threadCalls;

void traceNotOpen(int handle) { traceLineL(kResults, umsg::kNotOpen, static_cast<unsigned>(handle)); }

// The open stream of a handle, found without locking it (kept alive by
// threadCalls until the thread's next call); null, traced, when the handle
// is not open. It may be closed by another thread before the caller locks it.
DataStream* findStream(ThreadCalls& t, int handle) {
  if (handle == 0 || t.handle != handle || !t.stream || !t.stream->open.load(std::memory_order_acquire)) {
    t.stream = streams().get(handle);
    t.handle = t.stream ? handle : 0;
  }
  if (!t.stream) traceNotOpen(handle);
  return t.stream.get();
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

int openStream(JNIEnv* env, jobject object, jstring nameString, const char* mode) {
  traceLineL(kSteps, "%s", umsg::kOpenBegin);
  deleteRetiredRefs(env);
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
    if (object && cls) {
      // Looked up quietly: setInteger below reports a missing field.
      jfieldID id = env->GetFieldID(cls.get(), umsg::kFieldMaxreclen, umsg::kSigInt);
      if (!id && env->ExceptionCheck()) env->ExceptionClear();
      if (id) {
        stream->opener = GlobalRef::weak(env, object);
        if (stream->opener) stream->openerMaxreclen = id;
      }
    }
    handle = streams().add(stream);
    if (handle == 0) err = EMFILE;  // the table is full; the record closes the file
  }
  traceLineL(kOpenClose, handleLine(umsg::kOpenLine), static_cast<unsigned>(handle), mode, file.c_str());
  if (handle != 0) {
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

// What a stream lets go of when it is closed, handed out of the lock.
struct Leftovers {
  std::shared_ptr<GlobalRef> aheadStrings;
  std::unique_ptr<RunArrays> runArrays;
};

// Closes the stream (under its lock): writes out what its buffer holds
// (waiting no longer than `deadline` where given), closes the file and
// lets go of the buffers. The result of fclose, or EOF when the last
// write failed.
int closeLocked(DataStream& s, Leftovers& left, const std::chrono::steady_clock::time_point* deadline) {
  bool flushed = !s.output || (deadline ? s.output->flushBefore(*deadline) : s.output->flush());
  int rc = std::fclose(s.file);
  if (!flushed) rc = EOF;
  s.file = nullptr;
  s.open.store(false, std::memory_order_release);
  s.input.release();
  s.ahead.clear();
  left.aheadStrings = std::move(s.aheadStrings);
  left.runArrays = std::move(s.runArrays);
  s.output.reset();
  return rc;
}

void closeStream(JNIEnv* env, int handle) {
  traceLineL(kSteps, "%s", umsg::kCloseBegin);
  int rc = EOF;
  Leftovers left;
  if (std::shared_ptr<DataStream> stream = streams().get(handle)) {
    bool closed = false;
    {
      std::lock_guard lock(stream->lock);  // a call on another thread finishes first
      if (stream->file) {                  // not closed on another thread meanwhile
        rc = closeLocked(*stream, left, nullptr);
        closed = true;
      }
    }
    // Only now may the handle's value come back (see ThreadCalls).
    if (closed) streams().remove(handle);
    // This thread is done with it: its references go now, not at its next call.
    ThreadCalls& t = threadCalls;
    if (t.stream == stream) {
      t.stream.reset();
      t.handle = 0;
      t.run.reset();
    }
  }
  left = {};
  deleteRetiredRefs(env);
  traceLineL(kOpenClose, handleLine(umsg::kCloseLine), static_cast<unsigned>(handle), rc);
  if (rc != 0) traceLineL(kOpenClose, "%s", umsg::kCloseFailed);
  traceLineL(kSteps, "%s", umsg::kCloseEnd);
}

// The maximum record length that the object asks for: its ivMaxreclen,
// read through its own class (a subclass may declare a field of its own).
jint maxRecordChars(JNIEnv* env, jobject object, const DataStream& stream) {
  if (object && stream.openerMaxreclen && env->IsSameObject(object, stream.opener.get())) {
    jint maxreclen = env->GetIntField(object, stream.openerMaxreclen);
    KIV_TRACE_AT(kBuffers, umsg::kGetInteger, umsg::kFieldMaxreclen, static_cast<int>(maxreclen),
                 static_cast<unsigned>(maxreclen));
    return maxreclen;
  }
  LocalRef<jclass> cls = classOf(env, object);
  return getInteger(env, object, cls.get(), umsg::kFieldMaxreclen);
}

// One record read, as taken out of the stream under its lock. Its bytes
// are in the thread's scratch: the record's `length` characters, and when
// it starts a run of Strings to be made ahead, the run's records after it
// (`copied` characters in all, the run's last end).
struct RecordRead {
  bool open = false;   // the stream was open
  bool found = false;  // a record was read
  bool grown = false;  // the input buffer grew to `capacity`
  int error = 0;       // errno of a read error
  std::size_t capacity = 0;
  std::uint64_t offset = 0;
  std::size_t consumed = 0;
  std::size_t length = 0;
  std::size_t copied = 0;
  // The record's String, made ahead: the run (held by the thread) and the
  // index in it.
  const GlobalRef* strings = nullptr;
  long index = -1;
  std::vector<jint> runEnds;             // a new run's ends, the record's first
  std::unique_ptr<RunArrays> runArrays;  // lent by the stream for a new run
  std::shared_ptr<GlobalRef> dropped;    // a run given up, let go of after the lock
};

// Takes the next record of at most maxreclen characters out of the stream
// (under its lock); forString: readRecordN's, which may take its String
// from a run made ahead.
void takeRecord(ThreadCalls& t, DataStream& s, jint maxreclen, bool forString, RecordRead& read) {
  CallScratch& sc = t.memory();
  std::lock_guard lock(s.lock);
  if (!s.file) return;
  read.open = true;
  if (maxreclen <= 0) return;
  LineBuffer::Record record;
  LineBuffer::Status status = LineBuffer::Status::kRecord;
  // The next record of a run made ahead is known already; anything else is
  // searched for. (The stream's lock keeps other threads off the file: the
  // C library's own lock is skipped.)
  std::size_t known = s.ahead.nextLength(s.input.offset());
  if (known == 0 || known > static_cast<std::size_t>(maxreclen) || !s.input.takeKnown(known, record))
    status = s.input.next(s.file, static_cast<std::size_t>(maxreclen), record, read.grown);
  read.capacity = s.input.capacity();
  if (status == LineBuffer::Status::kError) {
    read.error = errno;
    std::clearerr(s.file);
  }
  if (status != LineBuffer::Status::kRecord) return;
  read.found = true;
  read.offset = record.offset;
  read.consumed = record.consumed;
  read.length = record.length;
  read.copied = record.length;
  if (forString) {
    read.index = s.ahead.take(record.offset, record.consumed);
    if (read.index >= 0) {
      if (t.run != s.aheadStrings) t.run = s.aheadStrings;  // once a run
      read.strings = t.run.get();
      if (s.ahead.empty()) read.dropped = std::move(s.aheadStrings);
    } else {
      read.dropped = std::move(s.aheadStrings);
      // A whole plain line may start a new run with the plain lines
      // buffered after it (its Strings made after the lock, see
      // recordString); a run of one record gains nothing.
      if (record.length == record.consumed && record.data[record.consumed - 1] == '\n' &&
          !recordStringsRefused()) {
        std::string_view text(record.data, record.consumed + s.input.pending().size());
        std::vector<jint> ends = plainRecordEnds(text, static_cast<std::size_t>(maxreclen), kAheadBytes);
        if (ends.size() > 1) {
          read.copied = static_cast<std::size_t>(ends.back());
          read.runEnds = std::move(ends);
          read.runArrays = std::move(s.runArrays);
        }
      }
    }
  }
  // The bytes, unless the String is there already and no trace shows them.
  if (!read.strings || traceWanted(kBuffers)) {
    if (sc.bytes.size() < read.copied + 1) sc.bytes.resize(read.copied + 1);
    std::memcpy(sc.bytes.data(), record.data, read.copied);  // the pending bytes follow the record
  }
}

// The trace lines of a record read, and its error reported (after the lock).
void tracedRead(ThreadCalls& t, JNIEnv* env, jobject object, int handle, const RecordRead& read) {
  if (read.grown) traceLineL(kBuffers, umsg::kInputBufferLine, static_cast<int>(read.capacity));
  if (read.error != 0) {
    LocalRef<jclass> cls = classOf(env, object);
    errno = read.error;
    reportErrno(env, object, cls.get(), nullptr);
  }
  if (!read.found) return;
  KIV_TRACE_AT(kRecords, umsg::kReadChars, static_cast<unsigned>(handle), static_cast<int>(read.length));
  if (traceWanted(kBuffers)) {
    std::string text(t.memory().bytes.data(), read.length);
    traceLineL(kBuffers, umsg::kRecordText, text.c_str());
  }
}

// Hands a new run to the stream (under its lock) when nobody read from it
// since its first record was taken, and the arrays back.
void keepRun(DataStream& s, RecordRead& read, std::shared_ptr<GlobalRef> strings, std::vector<jint> ends) {
  std::lock_guard lock(s.lock);
  if (!s.file) return;
  if (s.aheadStrings == nullptr && s.input.offset() == read.offset + read.consumed) {
    s.ahead.start(read.offset, std::move(ends), 1);
    if (!s.ahead.empty()) s.aheadStrings = std::move(strings);
  }
  if (!s.runArrays) s.runArrays = std::move(read.runArrays);
}

// The String of a record just read (after the lock): the one made ahead;
// else, for a whole plain line, a new run of Strings made from it and the
// lines buffered after it; else one of its own.
jstring recordString(ThreadCalls& t, JNIEnv* env, DataStream& s, RecordRead& read) {
  if (read.strings)
    return static_cast<jstring>(
        env->GetObjectArrayElement(static_cast<jobjectArray>(read.strings->get()), static_cast<jsize>(read.index)));
  CallScratch& sc = t.memory();
  if (!read.runEnds.empty()) {
    if (!read.runArrays) read.runArrays = std::make_unique<RunArrays>();
    std::string_view text(sc.bytes.data(), read.copied);
    if (GlobalRef made = makeRecordStrings(env, *read.runArrays, text, read.runEnds)) {
      t.run = std::make_shared<GlobalRef>(std::move(made));
      auto first = static_cast<jstring>(env->GetObjectArrayElement(static_cast<jobjectArray>(t.run->get()), 0));
      keepRun(s, read, t.run, std::move(read.runEnds));
      deleteRetiredRefs(env);
      if (first) return first;
      if (env->ExceptionCheck()) env->ExceptionClear();
    }
  }
  // The record's bytes as they are when the VM can take them so, else each
  // read the way that loses none of them.
  std::string_view bytes(sc.bytes.data(), read.length);
  jstring result;
  if (isModifiedUtf8(bytes)) {
    sc.bytes[read.length] = '\0';
    result = env->NewStringUTF(sc.bytes.data());
  } else {
    result = env->NewStringUTF(toModifiedUtf8(bytes).c_str());
  }
  if (!result && env->ExceptionCheck()) env->ExceptionClear();
  return result;
}

jstring readRecordString(JNIEnv* env, jobject object, int handle) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordBegin);
  ThreadCalls& t = threadCalls;
  jstring result = nullptr;
  if (DataStream* s = findStream(t, handle)) {
    jint maxreclen = maxRecordChars(env, object, *s);
    RecordRead read;
    takeRecord(t, *s, maxreclen, true, read);
    if (!read.open) {
      traceNotOpen(handle);
    } else {
      tracedRead(t, env, object, handle, read);
      if (read.found) result = recordString(t, env, *s, read);
    }
  }
  t.trim();
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordEnd);
  return result;
}

jint readRecordChars(JNIEnv* env, jobject object, int handle, jcharArray buffer) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordBegin);
  ThreadCalls& t = threadCalls;
  jint result = -1;
  DataStream* s = findStream(t, handle);
  if (s && buffer) {
    RecordRead read;
    takeRecord(t, *s, maxRecordChars(env, object, *s), false, read);
    if (!read.open) {
      traceNotOpen(handle);
    } else {
      tracedRead(t, env, object, handle, read);
      if (read.found) {
        CallScratch& sc = t.memory();
        jsize size = env->GetArrayLength(buffer);
        std::size_t n = std::min(read.length, static_cast<std::size_t>(size));
        sc.chars.assign(static_cast<std::size_t>(size), 0);
        for (std::size_t i = 0; i < n; ++i) sc.chars[i] = mapRecordByte(static_cast<unsigned char>(sc.bytes[i]));
        env->SetCharArrayRegion(buffer, 0, size, sc.chars.data());
        result = static_cast<jint>(n);
      }
    }
  }
  t.trim();
  KIV_TRACE_AT(kSteps, "%s", umsg::kReadRecordEnd);
  return result;
}

// The outcome of a write under the stream's lock.
struct Written {
  bool open = false;  // the stream was open
  jint result = -1;   // the bytes taken, or -1
  int error = 0;      // errno of a failure
};

// Writes len bytes of text as one record (under the stream's lock): all of
// them, or -1 and nothing of them (errno set).
jint putBytes(DataStream& stream, const char* text, std::size_t len) {
  if (len == 0) return 0;  // nothing to write is no failure
  if (len > INT_MAX) len = INT_MAX;  // the count must fit the result; more is not taken
  if (!stream.output) return platform::writeUnlocked(text, len, stream.file) == len ? static_cast<jint>(len) : -1;
  return stream.output->put(text, len) ? static_cast<jint>(len) : -1;
}

// Writes len bytes as one record, under the stream's lock; bytes (an
// output stream's write): nothing is written to a stream at its end.
Written writeLocked(DataStream& s, const char* text, std::size_t len, bool bytes) {
  std::lock_guard lock(s.lock);
  Written w;
  if (!s.file) return w;
  w.open = true;
  if (bytes && std::feof(s.file)) {
    w.result = 0;
    return w;
  }
  errno = 0;
  w.result = putBytes(s, text, len);
  if (w.result < 0) w.error = errno;
  return w;
}

// The end of a record write: the result's lines, and errno reported for -1.
jint wroteRecord(JNIEnv* env, jobject object, int handle, const Written& w, const char* text) {
  if (w.result < 0) {
    LocalRef<jclass> cls = classOf(env, object);
    errno = w.error;
    reportErrno(env, object, cls.get(), nullptr);
  }
  KIV_TRACE_AT(kRecords, umsg::kWriteChars, static_cast<unsigned>(handle), static_cast<int>(w.result));
  if (text) KIV_TRACE_AT(kDetails, umsg::kRecordText, text);
  return w.result;
}

jint writeRecordString(JNIEnv* env, jobject object, int handle, jstring record) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordBegin);
  ThreadCalls& t = threadCalls;
  jint result = -1;
  if (DataStream* s = findStream(t, handle)) {
    if (!record) {
      GetString(env, record);  // traces the null String
    } else {
      // The record's modified UTF-8 (as GetStringUTFChars gives it; never a
      // NUL byte in it), taken before the stream is locked.
      CallScratch& sc = t.memory();
      long long n = StringText::forProcess(env).text(env, record, sc.bytes, sc.chars);
      Written w = writeLocked(*s, sc.bytes.data(), static_cast<std::size_t>(std::max(0LL, n)), false);
      if (!w.open) {
        traceNotOpen(handle);
      } else {
        result = w.result;
        if (result != 0) {
          std::string text;
          if (traceWanted(kDetails)) text.assign(sc.bytes.data(), static_cast<std::size_t>(n));
          wroteRecord(env, object, handle, w, text.empty() ? nullptr : text.c_str());
        }
      }
    }
  }
  t.trim();
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordEnd);
  return result;
}

jint writeRecordChars(JNIEnv* env, jobject object, int handle, jcharArray buffer, jint length) {
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordBegin);
  ThreadCalls& t = threadCalls;
  jint result = -1;
  DataStream* s = findStream(t, handle);
  if (s && buffer) {
    CallScratch& sc = t.memory();
    jsize size = env->GetArrayLength(buffer);
    jsize n = std::max<jsize>(0, std::min<jsize>(length, size));
    std::vector<char>& out = sc.oldRecord;
    if (out.size() < static_cast<std::size_t>(n) + 1) {
      out.resize(static_cast<std::size_t>(n) + 1);
      traceLineL(kBuffers, umsg::kOutputBufferLine, static_cast<int>(out.size()));
    }
    sc.chars.resize(static_cast<std::size_t>(n));
    if (n > 0) env->GetCharArrayRegion(buffer, 0, n, sc.chars.data());
    std::size_t k = 0;
    for (jchar c : sc.chars)
      if (c != 13) out[k++] = static_cast<char>(c & 0xFF);
    out[k] = '\0';
    Written w = writeLocked(*s, out.data(), std::strlen(out.data()), false);
    if (!w.open)
      traceNotOpen(handle);
    else
      result = n > 0 ? wroteRecord(env, object, handle, w, out.data()) : 0;
  }
  t.trim();
  KIV_TRACE_AT(kSteps, "%s", umsg::kWriteRecordEnd);
  return result;
}

void traceBytes(const char* bytes, std::size_t n) {
  if (traceLevel() <= kDetails) return;
  for (std::size_t i = 0; i < n; ++i)
    traceLineL(kDetails, umsg::kByteValue, static_cast<int>(static_cast<signed char>(bytes[i])));
}

// The outcome of a byte read under the stream's lock: the array's bytes
// in the thread's scratch.
struct BytesRead {
  bool open = false;
  bool done = false;  // there was something to read
  std::size_t got = 0;
  int error = 0;
};

BytesRead readBytesLocked(CallScratch& sc, DataStream& s, std::size_t n, std::size_t size) {
  std::lock_guard lock(s.lock);
  BytesRead r;
  if (!s.file) return r;
  r.open = true;
  // What record reads buffered comes first.
  if ((s.input.pending().empty() && std::feof(s.file)) || n == 0) return r;
  r.done = true;
  // The whole array comes back: what was read, then zeros.
  if (sc.bytes.size() < size) sc.bytes.resize(size);
  char* out = sc.bytes.data();
  r.got = s.input.take(out, n);
  if (r.got < n) r.got += std::fread(out + r.got, 1, n - r.got, s.file);
  std::memset(out + r.got, 0, size - r.got);
  if (std::ferror(s.file)) {
    r.error = errno;
    std::clearerr(s.file);
  }
  return r;
}

jint readBytes(JNIEnv* env, jobject object, int handle, jbyteArray buffer, jint length) {
  traceLineL(kSteps, umsg::kReadBytesBegin, static_cast<int>(length));
  ThreadCalls& t = threadCalls;
  jint result = 0;
  DataStream* s = findStream(t, handle);
  if (s && buffer) {
    CallScratch& sc = t.memory();
    jsize size = env->GetArrayLength(buffer);
    jsize n = std::max<jsize>(0, std::min<jsize>(length, size));
    BytesRead r = readBytesLocked(sc, *s, static_cast<std::size_t>(n), static_cast<std::size_t>(size));
    if (!r.open) traceNotOpen(handle);
    if (r.done) {
      result = static_cast<jint>(r.got);
      traceBytes(sc.bytes.data(), r.got);
      if (r.error != 0) {
        LocalRef<jclass> cls = classOf(env, object);
        errno = r.error;
        reportErrno(env, object, cls.get(), nullptr);
        result = -1;
      }
      env->SetByteArrayRegion(buffer, 0, size, reinterpret_cast<const jbyte*>(sc.bytes.data()));
    }
  }
  t.trim();
  traceLineL(kDetails, umsg::kReadBytes, static_cast<unsigned>(handle), static_cast<int>(result));
  traceLineL(kSteps, "%s", umsg::kReadBytesEnd);
  return result == 0 ? -1 : result;
}

jint writeBytes(JNIEnv* env, jobject object, int handle, jbyteArray buffer, jint length) {
  traceLineL(kSteps, "%s", umsg::kWriteBytesBegin);
  ThreadCalls& t = threadCalls;
  jint result = -1;
  DataStream* s = findStream(t, handle);
  if (s && buffer) {
    CallScratch& sc = t.memory();
    jsize n = std::max<jsize>(0, std::min<jsize>(length, env->GetArrayLength(buffer)));
    auto count = static_cast<std::size_t>(n);
    if (sc.bytes.size() < count) sc.bytes.resize(count);
    if (n > 0) env->GetByteArrayRegion(buffer, 0, n, reinterpret_cast<jbyte*>(sc.bytes.data()));
    Written w = writeLocked(*s, sc.bytes.data(), count, true);
    if (!w.open) {
      traceNotOpen(handle);
    } else {
      traceBytes(sc.bytes.data(), w.result > 0 ? count : 0);
      result = w.result;
      if (result < 0) {
        LocalRef<jclass> cls = classOf(env, object);
        errno = w.error;
        reportErrno(env, object, cls.get(), nullptr);
      }
    }
  }
  t.trim();
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

// The last flush when the process ends: every writer and output stream
// never closed writes out what it holds and is closed, so that a thread
// still inside a call can add nothing after it. A stream that is free is
// done at once; one that another thread holds (copying a record in, or
// writing a block out) is waited for; so is a pipe that is full. All the
// waiting together ends kExitWaitMs after the start: a stream still held
// then (its writer blocked in the kernel, on a pipe that nobody reads) is
// left as it is, and a full pipe keeps what it could not take.
}  // namespace

void finishStreamsAtExit() {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kExitWaitMs);
  std::vector<std::shared_ptr<DataStream>> pending = streams().records();
  std::erase_if(pending, [](const std::shared_ptr<DataStream>& s) { return !s->output; });
  // Round 0: the free streams; 1: the held ones, waited for; 2: the rest,
  // also pipes, waited for. Only the last round waits for a pipe.
  for (int round = 0; round < 3 && !pending.empty(); ++round) {
    std::vector<std::shared_ptr<DataStream>> later;
    for (std::shared_ptr<DataStream>& s : pending) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      bool locked = round == 0 ? s->lock.try_lock() : s->lock.lockWithin(static_cast<int>(std::max<long long>(0, left)));
      if (!locked) {
        later.push_back(std::move(s));
        continue;
      }
      std::unique_lock lock(s->lock, std::adopt_lock);
      if (!s->file || !s->output) continue;  // closed meanwhile
      // The last round closes what it writes out, whatever the pipe took.
      Clock::time_point until = round == 2 ? deadline : Clock::now();
      if (round == 2 || s->output->flushBefore(until)) {
        Leftovers dropped;  // no call into the VM at exit: references are queued
        closeLocked(*s, dropped, &until);
      } else {
        later.push_back(std::move(s));
      }
    }
    pending = std::move(later);
  }
}

}  // namespace kiv::utils

using namespace kiv::utils;
namespace umsg = kiv::umsg;

#define KIV_STREAM_OPEN_CLOSE(Class, mode)                                                                  \
  JNIEXPORT jint JNICALL Java_com_zov_kiv_host_##Class##_openN(JNIEnv* env, jobject object, jstring name) { \
    return guarded("openN", 0, [&] { return openStream(env, object, name, mode); });                     \
  }                                                                                                         \
  JNIEXPORT void JNICALL Java_com_zov_kiv_host_##Class##_closeN(JNIEnv* env, jobject, jint handle) {       \
    guardedVoid("closeN", [&] { closeStream(env, handle); });                                               \
  }

KIV_STREAM_OPEN_CLOSE(KivDatasetReader, umsg::kModeReader)
KIV_STREAM_OPEN_CLOSE(KivDatasetWriter, umsg::kModeWriter)
KIV_STREAM_OPEN_CLOSE(KivDatasetInputStream, umsg::kModeInputStream)
KIV_STREAM_OPEN_CLOSE(KivDatasetOutputStream, umsg::kModeOutputStream)

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
