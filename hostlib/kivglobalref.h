// Global references that outlive a native call and are shared between
// threads (the Strings of records read ahead, the object that opened a
// stream).
//
// Such a reference may be let go by whichever thread drops it last: also a
// thread that is ending, after the VM let go of it, or the thread that runs
// the process's exit, when a call into the VM may block for good. So
// letting go makes no call into the VM: the reference is queued, and a
// later native method deletes the queue with its own JNIEnv
// (deleteRetiredRefs). What is still queued at exit goes with the process.
#pragma once

#include <jni.h>

namespace kiv::utils {

class GlobalRef {
 public:
  enum class Kind { strong, weak };

  GlobalRef() = default;
  // Takes over ref (a global reference of that kind; null for none).
  GlobalRef(jobject ref, Kind kind) : ref_(ref), kind_(kind) {}
  ~GlobalRef() { reset(); }
  GlobalRef(GlobalRef&& other) noexcept : ref_(other.ref_), kind_(other.kind_) { other.ref_ = nullptr; }
  GlobalRef& operator=(GlobalRef&& other) noexcept;
  GlobalRef(const GlobalRef&) = delete;
  GlobalRef& operator=(const GlobalRef&) = delete;

  // A new global reference to obj (null when obj is null or the VM has no
  // memory for one; an exception that raised is cleared).
  static GlobalRef strong(JNIEnv* env, jobject obj);
  static GlobalRef weak(JNIEnv* env, jobject obj);

  jobject get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }
  // Queues the reference for deletion; holds none afterwards.
  void reset();

 private:
  jobject ref_ = nullptr;
  Kind kind_ = Kind::strong;
};

// Deletes the references queued by other threads. Cheap when there are none.
void deleteRetiredRefs(JNIEnv* env);
// How many are queued (for the tests).
int retiredRefCount();

}  // namespace kiv::utils
