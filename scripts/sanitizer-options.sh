# Sourced by the scripts that run sanitizer builds (tests, monkey, soak); only a sanitizer build
# reads these. Every report ends the process with a failure; the caller's own options come last
# and win.
#
# intercept_tls_get_addr=0: the sanitizer runtimes of GCC 12 and clang 14 take a dynamic TLS
# block of a loaded library (the plug-in, Mesa, GTK's modules) that happens to start 16 bytes
# into a page for one laid out by glibc before 2.25, and read the two words before it as its
# bounds. The leak checker then scans a range that is not mapped and its tracer dies at exit
# ("Tracer caught signal 11"), after the test itself passed: about one long GUI run in a few.
# Turned off, the checker still scans every thread's stack and static TLS.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:intercept_tls_get_addr=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
