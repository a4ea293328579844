// A library that loads but offers no JNI entry points.
extern "C" int notARuntime() { return 0; }
