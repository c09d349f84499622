// The program's start and end: the program entry, the service entry and its
// control handler, the interactive start with its fixed order of steps, the
// hidden main window, and the orderly shutdown.
#pragma once

#include "qvplatform.h"

// The hidden main window's class; a second start finds the running program
// by it.
inline constexpr char kMainWindowClass[] = "QUORVANE40:MAIN";
inline constexpr char kServiceName[] = "Quorvane40";
inline constexpr char kDispatcherServiceName[] = "Quorvane";

// Messages of the hidden main window.
inline constexpr UINT kRunMainPanelMessage = 2024;  // wParam: the show command
inline constexpr UINT kShowProgramMessage = 2034;   // a second start asks to see the program
inline constexpr UINT kMainPanelTemplate = 100;

// What the hidden window hands the main panel as its dialog parameter.
struct MainPanelStart {
  int showCommand;
};

extern "C" {
__attribute__((visibility("default"))) int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                                                          int showCommand);
void WINAPI ServiceMain(DWORD argumentCount, LPSTR* arguments);
void WINAPI ServiceCtrlHandler(DWORD control);
__attribute__((visibility("default"))) LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam,
                                                                    LPARAM lParam);
BOOL CALLBACK CountResLangProc(HMODULE module, LPCSTR type, LPCSTR name, WORD language, LONG_PTR counter);
}

// The quit message's wParam, or -1 when the start failed.
int RunApplication(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
int RegisterMainWindowClass(HINSTANCE instance);
void ShutdownApplication();

// The service's start-hidden value: 1 at load, set by the service's first
// start argument, cleared by message 2034. While it is nonzero and the
// program runs as a service, the main panel stays hidden.
bool ServiceStartHidden();
void ClearServiceStartHidden();

// An end asked for by the service's stop control or a termination signal,
// from any thread: remembered, and posted to the main window once the start
// has named it. The start checks it before it runs the main panel, so that a
// request made before the panel is up still ends the program.
inline constexpr UINT kProgramEndMessage = WM_APP + 1;  // the main window carries out the end
void SetProgramEndWindow(HWND window);
void RequestProgramEnd(const char* requester);
bool ProgramEndRequested();
// On the main window's thread: the panel's exit command, or the window closed.
void CarryOutProgramEnd(HWND window);
