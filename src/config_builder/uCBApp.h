// The configuration program's application object: one instance only, COM,
// the title, the configuration file loaded into a new document root, and the
// root's configuration-builder facet run until the main window closes.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "BOMInterfaces.h"
#include "WinHandles.h"

namespace vpw {

inline constexpr char CB_SINGLE_INSTANCE_MAPPING[] = "{5FE84B23-E2B6-43FB-A404-846795D21CBF}";
inline constexpr char CB_MODEL_ROOT_TYPE[] = "VELVICWINDOWS";
inline constexpr char CB_CONFIG_BUILDER_FACET[] = "CongifBuilder";  // as stored

class TCBApp {
public:
    // Programs' directory and configuration file name.
    TCBApp();
    ~TCBApp();
    TCBApp(const TCBApp&) = delete;
    TCBApp& operator=(const TCBApp&) = delete;

    // False when the program must end; what was set up is shut down.
    bool Initialize();
    // A missing file gives an empty document; a file that cannot be read
    // is reported and gives none.
    bool LoadModel();
    void Run();
    // Runs once, however often it is called.
    void Shutdown();
    void ReleaseModel();

    IBOMObjectSlave* Model() const { return model_.get(); }

private:
    IPtr<IBOMObjectSlave> model_;
    std::optional<TComInit> com_;
    bool shutDown_ = false;
};

TCBApp* CBApp();
void FreeCBApp();
// Initialize, Run when it succeeded, Shutdown, free: the program's body
// once COM and the language are set up.
void RunCBApp();

}  // namespace vpw
