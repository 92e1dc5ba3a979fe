/* ZtServiceMsg.dll: the exported interface, for host processes of the suite.
   All four functions are cdecl, exported by their undecorated names, and answer 0. */
#ifndef ZTSERVICEMSG_H
#define ZTSERVICEMSG_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A message box of two string-table rows on a desktop; in service mode an error entry in the
   event log and in Events.log instead. `unused` is not read. */
int __cdecl NotifyMsgBoxTmp(LCID lcid, UINT textId, UINT captionId, UINT style, UINT unused);

/* The modal, topmost information dialog; `tag` is shown in brackets after the caption,
   `details` under the message. Returns when the operator confirms it. */
int __cdecl CreateInfoDlg(UINT reserved1, UINT captionId, UINT textId, LCID lcid, UINT reserved2,
                          const char* tag, const char* details);

/* The modeless diagnostics viewer on a log file; brings an open one to the front instead. */
int __cdecl CreateDiagnoseDlg(LCID lcid, const char* logPath);

/* Closes the open information dialog and diagnostics viewer; call it on their thread. */
int __cdecl DestroyOpenDlg(void);

typedef int(__cdecl* PFN_NotifyMsgBoxTmp)(LCID, UINT, UINT, UINT, UINT);
typedef int(__cdecl* PFN_CreateInfoDlg)(UINT, UINT, UINT, LCID, UINT, const char*, const char*);
typedef int(__cdecl* PFN_CreateDiagnoseDlg)(LCID, const char*);
typedef int(__cdecl* PFN_DestroyOpenDlg)(void);

#ifdef __cplusplus
}
#endif

#endif
