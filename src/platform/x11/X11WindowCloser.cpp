#include "X11WindowCloser.h"

#include "platform/PlatformText.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Kalvoren {
namespace {

using Clock = std::chrono::steady_clock;

// How long the X server has to answer, for the connection and every request together. A
// server that has stopped (SIGSTOP, a hung machine at the other end) never answers; the quit
// must then fail instead of waiting for good.
constexpr std::chrono::seconds answerTime { 5 };

struct Deadline
{
    Clock::time_point at;
    bool passed = false;
};

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
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

// xcb_connect() waits for the server's greeting without a time limit, so it runs on a thread
// of its own. When the deadline comes first, that thread is left behind: it disconnects
// whatever it gets once the server answers, and has sent nothing but the greeting.
struct PendingConnection
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    xcb_connection_t *connection = nullptr;
    int screen = 0;
};

Connection connectBefore(Deadline *deadline, int *screen)
{
    auto pending = std::make_shared<PendingConnection>();
    std::thread([pending] {
        int screenNumber = 0;
        xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
        const std::lock_guard<std::mutex> lock(pending->mutex);
        if (pending->abandoned) {
            xcb_disconnect(c);
            return;
        }
        pending->connection = c;
        pending->screen = screenNumber;
        pending->done = true;
        pending->finished.notify_one();
    }).detach();
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->finished.wait_until(lock, deadline->at, [&] { return pending->done; })) {
        pending->abandoned = true;
        deadline->passed = true;
        return nullptr;
    }
    *screen = pending->screen;
    return Connection(pending->connection);
}

// The reply to request number sequence, read from the connection's socket as it arrives but
// not after the deadline (then deadline->passed is set). Null on an error reply, a broken
// connection or a passed deadline.
void *replyBefore(xcb_connection_t *c, unsigned int sequence, Deadline *deadline)
{
    xcb_flush(c);
    for (;;) {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (xcb_poll_for_reply(c, sequence, &reply, &error)) {
            std::free(error);
            return reply;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline->at
                                                                       - Clock::now());
        if (deadline->passed || left.count() <= 0) {
            deadline->passed = true;
            return nullptr;
        }
        pollfd socket = { xcb_get_file_descriptor(c), POLLIN, 0 };
        ::poll(&socket, 1, int(left.count()));
        // Reading events makes xcb read what has arrived, the reply included; nothing here
        // asked for events, so they are dropped.
        while (xcb_generic_event_t *event = xcb_poll_for_event(c))
            std::free(event);
    }
}

template<typename T, typename Cookie>
Reply<T> answer(xcb_connection_t *c, Cookie cookie, Deadline *deadline)
{
    return Reply<T>(static_cast<T *>(replyBefore(c, cookie.sequence, deadline)));
}

xcb_intern_atom_cookie_t askAtom(xcb_connection_t *c, const char *name)
{
    return xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
}

