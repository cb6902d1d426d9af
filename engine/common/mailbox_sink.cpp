#include "mailbox_sink.h"

#include <cstdio>

#include "name_text.h"

namespace lrx {

void MailboxSink::Start() {
    mailbox_.Focus();
}

void MailboxSink::Enter(Stage stage, const char* entry) {
    if (stage == Stage::Deleting) {
        mailbox_.Report("101Deleting entries...");
        return;
    }
    const char* verb = stage == Stage::Adding     ? "Adding"
                       : stage == Stage::Updating ? "Updating"
                                                  : "Extracting";
    char text[64];
    std::snprintf(text, sizeof text, "101%s %s...", verb, entry ? entry : "");
    mailbox_.Report(text);
}

void MailboxSink::Percent(int percent) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", percent);
    mailbox_.Report(text);
}

void MailboxSink::Finished(Stage stage, const char* entry) {
    if (stage == Stage::Extracting) std::printf("\rExtracting %s... Done.  \n", entry);
}

// The name is the archive's, not to be trusted with the terminal.
void MailboxSink::Unwritable(const char* entry) {
    std::printf("ERROR : Unable to create %s\n", PrintableName(entry).c_str());
}

bool MailboxSink::CancelRequested() {
    return mailbox_.Poll() == kAbortRequest;
}

OverwriteAnswer MailboxSink::AskOverwrite(const std::string& path) {
    return lrx::AskOverwrite(mailbox_, path);
}

}  // namespace lrx
