// The application object of a plug-in library: start-up loads the string
// manager's character tables and the product information of the tools
// library; shut-down releases the framework's global services.
#ifndef TONEHALL_PLUGIN_ZRDLLAPP_H
#define TONEHALL_PLUGIN_ZRDLLAPP_H

#include "plugin/ZrApp.h"

class ZrDllApp : public ZrApp {
public:
    ZrDllApp() = default;
    ~ZrDllApp() override;

    bool InitInstance() override;
    bool ExitInstance() override;

    // Slot 12: asks the tools library for its product information. On
    // failure writes the one-line start-up error to standard error.
    virtual bool LoadProductInfo();
    // Slot 13: a plug-in must not let SIGABRT take the host down with it.
    virtual bool IgnoreAbortSignal();
    // Slot 14.
    virtual intptr_t OnHostMessage(intptr_t arg);
    // Slot 15: a hook for derived applications; false fails the start-up.
    virtual bool PreInitInstance();

    // The exact text written to standard error when start-up fails.
    static const char* StartupFailureFormat();
};

#endif