xcb_atom_t atom(xcb_connection_t *c, xcb_intern_atom_cookie_t cookie, Deadline *deadline)
{
    const Reply<xcb_intern_atom_reply_t> reply = answer<xcb_intern_atom_reply_t>(c, cookie,
                                                                                 deadline);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a property, empty when the window lacks it.
std::vector<uint32_t> property32(xcb_connection_t *c, xcb_get_property_cookie_t cookie,
                                 Deadline *deadline)
{
    const Reply<xcb_get_property_reply_t> reply =
            answer<xcb_get_property_reply_t>(c, cookie, deadline);
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

ProcessActionResult noAnswer(qint64 pid)
{
    return processActionResult(ProcessActionStatus::Failed,
                               PlatformText::tr("The X server did not answer within %1 seconds "
                                                "while asking process %2 to quit. Use Force "
                                                "Quit to end it.")
                                       .arg(QString::number(answerTime.count()),
                                            QString::number(pid)));
}

} // namespace

ProcessActionResult closeWindowsOfProcess(qint64 pid)
{
    Deadline deadline { Clock::now() + answerTime };
    int screenNumber = 0;
    const Connection connection = connectBefore(&deadline, &screenNumber);
    if (deadline.passed)
        return noAnswer(pid);
    xcb_connection_t *c = connection.get();
    if (xcb_connection_has_error(c))
        return processActionResult(ProcessActionStatus::Unavailable,
                                   PlatformText::tr("Cannot ask process %1 to quit: no X "
                                                    "display to reach its windows. Use Force "
                                                    "Quit.")
                                           .arg(pid));
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    // Ask for all atoms at once, then read the answers.
    const xcb_intern_atom_cookie_t atomCookies[] = {
        askAtom(c, "_NET_CLIENT_LIST"), askAtom(c, "_NET_WM_PID"),
        askAtom(c, "_NET_CLOSE_WINDOW"), askAtom(c, "WM_PROTOCOLS"),
        askAtom(c, "WM_DELETE_WINDOW"),
    };
    const xcb_atom_t clientList = atom(c, atomCookies[0], &deadline);
    const xcb_atom_t wmPid = atom(c, atomCookies[1], &deadline);
    const xcb_atom_t closeWindow = atom(c, atomCookies[2], &deadline);
    const xcb_atom_t protocols = atom(c, atomCookies[3], &deadline);
    const xcb_atom_t deleteWindow = atom(c, atomCookies[4], &deadline);

    // Managed clients when an EWMH window manager runs; the root's children otherwise.
    std::vector<uint32_t> candidates =
            property32(c, askProperty(c, root, clientList, XCB_ATOM_WINDOW), &deadline);
    const bool managed = !candidates.empty();
    if (!managed) {
        const Reply<xcb_query_tree_reply_t> tree =
                answer<xcb_query_tree_reply_t>(c, xcb_query_tree(c, root), &deadline);
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
        const std::vector<uint32_t> value = property32(c, pidCookies[i], &deadline);
        if (!value.empty() && qint64(value.front()) == pid)
            windows.push_back(candidates[i]);
    }

    if (deadline.passed)
        return noAnswer(pid);

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
        const Reply<xcb_get_window_attributes_reply_t> attributes =
                answer<xcb_get_window_attributes_reply_t>(c, xcb_get_window_attributes(c, window),
                                                          &deadline);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const std::vector<uint32_t> supported =
                property32(c, askProperty(c, window, protocols, XCB_ATOM_ATOM), &deadline);
        if (std::find(supported.begin(), supported.end(), deleteWindow) == supported.end())
            continue;
        sendClientMessage(c, window, window, protocols, deleteWindow, XCB_CURRENT_TIME,
                          XCB_EVENT_MASK_NO_EVENT);
        ++asked;
    }
    // A round trip, not just a flush: the server has then handled the close requests before
    // we disconnect. A flushed request can be dropped when the server sees the hang-up first,
    // and the window would silently stay.
    answer<xcb_get_input_focus_reply_t>(c, xcb_get_input_focus(c), &deadline);
    if (deadline.passed)
        return noAnswer(pid);
    if (xcb_connection_has_error(c))
        return processActionResult(ProcessActionStatus::Failed,
                                   PlatformText::tr("The X connection failed while asking "
                                                    "process %1 to quit.").arg(pid));
    if (asked == 0)
        return processActionResult(ProcessActionStatus::NoWindow,
                                   PlatformText::tr("Process %1 shows no window that can be "
                                                    "asked to close. Use Force Quit to end it.")
                                           .arg(pid));
    return processActionResult(ProcessActionStatus::Done,
                               asked == 1 ? PlatformText::tr("Asked process %1 to quit (1 "
                                                             "window).")
                                                    .arg(pid)
                                          : PlatformText::tr("Asked process %1 to quit (%2 "
                                                             "windows).")
                                                    .arg(QString::number(pid),
                                                         QString::number(asked)));
}

} // namespace Kalvoren
