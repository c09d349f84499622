// Dynamic Data Exchange: the handle types and callback shape a DDE client
// callback is declared with. The layer has no DDE conversations; a program's
// callback of this shape is only ever called by the program itself.
#pragma once

#include "qvplatform/types.h"

QV_DECLARE_HANDLE(HCONV);
QV_DECLARE_HANDLE(HSZ);
QV_DECLARE_HANDLE(HDDEDATA);

typedef HDDEDATA(CALLBACK* PFNCALLBACK)(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2,
                                        HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
