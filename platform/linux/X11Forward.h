#pragma once
// The Xlib types the widget headers name, declared without Xlib.h, whose macros (None,
// Bool, True, Status) would break any editor or test header included after it. The
// declarations match Xlib's own, so both may be seen in one file.
typedef struct _XDisplay Display;
#ifndef _XTYPEDEF_XID
#define _XTYPEDEF_XID
typedef unsigned long XID;
#endif
typedef XID Window;
typedef union _XEvent XEvent;
typedef struct _XGC* GC;
