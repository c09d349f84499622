#include "app_globals.h"

AppGlobals g_app{};
char g_snmpOid[kSnmpOidSize + 1] = {};
