// The net facility of the layer: Windows Sockets ("WSOCK32.DLL",
// "WS2_32.DLL"), ICMP echo ("icmp.dll") and the internet client
// ("WININET.DLL"), as built-in modules and as direct calls.
#pragma once

#include "qvplatform/net_winsock.h"
#include "qvplatform/net_icmp.h"
#include "qvplatform/net_wininet.h"
