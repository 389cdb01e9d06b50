#include "x_display.h"

#include "process.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct x_server {
    process xvfb{{// -noreset: the server must outlive each client in turn.
                  .argv = {"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen",
                           "0", "1280x1024x24"},
                  .discard_errors = true}};
    std::string display;

    x_server()
    {
        const std::optional<std::string> number = xvfb.next_line(20s);
        if (!number)
            throw std::runtime_error("Xvfb did not start (is it installed?)");
        display = ":" + *number;
        setenv("DISPLAY", display.c_str(), 1);
    }
    ~x_server() { xvfb.stop(); }
    x_server(const x_server&) = delete;
    x_server& operator=(const x_server&) = delete;
};

std::unique_ptr<x_server>& server()
{
    static std::unique_ptr<x_server> instance;
    return instance;
}

// Windows come and go while they are looked at; a request about one that
// has gone is no reason to end the program, as Xlib's default handler does.
int ignore_error(Display*, XErrorEvent*)
{
    return 0;
}

// The display DISPLAY names, or null where there is none.
Display* open_display()
{
    XSetErrorHandler(ignore_error);
    return XOpenDisplay(nullptr);
}

struct connection {
    Display* display;

    connection() : display(open_display())
    {
        if (display == nullptr) {
            const char* name = std::getenv("DISPLAY");
            throw std::runtime_error("cannot open the X display " +
                                     std::string(name != nullptr ? name : "(DISPLAY unset)"));
        }
    }
    ~connection() { XCloseDisplay(display); }
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;
};

// The text of a string property, if the window has it.
std::optional<std::string> text_property(Display* display, Window window, Atom property)
{
    XTextProperty text{};
    if (!XGetTextProperty(display, window, &text, property) || text.value == nullptr)
        return std::nullopt;
    std::string value(reinterpret_cast<const char*>(text.value), text.nitems);
    XFree(text.value);
    return value;
}

bool titled(Display* display, Window window, const std::string& title)
{
    return text_property(display, window, XA_WM_NAME) == title ||
           text_property(display, window, XInternAtom(display, "_NET_WM_NAME", False)) == title;
}

std::optional<Window> search(Display* display, Window window, const std::string& title,
                             bool viewable_only)
{
    if (titled(display, window, title)) {
        XWindowAttributes attributes;
        if (!viewable_only || (XGetWindowAttributes(display, window, &attributes) &&
                               attributes.map_state == IsViewable))
            return window;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return std::nullopt;
    std::optional<Window> found;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = search(display, children[i], title, viewable_only);
    if (children != nullptr)
        XFree(children);
    return found;
}

// The value a pixel holds under the mask, scaled to 0..255.
unsigned char channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long top = mask >> shift;
    return static_cast<unsigned char>(((pixel & mask) >> shift) * 255 / top);
}

}

const std::string& x_display()
{
    static const std::string named = [] {
        const char* name = std::getenv("TEXTURES_X_DISPLAY");
        return std::string(name != nullptr ? name : "");
    }();
    if (!named.empty()) {
        setenv("DISPLAY", named.c_str(), 1);
        return named;
    }
    if (!server())
        server() = std::make_unique<x_server>();
    return server()->display;
}

void stop_x_server()
{
    if (server())
        server()->xvfb.stop();
}

std::optional<x_window> find_window(const std::string& title)
{
    connection c;
    return search(c.display, DefaultRootWindow(c.display), title, true);
}

bool window_exists(const std::string& title, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        // A display that has gone holds no window.
        Display* display = open_display();
        const bool found = display != nullptr &&
                           search(display, DefaultRootWindow(display), title, false).has_value();
        if (display != nullptr)
            XCloseDisplay(display);
        if (!found)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return true;
        std::this_thread::sleep_for(20ms);
    }
}

