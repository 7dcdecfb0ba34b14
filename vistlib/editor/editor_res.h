#pragma once
// Control, command and resource numbers of the editor window.

// Windows of the form.
#define IDC_TOOLBAR1 101
#define IDC_UNLOADBUTTON 102
#define IDC_TOOLBAR 103
#define IDC_UNDERTOOLBAR 104
#define IDC_INFOLBL 105
#define IDC_GAUGE 106
#define IDC_STATUSBAR 107
#define IDC_PANEL2 108
#define IDC_HSCROLL 110
#define IDC_VSCROLL 111

// Tool bar buttons.
#define IDC_NEWCOLORFILL 201
#define IDC_NEWBORDERBTN 202
#define IDC_NEWCROPBTN 203
#define IDC_NEWCOLORREDUCEBTN 204
#define IDC_NEWREDACTBTN 205
#define IDC_GETMAGICWINDOW 211
#define IDC_GETMANUALSELECTION 212
#define IDC_GETACTIVEWINDOW 213
#define IDC_GETFULLSCREEN 214
#define IDC_DISCARDSELECTION 215
#define IDC_MULTISELECT 216
#define IDC_ZOOMIN 221
#define IDC_ZOOMOUT 222
#define IDC_EXACTZOOMBTN 223

// Menu commands: the fill colours, the border widths, the reductions (the
// reduction's value added), the zoom presets.
#define IDM_FILL_WHITE 301
#define IDM_FILL_OTHER 302
#define IDM_FILL_DESKTOP 303
#define IDM_FILL_WINDOW 304
#define IDM_FILL_WORKSPACE 305
#define IDM_FILL_ACTIVE 306
#define IDM_FILL_INACTIVE 307
#define IDM_BORDER_FIRST 310
#define IDM_BORDER_LAST 318
#define IDM_BORDER_COLOR 320
#define IDM_REDUCE_BASE 330
#define IDM_EXACTZOOM 340
#define IDM_ZOOM_FIRST 341
#define IDM_ZOOM_LAST 349
#define IDM_REDACT_BLACK 350
#define IDM_REDACT_FILL 351
#define IDM_REDACT_MOSAIC 352

// The exact-zoom input box.
#define IDD_EXACTZOOM 400
#define IDC_EXACTZOOM_PROMPT 401
#define IDC_EXACTZOOM_EDIT 402

// Cursors, drawn by the library.
#define ID_CURSORZOOMIN 501
#define ID_CURSORZOOMOUT 502
#define ID_CURSORMAGIC 503
#define ID_CURSORCROSS 504

// The annotation tool bar: undo, redo, the mark tools, line width, colour;
// the line width menu.
#define IDC_MARKBAR 112
#define IDC_UNDO 231
#define IDC_REDO 232
#define IDC_MARKARROW 233
#define IDC_MARKRECTANGLE 234
#define IDC_MARKELLIPSE 235
#define IDC_MARKTEXT 236
#define IDC_MARKHIGHLIGHTER 237
#define IDC_MARKSTEP 238
#define IDC_MARKWIDTH 239
#define IDC_MARKCOLOUR 240
#define IDM_MARKWIDTH_FIRST 360
#define IDM_MARKWIDTH_LAST 364
