// Built into the program only in the sanitizer build. A sanitizer finding ends the program
// with a status of its own, 86, never the 1 of a report that failed, which a test may expect:
// a fault can then never pass for a handled failure. Both sanitizers share the setting.
extern "C" const char* __asan_default_options()
{
    return "exitcode=86";
}

extern "C" const char* __ubsan_default_options()
{
    return "exitcode=86:print_stacktrace=1";
}