void send_keys(x_window window, const std::string& keys)
{
    connection c;
    std::istringstream each(keys);
    for (std::string name; each >> name;) {
        unsigned int state = 0;
        if (name.rfind("shift+", 0) == 0) {
            state = ShiftMask;
            name.erase(0, 6);
        }
        const KeySym symbol = XStringToKeysym(name.c_str());
        const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(c.display, symbol);
        if (code == 0)
            throw std::invalid_argument("no key on the display is named " + name);
        // A capital is the shifted symbol of its key.
        if (XkbKeycodeToKeysym(c.display, code, 0, 0) != symbol)
            state |= ShiftMask;
        XKeyEvent event{};
        event.display = c.display;
        event.window = window;
        event.root = DefaultRootWindow(c.display);
        event.time = CurrentTime;
        event.same_screen = True;
        event.keycode = code;
        event.state = state;
        event.type = KeyPress;
        XSendEvent(c.display, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&event));
        event.type = KeyRelease;
        XSendEvent(c.display, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&event));
        XSync(c.display, False);
        // As a fast typist: each key has its own moment.
        std::this_thread::sleep_for(5ms);
    }
}

void send_drag(x_window window, int button, const std::vector<std::array<int, 2>>& points,
               bool shift)
{
    connection c;
    const unsigned int modifiers = shift ? ShiftMask : 0;
    // Some clients (Wine) read where the pointer is on the screen.
    int left = 0, top = 0;
    Window child;
    XTranslateCoordinates(c.display, window, DefaultRootWindow(c.display), 0, 0, &left, &top,
                          &child);
    const auto send = [&](int type, long mask, const std::array<int, 2>& at, unsigned int state) {
        XEvent event{};
        const auto set = [&](auto& e) {
            e.type = type;
            e.display = c.display;
            e.window = window;
            e.root = DefaultRootWindow(c.display);
            e.time = CurrentTime;
            e.same_screen = True;
            e.x = at[0];
            e.y = at[1];
            e.x_root = left + at[0];
            e.y_root = top + at[1];
            e.state = state;
        };
        if (type == MotionNotify) {
            set(event.xmotion);
        } else {
            set(event.xbutton);
            event.xbutton.button = static_cast<unsigned int>(button);
        }
        XSendEvent(c.display, window, True, mask, &event);
        XSync(c.display, False);
        std::this_thread::sleep_for(5ms);
    };
    // While it is held, the button's own mask is in the state.
    const unsigned int held = modifiers | (Button1Mask << (button - 1));
    send(ButtonPress, ButtonPressMask, points.front(), modifiers);
    for (std::size_t i = 1; i < points.size(); ++i)
        send(MotionNotify, ButtonMotionMask | PointerMotionMask, points[i], held);
    send(ButtonRelease, ButtonReleaseMask, points.back(), held);
}

void resize_window(x_window window, int width, int height)
{
    connection c;
    XResizeWindow(c.display, window, static_cast<unsigned int>(width),
                  static_cast<unsigned int>(height));
    XSync(c.display, False);
}

void close_window(x_window window)
{
    connection c;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(c.display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(c.display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(c.display, window, False, NoEventMask, &event);
    XSync(c.display, False);
}

std::array<int, 4> window_geometry(x_window window)
{
    connection c;
    XWindowAttributes attributes;
    int x = -1, y = -1;
    Window child;
    if (!XGetWindowAttributes(c.display, window, &attributes) ||
        !XTranslateCoordinates(c.display, window, DefaultRootWindow(c.display), 0, 0, &x, &y,
                               &child))
        return {-1, -1, -1, -1};
    return {x, y, attributes.width, attributes.height};
}

image capture_window(x_window window)
{
    connection c;
    XWindowAttributes attributes;
    XImage* shot = nullptr;
    if (XGetWindowAttributes(c.display, window, &attributes))
        shot = XGetImage(c.display, window, 0, 0, static_cast<unsigned int>(attributes.width),
                         static_cast<unsigned int>(attributes.height), AllPlanes, ZPixmap);
    if (shot == nullptr)
        throw std::runtime_error("cannot read the pixels of window " + std::to_string(window));
    image result;
    result.width = shot->width;
    result.height = shot->height;
    result.pixels.reserve(static_cast<std::size_t>(shot->width) * shot->height * 3);
    for (int y = 0; y < shot->height; ++y)
        for (int x = 0; x < shot->width; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            for (const unsigned long mask : {shot->red_mask, shot->green_mask, shot->blue_mask})
                result.pixels.push_back(channel(pixel, mask));
        }
    XDestroyImage(shot);
    return result;
}
