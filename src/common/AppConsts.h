// Registered window messages and the literals every deliverable shares.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace vpw {

// Registers a message name with the system; 0 when it refuses.
using TRegisterMessageFunc = UINT (*)(const char* name);
UINT SystemRegisterMessage(const char* name);

// The system's number for `name`, or `fallback` when registration returns 0.
UINT RegisterMessageOrFallback(const char* name, UINT fallback,
                               TRegisterMessageFunc registerMessage = SystemRegisterMessage);

struct TAppMessageNumbers {
    UINT TrayIconNotify;
    UINT ExtenderAttached;
    UINT AttachExtender;
    UINT DetachExtender;
};

// Registers the four application messages in this order.
TAppMessageNumbers RegisterAppMessages(TRegisterMessageFunc registerMessage = SystemRegisterMessage);

// Inline variables are initialised before any ordinary global of a file that
// includes this header, so other units' start-up code already sees them.
inline const TAppMessageNumbers AppMessageNumbers = RegisterAppMessages();
inline const UINT WM_TRAYICONNOTIFY = AppMessageNumbers.TrayIconNotify;
inline const UINT WM_EXTENDERATTACHED = AppMessageNumbers.ExtenderAttached;
inline const UINT WM_ATTACHEXTENDER = AppMessageNumbers.AttachExtender;
inline const UINT WM_DETACHEXTENDER = AppMessageNumbers.DetachExtender;

inline constexpr char WM_TRAYICONNOTIFY_NAME[] = "{230F644D-C91A-487D-BD59-1FBBC85F52B7}";
inline constexpr char WM_EXTENDERATTACHED_NAME[] = "{D3A4FA4B-976F-4B40-9A0E-1E9BB97E6C39}";
inline constexpr char WM_ATTACHEXTENDER_NAME[] = "{DEFEE4E1-26F5-4F3F-A334-26D8A407E919}";
inline constexpr char WM_DETACHEXTENDER_NAME[] = "{A683B191-CC07-467F-BFEB-46B3D2EB75B2}";
inline constexpr UINT WM_TRAYICONNOTIFY_FALLBACK = 33668;
inline constexpr UINT WM_EXTENDERATTACHED_FALLBACK = 33669;
inline constexpr UINT WM_ATTACHEXTENDER_FALLBACK = 33670;
inline constexpr UINT WM_DETACHEXTENDER_FALLBACK = 33671;

// The control center's command channel and its protocol.
inline constexpr char CONTROL_CENTER_CHANNEL_NAME[] = "{653D7EAE-82FF-4E58-935E-B8F0A83FA447}";
inline constexpr int CMD_GET_WINDOW_RULE = 1;
inline constexpr int CMD_RELOAD_CONFIG = 2;
inline constexpr int CMD_STOP_CONTROL_CENTER = 3;
inline constexpr int CMD_APPLY_SETTINGS = 4;
inline constexpr int CMD_REPLY_DONE = 1;
inline constexpr int CMD_REPLY_BAD_REQUEST = -1;

// The 4-byte mapping in which the control center publishes its hook handle.
inline constexpr char HOOK_HANDLE_MAPPING_NAME[] = "{30CFE083-4E6D-4FFC-AD80-3CCC129A8A51}";

// What crosses between processes has one layout in the 32- and the 64-bit
// build. A handle travels as 32 bits (the system keeps the handles that 32-
// and 64-bit processes share within them) and widens sign-extended, as
// LongToHandle does, so that a handle such as -1 stays itself.
using TWireHandle = std::uint32_t;

inline TWireHandle HandleToWire(const void* handle) {
    return static_cast<TWireHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

template <class THandle>
THandle WireToHandle(TWireHandle value) {
    return reinterpret_cast<THandle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

// Command 1's payload.
struct TWindowRuleRequest {
    TWireHandle window;
};
// The hook-handle mapping's content.
struct THookHandleRecord {
    TWireHandle hook;
};
static_assert(sizeof(TWindowRuleRequest) == 4 && offsetof(TWindowRuleRequest, window) == 0);
static_assert(sizeof(THookHandleRecord) == 4 && offsetof(THookHandleRecord, hook) == 0);

// The control center as the configuration program knows it too: its single
// instance and its settings.
inline constexpr char CC_SINGLE_INSTANCE_MAPPING[] = "{FBFD34BB-9B49-4F63-BB25-315BCAAFBA5B}";
inline constexpr char CC_SETTINGS_KEY[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows\\Command Center";
inline constexpr char CC_TRAY_ICON_VALUE[] = "trayicon";

inline constexpr char APP_DISPLAY_NAME[] = "Velvic Plimsy Windows";
inline constexpr int TRAY_ANIMATION_FRAMES = 3;
inline constexpr char TRAY_ICON_DEFAULT[] = "TRAYDEFAULT";
inline constexpr char TRAY_ICON_FRAME_PREFIX[] = "TRAYSELECTED";

}  // namespace vpw
