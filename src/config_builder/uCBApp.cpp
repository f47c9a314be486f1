#include "uCBApp.h"

#include <utility>

#include "AbstractObjects.h"
#include "AppGlobals.h"
#include "ConfigBuilderInterfaces.h"
#include "MultiLanguages.h"
#include "SingleAppInstance.h"
#include "uCBRoutines.h"
#include "uVelvicWindows.h"

namespace vpw {

namespace {

TCBApp* gCBApp = nullptr;

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The unit's lifetime: the object exists from start-up and is shut down and
// freed at exit if the program body did not do it.
struct TCBAppUnit {
    TCBAppUnit() {
        try {
            gCBApp = new TCBApp();
        } catch (...) {
            gCBApp = nullptr;
        }
    }
    ~TCBAppUnit() { FreeCBApp(); }
} gCBAppUnit;

}  // namespace

TCBApp* CBApp() { return gCBApp; }

void FreeCBApp() {
    TCBApp* app = std::exchange(gCBApp, nullptr);
    if (!app) return;
    try {
        app->Shutdown();
    } catch (...) {
    }
    delete app;
}

void RunCBApp() {
    TCBApp* app = CBApp();
    if (!app) return;
    try {
        if (app->Initialize()) app->Run();
    } catch (...) {
        ReportCurrentException(nullptr);
    }
    try {
        app->Shutdown();
    } catch (...) {
    }
    FreeCBApp();
}

TCBApp::TCBApp() {
    SetProgramsDirectory(ExecutableDirectory());
    SetConfigFileName(kConfigFileName);
}

TCBApp::~TCBApp() {
    try {
        Shutdown();
    } catch (...) {
    }
}

bool TCBApp::Initialize() {
    TSingleAppInstance instance(CB_SINGLE_INSTANCE_MAPPING);
    if (instance.CheckAndRegister()) {
        instance.ActivateAnotherInstance();
        return false;
    }
    bool comOk = com_.emplace().Ok();
    SetApplicationTitle(Translate("AppCBTitle", "%appname%"));
    if (!comOk) {
        MessageBoxA(nullptr, Translate("Error_COMInitialization", "COM initialization error.").c_str(),
                    "Config Builder", MB_OKCANCEL);
    }
    bool ok = comOk && LoadModel();
    if (!ok) Shutdown();
    return ok;
}

bool TCBApp::LoadModel() {
    std::string path = ProgramsDirectory() + ConfigFileName();
    // A first run has no file: it starts empty and the first save writes it.
    if (FileExists(path)) {
        model_ = TVelvicWindows::LoadConfigFile(path);
        // Nothing is written over a file that could not be read.
        if (!model_)
            ShowMessage(nullptr,
                        Translate("CB_ConfigUnreadable", "The configuration file cannot be read:") + " \"" + path + "\"",
                        MB_OK | MB_ICONERROR);
        return model_ != nullptr;
    }
    try {
        IPtr<TAbstractObject> object(CreateItem(CB_MODEL_ROOT_TYPE));
        IPtr<IBOMObjectSlave> root = Supports<IBOMObjectSlave>(object);
        if (!root) return false;
        root->SetOwner(nullptr);
        model_ = root;
        return true;
    } catch (...) {
        return false;
    }
}

void TCBApp::Run() {
    if (!model_) return;
    IPtr<IConfigBuilder> builder = Supports<IConfigBuilder>(model_->GetInterfaceByName(CB_CONFIG_BUILDER_FACET));
    if (!builder) return;
    builder->ShowUI();
    builder->ShowModal();
    builder->HideUI();
}

void TCBApp::ReleaseModel() {
    IPtr<IBOMObjectSlave> model = std::exchange(model_, nullptr);
    if (model) model->Detach();
}

void TCBApp::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    ReleaseModel();
    com_.reset();
}

}  // namespace vpw
