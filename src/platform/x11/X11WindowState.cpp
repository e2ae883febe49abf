#include "X11WindowState.h"

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

xcb_intern_atom_cookie_t askAtom(xcb_connection_t *c, const char *name)
{
    return xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
}

xcb_atom_t atomOf(xcb_connection_t *c, xcb_intern_atom_cookie_t cookie)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void addSkipTaskbarAndPagerStates(xcb_connection_t *c, uint32_t window)
{
    if (!c || !window || xcb_connection_has_error(c))
        return;
    // All three requests go out before the first answer is awaited.
    const xcb_intern_atom_cookie_t stateCookie = askAtom(c, "_NET_WM_STATE");
    const xcb_intern_atom_cookie_t taskbarCookie = askAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_intern_atom_cookie_t pagerCookie = askAtom(c, "_NET_WM_STATE_SKIP_PAGER");
    const xcb_atom_t state = atomOf(c, stateCookie);
    const xcb_atom_t skips[] = { atomOf(c, taskbarCookie), atomOf(c, pagerCookie) };
    if (state == XCB_ATOM_NONE)
        return;

    std::vector<xcb_atom_t> states;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        states.assign(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }
    for (const xcb_atom_t skip : skips) {
        if (skip != XCB_ATOM_NONE && std::find(states.begin(), states.end(), skip) == states.end())
            states.push_back(skip);
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.data());
    xcb_flush(c);
}

} // namespace Kalvoren
