// A module that loads but offers none of the password entry points.
extern "C" __attribute__((visibility("default"))) int VxStubModuleMarker() {
    return 1;
}
