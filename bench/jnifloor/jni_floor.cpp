// What the VM itself charges a native method for one record, with nothing
// of kivutils around it: making a String from a record's bytes, and copying
// a String's text out. bench/jnifloor/kivbench/JniFloor.java compares these
// with Java's own readers and writers per record.
#include <jni.h>

#include <cstring>
#include <vector>

namespace {
// An 80-character record with its line end, as the streams benchmark's file has them.
const char kRecord[] = "0123456789012345678901234567890123456789012345678901234567890123456789012345678\n";
std::vector<char> copy(1024);
}  // namespace

extern "C" {

JNIEXPORT jstring JNICALL Java_kivbench_JniFloor_makeString(JNIEnv* env, jclass) {
  return env->NewStringUTF(kRecord);
}

JNIEXPORT jint JNICALL Java_kivbench_JniFloor_copyString(JNIEnv* env, jclass, jstring record) {
  jsize length = env->GetStringLength(record);
  auto room = static_cast<std::size_t>(length) * 3 + 1;
  if (copy.size() < room) copy.resize(room);
  env->GetStringUTFRegion(record, 0, length, copy.data());
  return static_cast<jint>(std::strlen(copy.data()));
}

JNIEXPORT jint JNICALL Java_kivbench_JniFloor_nothing(JNIEnv*, jclass, jint value) { return value; }

}  // extern "C"
