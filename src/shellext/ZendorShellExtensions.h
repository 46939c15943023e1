/* The file-manager context-menu extension: the handler of the folders'
 * context menu and the hand-off of the selected entries to a newly started
 * program. Plain C, so file-manager modules, the command-line front end and
 * dlopen() callers can use it. Results are the shell's HRESULT values. */
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define ZSE_API __attribute__((visibility("default")))
#else
#define ZSE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t ZSE_HRESULT;
#define ZSE_S_OK ((ZSE_HRESULT)0)
#define ZSE_E_FAIL ((ZSE_HRESULT)0x80004005)
#define ZSE_E_INVALIDARG ((ZSE_HRESULT)0x80070057)
#define ZSE_E_OUTOFMEMORY ((ZSE_HRESULT)0x8007000E)

/* QueryContextMenu flags. */
#define ZSE_CMF_NORMAL 0x0u
#define ZSE_CMF_DEFAULTONLY 0x1u
#define ZSE_CMF_EXPLORE 0x4u

/* GetCommandString types. */
#define ZSE_GCS_VERBA 0x0u
#define ZSE_GCS_HELPTEXTA 0x1u
#define ZSE_GCS_VALIDATEA 0x2u
#define ZSE_GCS_UNICODE 0x4u
#define ZSE_GCS_HELPTEXTW 0x5u

/* A verb given as a command offset rather than a verb name. */
#define ZSE_MAKEINTVERB(offset) ((const char*)(uintptr_t)(offset))

/* Menu item kinds. */
#define ZSE_MF_STRING 0
#define ZSE_MF_SEPARATOR 1
#define ZSE_MF_POPUP 2

typedef struct zse_Handler zse_Handler;
typedef struct zse_Menu zse_Menu;

typedef struct zse_MenuItem {
    int kind;          /* ZSE_MF_... */
    unsigned id;       /* command identifier of a string item */
    int bitmap;        /* picture 101..104, 0 for none */
    const char* text;  /* UTF-8; "&" marks the mnemonic */
    zse_Menu* submenu; /* the popup's menu, owned by the item */
} zse_MenuItem;

/* Shows a message to the user: caption and text (UTF-8, "\n" line breaks). */
typedef void (*zse_MessageFn)(void* context, const char* caption, const char* text);

ZSE_API zse_Handler* zse_CreateHandler(void);
ZSE_API void zse_ReleaseHandler(zse_Handler* handler);

/* Where the handler's messages go; without one they are written to stderr. */
ZSE_API void zse_SetMessageCallback(zse_Handler* handler, zse_MessageFn fn, void* context);
/* How often and how long to look for the receiver (default 50 x 200 ms). */
ZSE_API void zse_SetReceiverWait(zse_Handler* handler, int retries, int intervalMs);
/* The UTC time the hand-off key is made of, for tests; 0, 0: the clock's. */
ZSE_API void zse_PinHandOffTime(zse_Handler* handler, int64_t seconds, int32_t nanoseconds);

/* The selection: names are full paths of the selected folders in the file
 * manager's order; names == NULL means the file manager gave no file list.
 * folder is the folder the file manager names (the target of a copy), or
 * NULL/"" for none. */
ZSE_API ZSE_HRESULT zse_Initialize(zse_Handler* handler, const char* folder, const char* const* names, int count);

/* Inserts the handler's items into menu at position indexMenu; command
 * identifiers are idCmdFirst + the command offset. Returns the number of
 * items inserted (0, 2 or 7). */
ZSE_API ZSE_HRESULT zse_QueryContextMenu(zse_Handler* handler, zse_Menu* menu, unsigned indexMenu, unsigned idCmdFirst,
                                         unsigned idCmdLast, unsigned flags);

/* Help text of a command offset; with ZSE_GCS_UNICODE the buffer receives
 * UTF-16 units, else UTF-8 bytes; cchMax counts units, the text is cut to
 * fit and always terminated. */
ZSE_API ZSE_HRESULT zse_GetCommandString(zse_Handler* handler, uintptr_t idCmd, unsigned type, unsigned* reserved,
                                         char* name, unsigned cchMax);

/* Starts the program and hands the selection over; verb is
 * ZSE_MAKEINTVERB(command offset). */
ZSE_API ZSE_HRESULT zse_InvokeCommand(zse_Handler* handler, const char* verb);

ZSE_API zse_Menu* zse_CreateMenu(void);
/* Destroys the menu with its submenus. */
ZSE_API void zse_DestroyMenu(zse_Menu* menu);
ZSE_API int zse_GetMenuItemCount(const zse_Menu* menu);
/* Fills item; pointers stay valid while the menu lives. 0 for a bad position. */
ZSE_API int zse_GetMenuItem(const zse_Menu* menu, int position, zse_MenuItem* item);
/* Inserts a copy of item before position (appends past the end); a popup
 * takes ownership of item->submenu. 0 on failure. */
ZSE_API int zse_InsertMenuItem(zse_Menu* menu, unsigned position, const zse_MenuItem* item);

/* The action word a command offset hands over ("COPY", ...), NULL outside 1 to 5. */
ZSE_API const char* zse_CommandActionWord(int offset);

/* Icon name (freedesktop naming) for a picture number, NULL for none. */
ZSE_API const char* zse_BitmapIconName(int bitmap);

/* A zse_MessageFn for desktop front ends: a dialog through zenity or a
 * notification through notify-send when one is installed and a display is
 * there, and always a line on stderr. */
ZSE_API void zse_ShowDesktopMessage(void* context, const char* caption, const char* text);

#ifdef __cplusplus
}
#endif
