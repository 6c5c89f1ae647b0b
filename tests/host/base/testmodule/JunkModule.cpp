// A shared object without the plug-in exports: the loader must skip it.
extern "C" __attribute__((visibility("default"))) int JunkFunction() {
    return 42;
}
