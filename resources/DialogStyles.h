/* Window styles and control kinds of the library's dialog templates, as plain numbers that the
   resource compiler and the C++ compiler read alike (DialogTemplates.def uses them). */
#ifndef ZMW_DIALOG_STYLES_H
#define ZMW_DIALOG_STYLES_H

#define ZMW_WS_POPUP 0x80000000
#define ZMW_WS_CAPTION 0x00C00000
#define ZMW_WS_SYSMENU 0x00080000
#define ZMW_WS_DISABLED 0x08000000
#define ZMW_DS_SETFONT 0x00000040
#define ZMW_DS_MODALFRAME 0x00000080
#define ZMW_DS_SETFOREGROUND 0x00000200
#define ZMW_ES_AUTOHSCROLL 0x00000080

/* Every dialog: a modal frame with a caption, its font set. */
#define ZMW_DIALOG_BASE (ZMW_DS_SETFONT | ZMW_DS_MODALFRAME | ZMW_WS_POPUP | ZMW_WS_CAPTION)

/* The control kinds: the class and the style of each, visible and a child window. */
#define ZMW_LTEXT_CLASS "Static"
#define ZMW_LTEXT_STYLE 0x50020000     /* SS_LEFT | WS_GROUP */
#define ZMW_CTEXT_CLASS "Static"
#define ZMW_CTEXT_STYLE 0x50020001     /* SS_CENTER | WS_GROUP */
#define ZMW_EDIT_CLASS "Edit"
#define ZMW_EDIT_STYLE 0x50810000      /* ES_LEFT | WS_BORDER | WS_TABSTOP */
#define ZMW_BUTTON_CLASS "Button"
#define ZMW_BUTTON_STYLE 0x50010000    /* BS_PUSHBUTTON | WS_TABSTOP */
#define ZMW_DEFBUTTON_CLASS "Button"
#define ZMW_DEFBUTTON_STYLE 0x50010001 /* BS_DEFPUSHBUTTON | WS_TABSTOP */
#define ZMW_AUTOCHECK_CLASS "Button"
#define ZMW_AUTOCHECK_STYLE 0x50010003 /* BS_AUTOCHECKBOX | WS_TABSTOP */
#define ZMW_GROUP_CLASS "Button"
#define ZMW_GROUP_STYLE 0x50000007     /* BS_GROUPBOX */
#define ZMW_PROGRESS_CLASS "msctls_progress32"
#define ZMW_PROGRESS_STYLE 0x50800000  /* WS_BORDER */

#endif
