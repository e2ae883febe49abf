#include "X11WindowCloser.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace Kalvoren {
namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter
{
    void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
};

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a property, empty when the window lacks it.
std::vector<uint32_t> property32(xcb_connection_t *c, xcb_get_property_cookie_t cookie)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<uint32_t>(values, values + count);
}

xcb_get_property_cookie_t askProperty(xcb_connection_t *c, xcb_window_t window, xcb_atom_t atom,
                                      xcb_atom_t type)
{
    return xcb_get_property(c, 0, window, atom, type, 0, 4096);
}

void sendClientMessage(xcb_connection_t *c, xcb_window_t destination, xcb_window_t window,
                       xcb_atom_t type, uint32_t data0, uint32_t data1, uint32_t eventMask)
{
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = data0;
    event.data.data32[1] = data1;
    xcb_send_event(c, 0, destination, eventMask, reinterpret_cast<const char *>(&event));
}

} // namespace

ProcessActionResult closeWindowsOfProcess(qint64 pid)
{
    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, ConnectionDeleter> connection(
            xcb_connect(nullptr, &screenNumber));
    xcb_connection_t *c = connection.get();
    if (xcb_connection_has_error(c))
        return processActionResult(ProcessActionStatus::Unavailable,
                                   QStringLiteral("Cannot ask process %1 to quit: no X display "
                                                  "to reach its windows. Use Force Quit.")
                                           .arg(pid));
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    const xcb_atom_t clientList = internAtom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t wmPid = internAtom(c, "_NET_WM_PID");
    const xcb_atom_t closeWindow = internAtom(c, "_NET_CLOSE_WINDOW");
    const xcb_atom_t protocols = internAtom(c, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = internAtom(c, "WM_DELETE_WINDOW");

    // Managed clients when an EWMH window manager runs; the root's children otherwise.
    std::vector<uint32_t> candidates =
            property32(c, askProperty(c, root, clientList, XCB_ATOM_WINDOW));
    const bool managed = !candidates.empty();
    if (!managed) {
        const Reply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
        if (tree) {
            const xcb_window_t *children = xcb_query_tree_children(tree.get());
            candidates.assign(children, children + xcb_query_tree_children_length(tree.get()));
        }
    }

    // Ask for every window's pid at once, then read the answers.
    std::vector<xcb_get_property_cookie_t> pidCookies;
    pidCookies.reserve(candidates.size());
    for (const uint32_t window : candidates)
        pidCookies.push_back(askProperty(c, window, wmPid, XCB_ATOM_CARDINAL));
    std::vector<xcb_window_t> windows;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const std::vector<uint32_t> value = property32(c, pidCookies[i]);
        if (!value.empty() && qint64(value.front()) == pid)
            windows.push_back(candidates[i]);
    }

    int asked = 0;
    for (const xcb_window_t window : windows) {
        if (managed) {
            // Source indication 2: a pager or similar acting for the user (EWMH).
            sendClientMessage(c, root, window, closeWindow, XCB_CURRENT_TIME, 2,
                              XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT
                                      | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
            ++asked;
            continue;
        }
        const Reply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window),
                                                nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const std::vector<uint32_t> supported =
                property32(c, askProperty(c, window, protocols, XCB_ATOM_ATOM));
        if (std::find(supported.begin(), supported.end(), deleteWindow) == supported.end())
            continue;
        sendClientMessage(c, window, window, protocols, deleteWindow, XCB_CURRENT_TIME,
                          XCB_EVENT_MASK_NO_EVENT);
        ++asked;
    }
    // A round trip, not just a flush: the server has then handled the close requests before
    // we disconnect. A flushed request can be dropped when the server sees the hang-up first,
    // and the window would silently stay.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (xcb_connection_has_error(c))
        return processActionResult(ProcessActionStatus::Failed,
                                   QStringLiteral("The X connection failed while asking process "
                                                  "%1 to quit.").arg(pid));
    if (asked == 0)
        return processActionResult(ProcessActionStatus::NoWindow,
                                   QStringLiteral("Process %1 shows no window that can be asked "
                                                  "to close. Use Force Quit to end it.")
                                           .arg(pid));
    return processActionResult(ProcessActionStatus::Done,
                               asked == 1 ? QStringLiteral("Asked process %1 to quit (1 window).")
                                                    .arg(pid)
                                          : QStringLiteral("Asked process %1 to quit (%2 "
                                                           "windows).").arg(pid).arg(asked));
}

} // namespace Kalvoren
