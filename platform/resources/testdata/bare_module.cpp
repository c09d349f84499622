// A test module without resources that links a module with resources: the
// resource functions must not find its dependency's table.
extern "C" __attribute__((visibility("default"))) int QvBareValue() { return 7; }
