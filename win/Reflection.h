#pragma once

#include <windows.h>

namespace vorlune {

// Control notifications sent back to the control that sent them come as the
// same message plus this (WM_COMMAND arrives as kReflected + WM_COMMAND).
constexpr UINT kReflected = 0x2000;

// For a parent's message map: sends a control notification (WM_COMMAND from a
// control, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_COMPAREITEM,
// WM_DELETEITEM, WM_VKEYTOITEM, WM_CHARTOITEM, WM_HSCROLL, WM_VSCROLL,
// WM_CTLCOLOR*, WM_PARENTNOTIFY) back to the control as msg + kReflected.
// False, with nothing sent, for other messages and when no control is named.
bool ReflectNotification(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;

}  // namespace vorlune
