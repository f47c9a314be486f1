#include "SubclassMessages.h"

namespace vpw {

UINT RegisterSubclassReplacedMessage(TRegisterMessageFunc registerMessage) {
    return RegisterMessageOrFallback(WM_SUBCLASSREPLACED_NAME, WM_SUBCLASSREPLACED_FALLBACK, registerMessage);
}

}  // namespace vpw
