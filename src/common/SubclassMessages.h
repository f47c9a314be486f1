// The message that tells a subclassed window its saved procedure was replaced:
// wParam is the old procedure, lParam the new one.
#pragma once
#include "AppConsts.h"

namespace vpw {

inline constexpr char WM_SUBCLASSREPLACED_NAME[] = "C4C786E5-5A66-4F41-8581-5F80061C52EC";  // no braces
inline constexpr UINT WM_SUBCLASSREPLACED_FALLBACK = 33257;

UINT RegisterSubclassReplacedMessage(TRegisterMessageFunc registerMessage = SystemRegisterMessage);

inline const UINT WM_SUBCLASSREPLACED = RegisterSubclassReplacedMessage();

}  // namespace vpw
