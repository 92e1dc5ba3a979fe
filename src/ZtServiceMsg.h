/* ZtServiceMsg.dll: the exported interface, for host processes of the suite, in C or C++, with
   MSVC or MinGW. Link with ZtServiceMsg.lib (MSVC) or libZtServiceMsg.dll.a (MinGW), or load the
   DLL by its full path and look the functions up by these undecorated names (the PFN_ types).
   All four are cdecl, run on the calling thread, which must be the host's user-interface thread
   with a message loop, never report failure and always answer 0. Texts come from
   ZtServiceMsg<ABBR>.LNG beside the DLL for the language `lcid`; German is built in.
   INTEGRATION.md is the whole contract; sample/host.c shows it in use. */
#ifndef ZTSERVICEMSG_H
#define ZTSERVICEMSG_H

#include <windows.h>

/* The version of this header, and of the DLL and language libraries it came with. The DLL a
   host finds at run time may be another one: read its version resource (VS_FIXEDFILEINFO's
   dwFileVersionMS holds major and minor, dwFileVersionLS patch and build; ReadModuleVersion in
   sample/host.c shows how) and use it only when the major version is the same and the minor
   version at least this one. */
#define ZTSERVICEMSG_VERSION_MAJOR 5
#define ZTSERVICEMSG_VERSION_MINOR 0
#define ZTSERVICEMSG_VERSION_PATCH 0

#ifdef __cplusplus
extern "C" {
#endif

/* A message box (MessageBoxW with `style`, plus MB_SETFOREGROUND, no owner) of the string-table
   rows `textId` and `captionId`; returns when the operator closes it or the thread's queue gets
   WM_QUIT (DestroyOpenDlg does not close it). When the registry says the process runs as a
   service, an error event and a line in Events.log instead, without waiting. `unused` is not
   read: pass 0. */
int __cdecl NotifyMsgBoxTmp(LCID lcid, UINT textId, UINT captionId, UINT style, UINT unused);

/* The modal, topmost information dialog of the rows `captionId` and `textId`, with `tag` in
   brackets after the caption and `details` under the message (ANSI texts, or a string-table row
   as MAKEINTRESOURCEA, or null for none).
   Returns when the operator confirms it, when the host calls DestroyOpenDlg from a timer or
   message handler that the dialog's loop runs, or on WM_QUIT (posted again for the host's loop).
   Pass 0 for the reserved arguments. */
int __cdecl CreateInfoDlg(UINT reserved1, UINT captionId, UINT textId, LCID lcid, UINT reserved2,
                          const char* tag, const char* details);

/* The modeless diagnostics viewer of the log file `logPath` (ANSI path); brings an open one to
   the front instead. Returns without waiting for the operator: the viewer lives in the host's
   message loop until the operator or DestroyOpenDlg closes it. */
int __cdecl CreateDiagnoseDlg(LCID lcid, const char* logPath);

/* Closes the open information dialog and diagnostics viewer. Call it on their thread, and always
   before FreeLibrary: a viewer left open would run code of a freed library. FreeLibrary only
   from the host's own loop once it has taken what was posted meanwhile, never from a handler
   that a loop of the module runs (INTEGRATION.md, "Threads and lifetime"). */
int __cdecl DestroyOpenDlg(void);

typedef int(__cdecl* PFN_NotifyMsgBoxTmp)(LCID, UINT, UINT, UINT, UINT);
typedef int(__cdecl* PFN_CreateInfoDlg)(UINT, UINT, UINT, LCID, UINT, const char*, const char*);
typedef int(__cdecl* PFN_CreateDiagnoseDlg)(LCID, const char*);
typedef int(__cdecl* PFN_DestroyOpenDlg)(void);

#ifdef __cplusplus
}
#endif

#endif
