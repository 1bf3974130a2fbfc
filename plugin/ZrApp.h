// The framework's application object. One instance per loaded library; it
// counts Attach/Detach pairs so that only the first Attach starts the library
// and only the matching last Detach stops it.
#ifndef TONEHALL_PLUGIN_ZRAPP_H
#define TONEHALL_PLUGIN_ZRAPP_H

#include <atomic>
#include <cstdint>

class ZrApp {
public:
    // Reasons passed to OnAttachDetach.
    static constexpr int kReasonDetach = 0;
    static constexpr int kReasonAttach = 1;

    ZrApp();
    ZrApp(const ZrApp&) = delete;
    ZrApp& operator=(const ZrApp&) = delete;

    // Slots 0 and 1.
    virtual ~ZrApp();
    // Slot 2: counts attaches and detaches, starting and stopping the library
    // at the edges. False only when a start-up failed.
    virtual bool OnAttachDetach(void* hostContext, int reason, void* reserved);
    // Slot 3: entry used when the framework runs as an executable; the
    // plug-in never gets here.
    virtual int RunAsExecutable(int argc, char** argv);
    // Slot 4: InitInstance, RunLoop, ExitInstance, then the exit code.
    virtual int Run();
    // Slot 5.
    virtual bool InitInstance();
    // Slot 6.
    virtual bool ExitInstance();
    // Slot 7: the event loop of an executable; a library has none.
    virtual intptr_t RunLoop(intptr_t arg);
    // Slots 8 to 11: hooks an executable may override.
    virtual bool OnIdle();
    virtual intptr_t OnMessage(intptr_t arg);
    virtual int OnQueryEnd();
    virtual bool OnActivate();

    void* GetHostContext() const { return m_hostContext; }
    int GetAttachCount() const { return m_attachCount.load(); }
    int GetExitCode() const { return m_exitCode; }

    // The library's application object, or null before static
    // initialisation has constructed it.
    static ZrApp* GetApp();

protected:
    void* m_hostContext = nullptr;
    int m_exitCode = 0;
    std::atomic<int> m_attachCount{0};
};

#endif
