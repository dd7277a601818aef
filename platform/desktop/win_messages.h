#pragma once

#include "platform/desktop/win_types.h"
#include "platform/message_queue.h"  // WM_QUIT, WM_TIMER, WM_USER

// Message numbers, flag bits and virtual-key codes, with the values Windows gives them.
namespace vexa::platform {

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;      // lParam: client origin in screen coordinates
constexpr UINT WM_SIZE = 0x0005;      // wParam: SIZE_*; lParam: client width, height
constexpr UINT WM_ACTIVATE = 0x0006;  // wParam: WA_*; lParam: 0 (the other window is unknown)
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETFONT = 0x0030;  // wParam: HFONT; lParam: redraw
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_SETICON = 0x0080;  // wParam: ICON_SMALL or ICON_BIG; lParam: HICON
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR =
    0x0102;  // wParam: one Shift_JIS byte (a double-byte character comes as two)
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_INITDIALOG = 0x0110;  // wParam: the control to focus; lParam: the init value
constexpr UINT WM_COMMAND = 0x0111;     // LOWORD(wParam): control or menu id; lParam: control
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;  // HIWORD(wParam): signed delta, 120 a notch
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MOUSELEAVE = 0x02A3;

// The toolkit's private messages: a relayout and a repaint that were requested and posted.
constexpr UINT WM_VEXA_RELAYOUT = 0xBF00;
constexpr UINT WM_VEXA_REPAINT = 0xBF01;

constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Mouse-message wParam bits: buttons and modifiers held after the event.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// Key-message lParam: bits 0-15 repeat count (always 1), 16-23 scan code (the X key code),
// 29 Alt held, 30 the key was already down (set on an auto-repeat and on every key up),
// 31 the key is being released.
constexpr LPARAM KF_ALTDOWN_BIT = LPARAM{1} << 29;
constexpr LPARAM KF_REPEAT_BIT = LPARAM{1} << 30;
constexpr LPARAM KF_UP_BIT = static_cast<LPARAM>(uint32_t{1} << 31);

// Virtual-key codes. Letters are 'A'..'Z' and digits '0'..'9'.
constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_CAPITAL = 0x14;
constexpr UINT VK_KANA = 0x15;
constexpr UINT VK_KANJI = 0x19;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_CONVERT = 0x1C;
constexpr UINT VK_NONCONVERT = 0x1D;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_SNAPSHOT = 0x2C;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_LWIN = 0x5B;
constexpr UINT VK_RWIN = 0x5C;
constexpr UINT VK_APPS = 0x5D;
constexpr UINT VK_NUMPAD0 = 0x60;  // to VK_NUMPAD9 = 0x69
constexpr UINT VK_MULTIPLY = 0x6A;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_DIVIDE = 0x6F;
constexpr UINT VK_F1 = 0x70;  // to VK_F24 = 0x87
constexpr UINT VK_NUMLOCK = 0x90;
constexpr UINT VK_SCROLL = 0x91;
constexpr UINT VK_OEM_1 = 0xBA;  // ;:
constexpr UINT VK_OEM_PLUS = 0xBB;
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_MINUS = 0xBD;
constexpr UINT VK_OEM_PERIOD = 0xBE;
constexpr UINT VK_OEM_2 = 0xBF;  // /?
constexpr UINT VK_OEM_3 = 0xC0;  // `~
constexpr UINT VK_OEM_4 = 0xDB;  // [{
constexpr UINT VK_OEM_5 = 0xDC;  // \|
constexpr UINT VK_OEM_6 = 0xDD;  // ]}
constexpr UINT VK_OEM_7 = 0xDE;  // '"
constexpr UINT VK_OEM_102 = 0xE2;

// Window styles (the ones the desktop layer acts on; others are kept and ignored).
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Get/SetWindowLongPtrA indexes.
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;

// TrackMouseEvent
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_CANCEL = 0x80000000;

}  // namespace vexa::platform
