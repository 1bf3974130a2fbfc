// Both dialogs on a virtual X server: opened, photographed, driven by
// synthetic keys, clicks and the window manager's close message. Screenshots
// go to build/test-output/ for people to look at.
#include <X11/Xatom.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <thread>

#include "ConfigTestEnvironment.h"
#include "ZrToolkit/ZrX11Display.h"
#include "common/TestTools.h"
#include "common/XvfbSession.h"
#include "config/CMP3ConfigureWnd.h"
#include "config/CRemoveTagModeDlg.h"
#include "host/RunCommand.h"

// LeakSanitizer reads this from the test binary itself; the host programs it
// starts get the same rule from lsan-fontconfig.supp, which says why.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

using configtest::Section;
using configtest::StoredModes;
using configtest::StoredSettings;
using configtest::StoreSettings;

// One modal run on a thread of its own, and the window it shows.
template <class Wnd> class ModalRun {
public:
    explicit ModalRun(xvfb::Session& x) {
        m_thread = std::thread([this] { m_result = wnd.RunModal(); });
        window = x.WaitForMap();
        focused = x.WaitForFocus(window);
    }
    ~ModalRun() {
        if (m_thread.joinable()) m_thread.join();
    }
    ZrPopupWnd::Result Result() {
        m_thread.join();
        return m_result;
    }

    Wnd wnd;
    Window window = 0;
    bool focused = false;

private:
    std::thread m_thread;
    ZrPopupWnd::Result m_result = ZrPopupWnd::kCancel;
};

class DialogsOnXvfb : public testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { XInitThreads(); }
    void SetUp() override {
        TEST_REQUIRE_TOOL("Xvfb");
        m_x = std::make_unique<xvfb::Session>(GetParam());
        ASSERT_TRUE(m_x->Ok());
        setenv("DISPLAY", m_x->Name().c_str(), 1);
        configtest::SettingsFile();
        mkdir((std::string(TONEHALL_BUILD_DIR) + "/test-output").c_str(), 0755);
    }
    void TearDown() override { unsetenv("DISPLAY"); }

    // Writes the screenshot once the windows show the last input.
    void Shoot(const std::vector<Window>& windows, const std::string& name,
               const std::vector<uint8_t>& before = {}) {
        if (!before.empty()) m_x->WaitForRepaint(windows, before);
        const std::string path = std::string(TONEHALL_BUILD_DIR) + "/test-output/" + name + "-" +
                                 std::to_string(GetParam()) + "dpi.png";
        EXPECT_TRUE(m_x->Screenshot(windows, path)) << path;
    }

    std::unique_ptr<xvfb::Session> m_x;
};

TEST_P(DialogsOnXvfb, ConfigureWindowWritesTheChosenModesOnOk) {
    StoreSettings("");
    ModalRun<CMP3ConfigureWnd> run(*m_x);
    ASSERT_TRUE(run.focused);
    Shoot({run.window}, "configure");

    m_x->Key(XK_Down, XK_Alt_L);
    const Window list = m_x->WaitForMap(true);
    ASSERT_NE(list, 0u);
    XWindowAttributes dialog;
    XWindowAttributes dropDown;
    XGetWindowAttributes(m_x->Dpy(), run.window, &dialog);
    XGetWindowAttributes(m_x->Dpy(), list, &dropDown);
    // The list hangs over the rows below the first combo box, inside the dialog.
    EXPECT_LT(dropDown.y, dialog.y + dialog.height / 2);
    EXPECT_GT(dropDown.y + dropDown.height, dialog.y + dialog.height / 2);
    Shoot({run.window, list}, "configure-list-open");

    m_x->Key(XK_Down);
    m_x->Key(XK_Down);
    m_x->Key(XK_Return); // ID3v1: "Don't Save (ignore existing)"
    m_x->Key(XK_Tab);
    m_x->Key(XK_Down); // ID3v2: "Save (if file has existing ID3v2 tag)"
    m_x->Key(XK_Tab);
    int w = 0;
    int h = 0;
    const auto before = m_x->Grab({run.window}, w, h);
    m_x->Key(XK_space);
    Shoot({run.window}, "configure-chosen", before);
    m_x->Key(XK_Return);
    EXPECT_EQ(run.Result(), ZrPopupWnd::kOK);
    EXPECT_EQ(StoredModes(), "211");
}

TEST_P(DialogsOnXvfb, CancelAndTheCloseButtonWriteNothing) {
    StoreSettings(Section(7, 2, 0)); // a mode no item has
    const std::string stored = StoredSettings();
    {
        ModalRun<CMP3ConfigureWnd> run(*m_x);
        Shoot({run.window}, "configure-unknown-mode");
        m_x->Key(XK_Down);
        m_x->Key(XK_Escape);
        EXPECT_EQ(run.Result(), ZrPopupWnd::kCancel);
    }
    {
        ModalRun<CMP3ConfigureWnd> run(*m_x);
        m_x->Key(XK_space);
        m_x->CloseButton(run.window);
        EXPECT_EQ(run.Result(), ZrPopupWnd::kCancel);
    }
    EXPECT_EQ(StoredSettings(), stored);
}

