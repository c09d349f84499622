// A module without DllMain that depends on one with it: the loader must
// neither call nor export what the dependency has.
#include "qvplatform.h"

extern "C" int Sixty();

QV_API int PlainValue() { return Sixty() + 1; }
