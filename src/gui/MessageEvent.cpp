// MessageEvent: registration of the event type that carries window messages.
#include "gui/MessageEvent.h"

namespace zel {

QEvent::Type MessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace zel
