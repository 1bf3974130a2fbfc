#pragma once

#include "ZrCoreLib/ZrString.h"

// The framework's logging facility: sparse lines, each a context name (the
// function or subsystem that speaks) and a message. A line goes to the hook
// when one is installed (tests read the lines there) and to standard error
// when the environment variable TONEHALL_LOG is "1"; otherwise it is dropped.
// Safe to call from any thread.
class ZrLog {
public:
    using Hook = void (*)(const ZrString& context, const ZrString& message, void* user);

    static void Write(const wchar_t* context, const ZrString& message);

    template <typename... Args>
    static void Format(const wchar_t* context, const wchar_t* fmt, Args&&... args) {
        Write(context, ZrString::Format(fmt, static_cast<Args&&>(args)...));
    }

    // Installs (or, with null, removes) the process-wide hook.
    static void SetHook(Hook hook, void* user);
};
