// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/gui_wm/window_system.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace tavex::testing {
namespace {

xcb_connection_t* connection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_window_t root() {
  return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

xcb_window_t id(const QWidget* window) { return static_cast<xcb_window_t>(window->winId()); }

xcb_atom_t atom(const char* name) {
  xcb_connection_t* c = connection();
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr),
      &std::free);
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<std::uint32_t> property(xcb_window_t window, xcb_atom_t name) {
  xcb_connection_t* c = connection();
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, XCB_ATOM_ANY, 0, 1024),
                             nullptr),
      &std::free);
  if (!reply || reply->format != 32) return {};
  const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  return std::vector<std::uint32_t>(values, values + count);
}

// A client message to the root window, as pagers and frame buttons send them.
void sendToWindowManager(xcb_window_t window, const char* type, std::vector<std::uint32_t> data) {
  xcb_client_message_event_t event;
  std::memset(&event, 0, sizeof event);
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = atom(type);
  data.resize(5, 0);
  for (int i = 0; i < 5; ++i) event.data.data32[i] = data[i];
  xcb_send_event(connection(), 0, root(),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection());
}

void roundTrip() {
  xcb_connection_t* c = connection();
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// Lets the events that have come in reach the windows.
void drainEvents() {
  for (int i = 0; i < 3; ++i) {
    roundTrip();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

}  // namespace

QRect serverGeometry(const QWidget* window) {
  xcb_connection_t* c = connection();
  std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
      xcb_get_geometry_reply(c, xcb_get_geometry(c, id(window)), nullptr), &std::free);
  std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> at(
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, id(window), root(), 0, 0),
                                      nullptr),
      &std::free);
  if (!geometry || !at) return {};
  return QRect(at->dst_x, at->dst_y, geometry->width, geometry->height);
}

std::vector<std::uint32_t> frameExtents(const QWidget* window) {
  return property(id(window), atom("_NET_FRAME_EXTENTS"));
}

QRect framedOnServer(const QWidget* window) {
  const std::vector<std::uint32_t> frame = frameExtents(window);
  if (frame.size() != 4) return {};
  return serverGeometry(window).adjusted(-static_cast<int>(frame[0]), -static_cast<int>(frame[2]),
                                         static_cast<int>(frame[1]), static_cast<int>(frame[3]));
}

int wmState(const QWidget* window) {
  const std::vector<std::uint32_t> state = property(id(window), atom("WM_STATE"));
  return state.empty() ? 0 : static_cast<int>(state[0]);
}

int stackIndex(const QWidget* window) {
  const std::vector<std::uint32_t> order = property(root(), atom("_NET_CLIENT_LIST_STACKING"));
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i] == id(window)) return static_cast<int>(i);
  return -1;
}

void requestIconify(const QWidget* window) {
  sendToWindowManager(id(window), "WM_CHANGE_STATE", {3});  // IconicState
}

void requestMaximize(const QWidget* window, bool on) {
  sendToWindowManager(id(window), "_NET_WM_STATE",
                      {on ? 1u : 0u, atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                       atom("_NET_WM_STATE_MAXIMIZED_HORZ"), 2});
}

void requestClientGeometry(const QWidget* window, const QRect& client) {
  // Static gravity: x and y are the client area's; 2: asked for by the user.
  const std::uint32_t flags = 10u | (0xfu << 8) | (2u << 12);
  sendToWindowManager(id(window), "_NET_MOVERESIZE_WINDOW",
                      {flags, static_cast<std::uint32_t>(client.x()),
                       static_cast<std::uint32_t>(client.y()),
                       static_cast<std::uint32_t>(client.width()),
                       static_cast<std::uint32_t>(client.height())});
}

void requestActivate(const QWidget* window) {
  sendToWindowManager(id(window), "_NET_ACTIVE_WINDOW", {2, XCB_CURRENT_TIME, 0});
}

bool waitUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 5000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    roundTrip();
  }
  drainEvents();
  return true;
}

bool settle() {
  // The window manager fills in the frame extents of a window it does not
  // manage when asked to, in turn with everything else it was asked.
  static xcb_window_t probe = XCB_WINDOW_NONE;
  xcb_connection_t* c = connection();
  if (probe == XCB_WINDOW_NONE) {
    probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
  }
  QCoreApplication::processEvents();  // requests the program still had to send
  const xcb_atom_t extents = atom("_NET_FRAME_EXTENTS");
  xcb_delete_property(c, probe, extents);
  sendToWindowManager(probe, "_NET_REQUEST_FRAME_EXTENTS", {});
  return waitUntil([&] { return !property(probe, extents).empty(); });
}

}  // namespace tavex::testing
