#include "plugin/ZrApp.h"

namespace {
ZrApp* g_app = nullptr;
}

ZrApp::ZrApp() {
    g_app = this;
}

ZrApp::~ZrApp() {
    if (g_app == this) g_app = nullptr;
}

ZrApp* ZrApp::GetApp() {
    return g_app;
}

bool ZrApp::OnAttachDetach(void* hostContext, int reason, void*) {
    if (reason == kReasonAttach) {
        if (m_attachCount.fetch_add(1) != 0) return true;
        m_hostContext = hostContext;
        if (!InitInstance()) {
            // The count stays at 1: the host's matching Detach brings it back
            // to 0 and runs ExitInstance once more, which must be harmless.
            ExitInstance();
            return false;
        }
        return true;
    }
    if (reason == kReasonDetach) {
        if (m_attachCount.fetch_sub(1) == 1) ExitInstance();
        return true;
    }
    return true;
}

int ZrApp::RunAsExecutable(int, char**) {
    return Run();
}

int ZrApp::Run() {
    if (InitInstance()) RunLoop(0);
    ExitInstance();
    return m_exitCode;
}

bool ZrApp::InitInstance() {
    return true;
}
bool ZrApp::ExitInstance() {
    return true;
}
intptr_t ZrApp::RunLoop(intptr_t arg) {
    return arg;
}
bool ZrApp::OnIdle() {
    return true;
}
intptr_t ZrApp::OnMessage(intptr_t arg) {
    return arg;
}
int ZrApp::OnQueryEnd() {
    return 0;
}
bool ZrApp::OnActivate() {
    return true;
}
