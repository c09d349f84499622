// The service control manager of the layer and the dispatcher side of a
// service program.
//
// The manager's database is a small file of the layer: <state>/services/
// database, where <state> is $QV_STATE_DIR, else $HOME/.quorvane. Every call
// reads it under an advisory lock and writes it back atomically, so that all
// processes of the user share one set of services. Services come in two kinds:
//
//  - Services made with CreateServiceA run their program for real. StartServiceA
//    starts the program of the binary path (split by the Windows command-line
//    rules, the path through the path mapper) in a session of its own, with the
//    binary path's own arguments followed by
//        --qv-service=<name> --qv-service-token=<token> --qv-service-arg=<arg>...
//    one --qv-service-arg for each start argument, in order, and descriptor 3
//    open for the program to report that it reached its dispatcher. It runs
//    in the program's own folder; its standard output and error are appended
//    to <state>/services/<name>.log. StartServiceA
//    returns once StartServiceCtrlDispatcherA in the program has taken over the
//    start (at most 30 seconds; then ERROR_SERVICE_REQUEST_TIMEOUT and the
//    program is killed). The dispatcher reads those arguments back from the
//    process's own command line and gives the service main argv[0] = the
//    service name followed by the start arguments.
//  - Simulated services stand for the rest of the system's services ("SNMP").
//    Tests create them and set their state with qvp::SetSimulatedServiceState.
//    Starting one shows START_PENDING to the next status answer (a status
//    query, an enumeration or a control) and then RUNNING; stopping one shows
//    STOP_PENDING in the same way and then STOPPED. A state a test sets stays
//    until something changes it.
//
// Controls reach a running service program through a Unix socket of the
// service directory (one per program, named after its process id): the
// dispatcher thread accepts the control, runs the handler there, as Windows
// does, and answers with the service's status. ControlService waits at most 30
// seconds for the answer.
//
// A service that is deleted while it runs or while handles to it are open is
// marked for deletion and removed when it has stopped and the last handle of
// every process is closed. A program that ends without reporting
// SERVICE_STOPPED leaves its service stopped with exit code
// ERROR_PROCESS_ABORTED.
#pragma once

#include <string>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

#ifndef ERROR_INVALID_SERVICE_CONTROL
#define ERROR_INVALID_SERVICE_CONTROL 1052L
#endif
#ifndef ERROR_SERVICE_DATABASE_LOCKED
#define ERROR_SERVICE_DATABASE_LOCKED 1055L
#endif
#ifndef ERROR_INVALID_SERVICE_ACCOUNT
#define ERROR_INVALID_SERVICE_ACCOUNT 1057L
#endif
#ifndef ERROR_SERVICE_DISABLED
#define ERROR_SERVICE_DISABLED 1058L
#endif
#ifndef ERROR_SERVICE_CANNOT_ACCEPT_CTRL
#define ERROR_SERVICE_CANNOT_ACCEPT_CTRL 1061L
#endif
#ifndef ERROR_FAILED_SERVICE_CONTROLLER_CONNECT
#define ERROR_FAILED_SERVICE_CONTROLLER_CONNECT 1063L
#endif
#ifndef ERROR_DATABASE_DOES_NOT_EXIST
#define ERROR_DATABASE_DOES_NOT_EXIST 1065L
#endif
#ifndef ERROR_SERVICE_SPECIFIC_ERROR
#define ERROR_SERVICE_SPECIFIC_ERROR 1066L
#endif
#ifndef ERROR_PROCESS_ABORTED
#define ERROR_PROCESS_ABORTED 1067L
#endif
#ifndef ERROR_SERVICE_MARKED_FOR_DELETE
#define ERROR_SERVICE_MARKED_FOR_DELETE 1072L
#endif
#ifndef ERROR_DUPLICATE_SERVICE_NAME
#define ERROR_DUPLICATE_SERVICE_NAME 1078L
#endif
#ifndef RPC_S_SERVER_UNAVAILABLE
#define RPC_S_SERVER_UNAVAILABLE 1722L
#endif

QV_DECLARE_HANDLE(SC_HANDLE);
typedef SC_HANDLE* LPSC_HANDLE;
QV_DECLARE_HANDLE(SERVICE_STATUS_HANDLE);

// Standard access rights.
#ifndef DELETE
#define DELETE 0x00010000u
#endif
#ifndef READ_CONTROL
#define READ_CONTROL 0x00020000u
#endif
#ifndef STANDARD_RIGHTS_REQUIRED
#define STANDARD_RIGHTS_REQUIRED 0x000F0000u
#endif

