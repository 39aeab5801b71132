// Linked into every database test of the thread-sanitizer build. The
// client library's own locks, taken in its own order while it attaches,
// are none of ours: our locks are never held while it is called.
extern "C" const char* __tsan_default_suppressions() {
    return "deadlock:libfbclient.so\n";
}
