#pragma once
// An Xvfb server of the test's own, with what GUI tests need from it: the
// dialogs that appear, synthetic keys and clicks (XTest) and PNG screenshots.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace xvfb {

// 8-bit RGB, rows led by filter type 0, in one zlib stream.
inline bool WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + size_t(y) * w * 3, rgb.begin() + size_t(y + 1) * w * 3);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> z(size);
    if (compress(z.data(), &size, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) return false;
    z.resize(size);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const auto put32 = [](std::vector<uint8_t>& out, uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            out.push_back(static_cast<uint8_t>(v >> s));
    };
    const auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        put32(png, static_cast<uint32_t>(data.size()));
        const size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        put32(png, crc32(0, png.data() + start, static_cast<uInt>(png.size() - start)));
    };
    std::vector<uint8_t> header;
    put32(header, w);
    put32(header, h);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB
    chunk("IHDR", header);
    chunk("IDAT", z);
    chunk("IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

class Session {
public:
    // An Xvfb at `dpi` on a display number it finds free itself.
    explicit Session(int dpi) {
        int fds[2];
        if (pipe(fds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            // Dies with the test, and keeps its chatter out of the test's output.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            close(fds[0]);
            execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0",
                   "1280x1024x24", "-dpi", std::to_string(dpi).c_str(), "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its display number once it accepts connections, and the
        // newline after it apart: closing the pipe before that kills it.
        std::string number;
        char c = 0;
        while (m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty()) return;
        m_name = ":" + std::to_string(std::atoi(number.c_str()));
        m_display = XOpenDisplay(m_name.c_str());
        if (m_display) XSelectInput(m_display, Root(), SubstructureNotifyMask);
    }
    ~Session() {
        if (m_display) XCloseDisplay(m_display);
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Ok() const { return m_display != nullptr; }
    const std::string& Name() const { return m_name; }
    Display* Dpy() const { return m_display; }
    Window Root() const { return DefaultRootWindow(m_display); }

    // The next top-level window mapped (override-redirect ones when asked),
    // or 0.
    Window WaitForMap(bool overrideRedirect = false) {
        Window found = 0;
        Poll([&] {
            for (XEvent e; !found && XPending(m_display);) {
                XNextEvent(m_display, &e);
                if (e.type == MapNotify && bool(e.xmap.override_redirect) == overrideRedirect)
                    found = e.xmap.window;
            }
            return found != 0;
        });
        return found;
    }
    // Waits until `window` has the focus, so keys reach it.
    bool WaitForFocus(Window window) {
        return Poll([&] {
            Window focus;
            int revert;
            XGetInputFocus(m_display, &focus, &revert);
            return focus == window;
        });
    }

    // What a window manager sends when its close button is pressed.
    void CloseButton(Window window) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        XSendEvent(m_display, window, False, NoEventMask, &e);
        XSync(m_display, False);
    }

    void Key(KeySym sym, KeySym modifier = NoSymbol) {
        const KeyCode mod = modifier ? XKeysymToKeycode(m_display, modifier) : 0;
        const KeyCode code = XKeysymToKeycode(m_display, sym);
        if (mod) XTestFakeKeyEvent(m_display, mod, True, 0);
        XTestFakeKeyEvent(m_display, code, True, 0);
        XTestFakeKeyEvent(m_display, code, False, 0);
        if (mod) XTestFakeKeyEvent(m_display, mod, False, 0);
        XSync(m_display, False);
    }
    // A left click at (x, y) inside `window`.
    void Click(Window window, int x, int y) {
        int rx = 0;
        int ry = 0;
        Window child;
        XTranslateCoordinates(m_display, window, Root(), x, y, &rx, &ry, &child);
        XTestFakeMotionEvent(m_display, -1, rx, ry, 0);
        XTestFakeButtonEvent(m_display, 1, True, 0);
        XTestFakeButtonEvent(m_display, 1, False, 0);
        XSync(m_display, False);
    }

    // The screen area covered by `windows` (their bounding box) as 8-bit RGB.
    std::vector<uint8_t> Grab(const std::vector<Window>& windows, int& w, int& h) {
        int x0 = 1 << 30, y0 = 1 << 30, x1 = 0, y1 = 0;
        for (Window win : windows) {
            XWindowAttributes a;
            XGetWindowAttributes(m_display, win, &a);
            int rx = 0;
            int ry = 0;
            Window child;
            XTranslateCoordinates(m_display, win, Root(), 0, 0, &rx, &ry, &child);
            x0 = std::min(x0, rx), y0 = std::min(y0, ry);
            x1 = std::max(x1, rx + a.width), y1 = std::max(y1, ry + a.height);
        }
        w = x1 - x0;
        h = y1 - y0;
        std::vector<uint8_t> rgb;
        XImage* image = XGetImage(m_display, Root(), x0, y0, w, h, AllPlanes, ZPixmap);
        if (!image) return rgb;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
            }
        XDestroyImage(image);
        return rgb;
    }
    // Waits until the area of `windows` differs from `before` and has stopped
    // changing: the dialog has caught up with the input sent.
    void WaitForRepaint(const std::vector<Window>& windows, const std::vector<uint8_t>& before) {
        std::vector<uint8_t> last;
        int w = 0;
        int h = 0;
        Poll([&] {
            std::vector<uint8_t> now = Grab(windows, w, h);
            const bool settled = now != before && now == last;
            last = std::move(now);
            return settled;
        });
    }
    bool Screenshot(const std::vector<Window>& windows, const std::string& path) {
        int w = 0;
        int h = 0;
        const std::vector<uint8_t> rgb = Grab(windows, w, h);
        return !rgb.empty() && WritePng(path, w, h, rgb);
    }

private:
    // Up to ten seconds, for a loaded machine.
    template <class Done> static bool Poll(Done done) {
        for (int i = 0; i < 500; ++i) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    std::string m_name;
    pid_t m_pid = -1;
    Display* m_display = nullptr;
};

} // namespace xvfb