// Manager access.
#define SC_MANAGER_CONNECT 0x0001u
#define SC_MANAGER_CREATE_SERVICE 0x0002u
#define SC_MANAGER_ENUMERATE_SERVICE 0x0004u
#define SC_MANAGER_LOCK 0x0008u
#define SC_MANAGER_QUERY_LOCK_STATUS 0x0010u
#define SC_MANAGER_MODIFY_BOOT_CONFIG 0x0020u
#define SC_MANAGER_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | 0x003Fu)
#define SERVICES_ACTIVE_DATABASEA "ServicesActive"

// Service access.
#define SERVICE_QUERY_CONFIG 0x0001u
#define SERVICE_CHANGE_CONFIG 0x0002u
#define SERVICE_QUERY_STATUS 0x0004u
#define SERVICE_ENUMERATE_DEPENDENTS 0x0008u
#define SERVICE_START 0x0010u
#define SERVICE_STOP 0x0020u
#define SERVICE_PAUSE_CONTINUE 0x0040u
#define SERVICE_INTERROGATE 0x0080u
#define SERVICE_USER_DEFINED_CONTROL 0x0100u
#define SERVICE_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | 0x01FFu)

// Service types.
#define SERVICE_KERNEL_DRIVER 0x00000001u
#define SERVICE_FILE_SYSTEM_DRIVER 0x00000002u
#define SERVICE_DRIVER 0x0000000Bu
#define SERVICE_WIN32_OWN_PROCESS 0x00000010u
#define SERVICE_WIN32_SHARE_PROCESS 0x00000020u
#define SERVICE_WIN32 0x00000030u
#define SERVICE_INTERACTIVE_PROCESS 0x00000100u
#define SERVICE_TYPE_ALL 0x0000013Fu

// Start types and error control.
#define SERVICE_BOOT_START 0x00000000u
#define SERVICE_SYSTEM_START 0x00000001u
#define SERVICE_AUTO_START 0x00000002u
#define SERVICE_DEMAND_START 0x00000003u
#define SERVICE_DISABLED 0x00000004u
#define SERVICE_ERROR_IGNORE 0x00000000u
#define SERVICE_ERROR_NORMAL 0x00000001u
#define SERVICE_ERROR_SEVERE 0x00000002u
#define SERVICE_ERROR_CRITICAL 0x00000003u
#define SERVICE_NO_CHANGE 0xFFFFFFFFu

// States, and the state filter of EnumServicesStatusA.
#define SERVICE_STOPPED 0x00000001u
#define SERVICE_START_PENDING 0x00000002u
#define SERVICE_STOP_PENDING 0x00000003u
#define SERVICE_RUNNING 0x00000004u
#define SERVICE_CONTINUE_PENDING 0x00000005u
#define SERVICE_PAUSE_PENDING 0x00000006u
#define SERVICE_PAUSED 0x00000007u
#define SERVICE_ACTIVE 0x00000001u
#define SERVICE_INACTIVE 0x00000002u
#define SERVICE_STATE_ALL 0x00000003u

// Controls, and the controls a service accepts.
#define SERVICE_CONTROL_STOP 0x00000001u
#define SERVICE_CONTROL_PAUSE 0x00000002u
#define SERVICE_CONTROL_CONTINUE 0x00000003u
#define SERVICE_CONTROL_INTERROGATE 0x00000004u
#define SERVICE_CONTROL_SHUTDOWN 0x00000005u
#define SERVICE_ACCEPT_STOP 0x00000001u
#define SERVICE_ACCEPT_PAUSE_CONTINUE 0x00000002u
#define SERVICE_ACCEPT_SHUTDOWN 0x00000004u

struct SERVICE_STATUS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
};
typedef SERVICE_STATUS* LPSERVICE_STATUS;

struct ENUM_SERVICE_STATUSA {
  LPSTR lpServiceName;
  LPSTR lpDisplayName;
  SERVICE_STATUS ServiceStatus;
};
typedef ENUM_SERVICE_STATUSA* LPENUM_SERVICE_STATUSA;

struct QUERY_SERVICE_CONFIGA {
  DWORD dwServiceType;
  DWORD dwStartType;
  DWORD dwErrorControl;
  LPSTR lpBinaryPathName;
  LPSTR lpLoadOrderGroup;
  DWORD dwTagId;
  LPSTR lpDependencies;
  LPSTR lpServiceStartName;
  LPSTR lpDisplayName;
};
typedef QUERY_SERVICE_CONFIGA* LPQUERY_SERVICE_CONFIGA;

typedef void(WINAPI* LPSERVICE_MAIN_FUNCTIONA)(DWORD dwNumServicesArgs, LPSTR* lpServiceArgVectors);
typedef void(WINAPI* LPHANDLER_FUNCTION)(DWORD dwControl);

struct SERVICE_TABLE_ENTRYA {
  LPSTR lpServiceName;
  LPSERVICE_MAIN_FUNCTIONA lpServiceProc;
};
typedef SERVICE_TABLE_ENTRYA* LPSERVICE_TABLE_ENTRYA;

