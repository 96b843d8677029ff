// Leak checks of the surface's tests: fontconfig loses a few hundred bytes once while it
// parses its configuration files. Only that loading is excused, so a pattern or font set
// the surface forgets to free is still reported. fontconfig is built without frame
// pointers, so allocation stacks are taken the slow way, or they would stop inside it
// before reaching the loading routine.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:FcInitLoadConfigAndFonts\n";
}

extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