TEST_P(DialogsOnXvfb, RemoveTagsDialogAnswersTheClickedModeAllTagsOrNothing) {
    {
        ModalRun<CRemoveTagModeDlg> run(*m_x);
        Shoot({run.window}, "remove-tags");
        m_x->Key(XK_Return);
        run.Result();
        EXPECT_EQ(run.wnd.GetChosenMode(), 0);
    }
    {
        ModalRun<CRemoveTagModeDlg> run(*m_x);
        m_x->Key(XK_Escape);
        run.Result();
        EXPECT_EQ(run.wnd.GetChosenMode(), -1);
    }
    ModalRun<CRemoveTagModeDlg> run(*m_x);
    m_x->Key(XK_F4);
    const Window list = m_x->WaitForMap(true);
    Shoot({run.window, list}, "remove-tags-list-open");
    XWindowAttributes a;
    XGetWindowAttributes(m_x->Dpy(), list, &a);
    m_x->Click(list, a.width / 2, a.height * 5 / 6); // the last of three items
    m_x->Key(XK_Return);
    run.Result();
    EXPECT_EQ(run.wnd.GetChosenMode(), 2);
}

INSTANTIATE_TEST_SUITE_P(Dpi, DialogsOnXvfb, testing::Values(96, 192));

using DialogLifetime = DialogsOnXvfb;

// Run under AddressSanitizer or valgrind, this shows that windows, pixmaps,
// fonts and connections go back each time.
TEST_P(DialogLifetime, EachWindowOpensAndClosesAHundredTimes) {
    for (int i = 0; i < 100; ++i) {
        ModalRun<CMP3ConfigureWnd> configure(*m_x);
        m_x->Key(XK_Escape);
        ASSERT_EQ(configure.Result(), ZrPopupWnd::kCancel) << i;
        ModalRun<CRemoveTagModeDlg> remove(*m_x);
        m_x->Key(XK_F4); // with the list open too
        m_x->Key(XK_Escape);
        m_x->Key(XK_Escape);
        ASSERT_EQ(remove.Result(), ZrPopupWnd::kCancel) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, DialogLifetime, testing::Values(96));

// A protocol error on the dialog's connection must not end the process, as
// Xlib's default handler would.
TEST_P(DialogLifetime, ProtocolErrorsOnTheDialogConnectionAreDropped) {
    std::string why;
    const std::unique_ptr<ZrX11Display> display = ZrX11Display::Open(why);
    ASSERT_TRUE(display) << why;
    const int before = ZrX11Display::DroppedErrors();
    XMapWindow(display->GetDisplay(), 0x7fffff0); // no such window
    XSync(display->GetDisplay(), False);
    EXPECT_EQ(ZrX11Display::DroppedErrors(), before + 1);
}

// Desktops announce their scale through the Xft.dpi resource, which a new
// connection reads in place of the screen's physical size.
TEST_P(DialogLifetime, XftDpiResourceWinsOverTheScreenSize) {
    EXPECT_NEAR(ZrX11Display::ScreenDpi(m_x->Dpy(), 0), 96, 1);
    const char resources[] = "Xft.antialias:\t1\nXft.dpi:\t192\n";
    XChangeProperty(m_x->Dpy(), m_x->Root(), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources), sizeof resources - 1);
    XSync(m_x->Dpy(), False);
    Display* fresh = XOpenDisplay(m_x->Name().c_str());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(ZrX11Display::ScreenDpi(fresh, 0), 192);
    XCloseDisplay(fresh);
}

// The host reaches the windows through the input source's command 1 and the
// file-info object's command 2.
TEST_P(DialogLifetime, HostCommandsShowTheWindows) {
    const auto host = [&](const std::string& args, std::vector<KeySym> keys) {
        CommandResult result;
        std::thread run([&] {
            result = RunCommand(
                "LSAN_OPTIONS=suppressions=" TONEHALL_LSAN_SUPPRESSIONS " DISPLAY=" + m_x->Name() +
                " " + HostBinary() + args);
        });
        const Window window = m_x->WaitForMap();
        EXPECT_TRUE(m_x->WaitForFocus(window));
        for (KeySym key : keys)
            m_x->Key(key);
        run.join();
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    };
    StoreSettings("");
    host(" configure", {XK_Return});
    EXPECT_EQ(StoredModes(), "000");

    testfiles::TempDir dir;
    const std::string file = dir / "v1.mp3";
    testfiles::WriteFile(
        file, testfiles::ReadFile(std::string(TONEHALL_TEST_DATA) + "/fileinfo/mpeg25-v1.mp3"));
    EXPECT_EQ(host(" remove-tags --ask " + file, {XK_Escape}), "nothing removed\n");
    EXPECT_EQ(host(" remove-tags --ask " + file, {XK_Down, XK_Return}), "id3v1: removed\n");
}

} // namespace
