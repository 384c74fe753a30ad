// ThreadSanitizer suppressions built into the test programs that run the service.
//
// libcpp-httplib.so is not built with ThreadSanitizer. Its function-local statics (such as the
// set of request methods that parse_request_line searches) are initialised under a guard whose
// fast path is an acquire load inlined in that library, which the sanitizer cannot see, so the
// first request on one pool thread and a later one on another are reported as a race.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
    return "race:libcpp-httplib.so\n";
}
#endif
