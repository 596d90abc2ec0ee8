// A module that loads but exports no bundle entry point.
extern "C" __attribute__((visibility("default"))) int TestBundleWithoutEntryPoint() {
    return 1;
}
