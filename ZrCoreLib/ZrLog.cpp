#include "ZrCoreLib/ZrLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex& LogMutex() {
    static std::mutex mutex;
    return mutex;
}

ZrLog::Hook g_hook = nullptr;
void* g_hookUser = nullptr;

bool StderrWanted() {
    static const bool wanted = [] {
        const char* value = std::getenv("TONEHALL_LOG");
        return value && std::strcmp(value, "1") == 0;
    }();
    return wanted;
}

} // namespace

void ZrLog::Write(const wchar_t* context, const ZrString& message) {
    const ZrString contextText(context);
    std::lock_guard<std::mutex> lock(LogMutex());
    if (g_hook) g_hook(contextText, message, g_hookUser);
    if (StderrWanted())
        std::fprintf(stderr, "[%s] %s\n", contextText.ToUtf8().c_str(), message.ToUtf8().c_str());
}

void ZrLog::SetHook(Hook hook, void* user) {
    std::lock_guard<std::mutex> lock(LogMutex());
    g_hook = hook;
    g_hookUser = user;
}
