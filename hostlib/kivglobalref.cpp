#include "kivglobalref.h"

#include "kivlock.h"

#include <atomic>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace kiv::utils {

namespace {

struct Retired {
  jobject ref;
  GlobalRef::Kind kind;
};

struct RetiredQueue {
  platform::Mutex lock;
  std::vector<Retired> refs;  // guarded by lock
  std::atomic<int> count{0};
};

// Never destroyed: references are queued until the process has ended,
// by threads that may still run while exit destroys static objects.
RetiredQueue& queue() {
  alignas(RetiredQueue) static unsigned char storage[sizeof(RetiredQueue)];
  static RetiredQueue* q = ::new (storage) RetiredQueue;
  return *q;
}

}  // namespace

GlobalRef& GlobalRef::operator=(GlobalRef&& other) noexcept {
  if (this != &other) {
    reset();
    ref_ = std::exchange(other.ref_, nullptr);
    kind_ = other.kind_;
  }
  return *this;
}

GlobalRef GlobalRef::strong(JNIEnv* env, jobject obj) {
  jobject ref = obj ? env->NewGlobalRef(obj) : nullptr;
  if (!ref && env->ExceptionCheck()) env->ExceptionClear();
  return GlobalRef(ref, Kind::strong);
}

GlobalRef GlobalRef::weak(JNIEnv* env, jobject obj) {
  jobject ref = obj ? env->NewWeakGlobalRef(obj) : nullptr;
  if (!ref && env->ExceptionCheck()) env->ExceptionClear();
  return GlobalRef(ref, Kind::weak);
}

void GlobalRef::reset() {
  if (!ref_) return;
  RetiredQueue& q = queue();
  try {
    std::lock_guard guard(q.lock);
    q.refs.push_back({ref_, kind_});
    q.count.fetch_add(1, std::memory_order_release);
  } catch (const std::bad_alloc&) {
    // No memory to queue it: the reference stays with the VM until exit.
  }
  ref_ = nullptr;
}

void deleteRetiredRefs(JNIEnv* env) {
  RetiredQueue& q = queue();
  if (q.count.load(std::memory_order_acquire) == 0) return;
  std::vector<Retired> refs;
  {
    std::lock_guard guard(q.lock);
    refs.swap(q.refs);
    q.count.store(0, std::memory_order_relaxed);
  }
  // The VM is called only after the queue's lock was let go.
  for (const Retired& r : refs) {
    if (r.kind == GlobalRef::Kind::weak)
      env->DeleteWeakGlobalRef(static_cast<jweak>(r.ref));
    else
      env->DeleteGlobalRef(r.ref);
  }
}

int retiredRefCount() { return queue().count.load(std::memory_order_acquire); }

}  // namespace kiv::utils