// ---------------------------------------------------------------------------
// The manager. Only this computer is served: a null or empty machine name, or
// this computer's name (with or without "\\"); another name fails with
// RPC_S_SERVER_UNAVAILABLE.
QV_API SC_HANDLE OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess);
// Service names are compared without regard to case and kept as written.
QV_API SC_HANDLE OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess);
// The account name and password are kept with the service (the file is the
// user's own, mode 0600); a null account is "LocalSystem".
QV_API SC_HANDLE CreateServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPCSTR lpDisplayName,
                                DWORD dwDesiredAccess, DWORD dwServiceType, DWORD dwStartType,
                                DWORD dwErrorControl, LPCSTR lpBinaryPathName, LPCSTR lpLoadOrderGroup,
                                LPDWORD lpdwTagId, LPCSTR lpDependencies, LPCSTR lpServiceStartName,
                                LPCSTR lpPassword);
QV_API BOOL DeleteService(SC_HANDLE hService);
QV_API BOOL CloseServiceHandle(SC_HANDLE hSCObject);
QV_API BOOL ChangeServiceConfigA(SC_HANDLE hService, DWORD dwServiceType, DWORD dwStartType,
                                 DWORD dwErrorControl, LPCSTR lpBinaryPathName, LPCSTR lpLoadOrderGroup,
                                 LPDWORD lpdwTagId, LPCSTR lpDependencies, LPCSTR lpServiceStartName,
                                 LPCSTR lpPassword, LPCSTR lpDisplayName);

QV_API BOOL StartServiceA(SC_HANDLE hService, DWORD dwNumServiceArgs, LPCSTR* lpServiceArgVectors);
// STOP, PAUSE, CONTINUE, INTERROGATE, SHUTDOWN and user-defined controls
// (128-255). The status is filled on success and also for
// ERROR_SERVICE_NOT_ACTIVE, ERROR_SERVICE_CANNOT_ACCEPT_CTRL and
// ERROR_INVALID_SERVICE_CONTROL.
QV_API BOOL ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus);
QV_API BOOL QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus);
// The record followed by its strings, in the caller's buffer; a buffer too
// small fails with ERROR_INSUFFICIENT_BUFFER and the bytes needed.
QV_API BOOL QueryServiceConfigA(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGA lpServiceConfig, DWORD cbBufSize,
                                LPDWORD pcbBytesNeeded);
// Services in name order (without regard to case): as many records as fit,
// their strings at the end of the buffer. When not all fit: ERROR_MORE_DATA,
// the bytes needed for the rest, and the resume handle where the next call
// goes on (0 starts from the beginning).
QV_API BOOL EnumServicesStatusA(SC_HANDLE hSCManager, DWORD dwServiceType, DWORD dwServiceState,
                                LPENUM_SERVICE_STATUSA lpServices, DWORD cbBufSize, LPDWORD pcbBytesNeeded,
                                LPDWORD lpServicesReturned, LPDWORD lpResumeHandle);
// Buffer sizes in characters. Too small: ERROR_INSUFFICIENT_BUFFER and the
// length needed without the terminating NUL.
QV_API BOOL GetServiceDisplayNameA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPSTR lpDisplayName,
                                   LPDWORD lpcchBuffer);
QV_API BOOL GetServiceKeyNameA(SC_HANDLE hSCManager, LPCSTR lpDisplayName, LPSTR lpServiceName,
                               LPDWORD lpcchBuffer);

// ---------------------------------------------------------------------------
// The service program's side. One service runs in a process: the table entry
// named like the service started, else the first. The service main runs on a
// new thread; the calling thread runs the control handler and returns once
// the service has reported SERVICE_STOPPED and its main has returned. A
// process the manager did not start fails with
// ERROR_FAILED_SERVICE_CONTROLLER_CONNECT.
QV_API BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* lpServiceStartTable);
// The name is not checked: the process runs one service.
QV_API SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(LPCSTR lpServiceName, LPHANDLER_FUNCTION lpHandlerProc);
QV_API BOOL SetServiceStatus(SERVICE_STATUS_HANDLE hServiceStatus, LPSERVICE_STATUS lpServiceStatus);

namespace qvp {

// The layer's state directory (the service database lives in its "services"
// folder). A null or empty path returns to the default: $QV_STATE_DIR, else
// $HOME/.quorvane. Service programs the manager starts get it as QV_STATE_DIR.
void SetStateDirectory(const char* linux_directory);
std::string StateDirectory();

// Makes `name` a simulated service (created when missing, with the display
// name given or its name) in the given state. False when the name is not a
// valid service name, the state is not one of SERVICE_STOPPED..SERVICE_PAUSED,
// or the database cannot be written.
bool SetSimulatedServiceState(const char* name, DWORD state, const char* display_name = nullptr);

}  // namespace qvp
