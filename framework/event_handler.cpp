#include "event_handler.h"

namespace lrx::fw {

bool TResponseEntry::Matches(const TMsg& msg) const {
    switch (Kind) {
        case TEntryKind::Message:
            return msg.Message == Code;
        case TEntryKind::Registered:
            return msg.Message >= 0xC000 && msg.Message == RegisterWindowMessageA(Name);
        case TEntryKind::Command:
            return IsCommandMessage(msg) && LOWORD(msg.WParam) == Id;
        case TEntryKind::Child:
            return msg.Message == WM_COMMAND && LOWORD(msg.WParam) == Id &&
                   HIWORD(msg.WParam) == Code;
        case TEntryKind::Notify: {
            if (msg.Message != WM_NOTIFY || msg.LParam == 0) return false;
            const auto* header = reinterpret_cast<const NMHDR*>(msg.LParam);
            return header->idFrom == Id && header->code == Code;
        }
    }
    return false;
}

const TResponseTable& TEventHandler::Table() {
    static constexpr TResponseTable table{{}, nullptr};
    return table;
}

bool TEventHandler::Dispatch(TMsg& msg) {
    for (const TResponseTable* table = &Responses(); table;
         table = table->Base ? &table->Base() : nullptr) {
        for (const TResponseEntry& entry : table->Entries) {
            if (entry.Matches(msg)) {
                msg.Handled = true;
                msg.Result = entry.Handler(*this, msg);
                return msg.Handled;
            }
        }
    }
    return false;
}

}  // namespace lrx::fw
