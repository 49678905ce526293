// SPDX-License-Identifier: GPL-3.0-or-later
// What the X server and the window manager say about the test's windows,
// and requests to the window manager as a user's actions make them.
#pragma once

#include <QRect>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace tavex::testing {

// The window's client area as the X server has it, in root coordinates.
QRect serverGeometry(const QWidget* window);
// The frame the window manager put around it (left, right, top, bottom).
std::vector<std::uint32_t> frameExtents(const QWidget* window);
// The window's outer rectangle: its frame around its client area.
QRect framedOnServer(const QWidget* window);
// WM_STATE: 1 normal, 3 iconic, 0 none.
int wmState(const QWidget* window);
// The window's place among the managed windows, from the bottom of the
// stack (0) up; -1 when it is not managed.
int stackIndex(const QWidget* window);

// Requests to the window manager, as its frame buttons and a user's drag
// make them.
void requestIconify(const QWidget* window);
void requestMaximize(const QWidget* window, bool on);
void requestClientGeometry(const QWidget* window, const QRect& client);
void requestActivate(const QWidget* window);

// Handles events until the window manager has dealt with everything the
// program asked of it so far and its answers have arrived (at most five
// seconds): a request the window manager answers on a window of the test's
// own, made after all the others, comes back last.
bool settle();
// Handles events until done() holds, for at most five seconds.
bool waitUntil(const std::function<bool()>& done);

}  // namespace tavex::testing
