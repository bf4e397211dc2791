#include "save/SelectedMessages.h"

#include "platform/AnsiCodePage.h"
#include "platform/RegistryError.h"
#include "store/StoreError.h"
#include "view/OperationHost.h"

#include <new>
#include <stdexcept>

namespace mq {

const std::string& fileOf(const SelectedMessages& messages, const TMessHead& message) {
    const auto index = static_cast<std::size_t>(message.InfoIndex);
    if (messages.files && message.InfoIndex >= 0 && index < messages.files->size())
        return (*messages.files)[index];
    return messages.CurrentFile;
}

void readMessageText(const SelectedMessages& messages, const TMessHead& message, std::string& text,
                     MessageReadObserver& observer) {
    text.clear();
    // A row whose record is not in the list has no text to read.
    const auto index = static_cast<std::size_t>(message.InfoIndex);
    if (message.InfoIndex < 0 || index >= messages.infos.size()) return;
    if (messages.recovered) {
        if (index < messages.recovered->size())
            messages.reader.readRecoveredMessage(messages.CurrentFile, (*messages.recovered)[index],
                                                 text, observer);
        return;
    }
    messages.reader.Read_OE_Message(fileOf(messages, message),
                                    messages.infos[index].MessagePosition, text, observer);
}

bool readSelectedMessage(OperationHost& host, const SelectedMessages& messages,
                         const TMessHead& message, std::string& text) {
    bool opened = true;
    try {
        readMessageText(messages, message, text, host);
    } catch (const StoreError&) {
        opened = false;
    } catch (const RegistryError&) {
        // The store folder could not be looked up: the file is as unreachable as a locked one.
        opened = false;
    } catch (const std::bad_alloc&) {
        // A text too big for the memory there is: the file cannot be read as it stands.
        opened = false;
    } catch (const std::length_error&) {
        opened = false;
    }
    if (!opened) {
        std::string().swap(text);  // what a read that ran out of memory holds goes back first
        host.showError(cannotAccessText(AnsiCodePage::store().toUtf8(fileOf(messages, message))));
        host.progress().Cancelled = true;
    }
    return !host.progress().Cancelled;
}

void forEachMessageText(OperationHost& host, const SelectedMessages& messages,
                        const std::function<void(const TMessHead&, std::string&)>& process) {
    ProgressState& state = host.progress();
    state.begin(messages.rows.size());
    // One buffer for every message: its capacity carries over, so a folder of similar
    // messages is read without a new allocation each time.
    std::string text;
    for (const TMessHead* message : messages.rows) {
        if (state.Cancelled) break;
        state.ProgressItem = AnsiCodePage::store().toUtf8(message->Subject);
        if (!readSelectedMessage(host, messages, *message, text)) break;
        process(*message, text);
        ++state.ProgressDone;
        host.NotifyObservers();
    }
}

}  // namespace mq
