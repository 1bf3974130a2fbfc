#include "plugin/ZrDllApp.h"

#include <csignal>
#include <cstdio>
#include <string>

#include "ZrCoreLib/ZrString.h"
#include "ZrCoreLib/ZrStringGlobals.h"
#include "ZrCoreLib/ZrToolsServices.h"

ZrDllApp::~ZrDllApp() = default;

const char* ZrDllApp::StartupFailureFormat() {
    return "The following module has failed to load:\r\n%s\r\n\r\nIt has reported the following "
           "error:\r\n\r\n%s\r\n\r\nPlease reinstall the latest version of the program.";
}

bool ZrDllApp::InitInstance() {
    if (!ZrApp::InitInstance()) return false;
    // The host may have changed the locale since our tables were built; the
    // case-insensitive field names and map keys depend on them.
    ZrStringGlobals::Get().RebuildTables(true);
    if (!PreInitInstance()) return false;
    ZrToolsServices::SetHostContext(m_hostContext);
    return LoadProductInfo();
}

bool ZrDllApp::ExitInstance() {
    ZrToolsServices::Shutdown(m_hostContext);
    return ZrApp::ExitInstance();
}

bool ZrDllApp::LoadProductInfo() {
    ZrString module;
    ZrString error;
    if (ZrToolsServices::LoadProductInfo(error, module)) return true;
    std::string line = StartupFailureFormat();
    const std::string moduleText = module.ToUtf8();
    const std::string errorText = error.ToUtf8();
    std::string out;
    // Substituted by hand: the texts may hold '%' of their own.
    size_t first = line.find("%s");
    size_t second = line.find("%s", first + 2);
    out = line.substr(0, first) + moduleText + line.substr(first + 2, second - first - 2) +
          errorText + line.substr(second + 2);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
    return false;
}

bool ZrDllApp::IgnoreAbortSignal() {
    std::signal(SIGABRT, SIG_IGN);
    return true;
}

intptr_t ZrDllApp::OnHostMessage(intptr_t arg) {
    return arg;
}

bool ZrDllApp::PreInitInstance() {
    return true;
}
