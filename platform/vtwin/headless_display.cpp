#include "platform/vtwin/headless_display.h"

#include <cstdio>
#include <cstdlib>

#include "platform/vtwin/key_translation.h"
#include "platform/vtwin/vtwin.h"

namespace vtwin {
namespace {

// A blocking wait that nothing can ever end would hang the test run; end it loudly instead.
[[noreturn]] void AbortUnscriptedWait() {
    std::fputs("headless display: a program waits for a key but the test scripted none\n", stderr);
    std::abort();
}

}  // namespace

void HeadlessDisplay::PushKeys(const std::string& keys) {
    for (char key : keys)
        PushKey(static_cast<unsigned char>(key));
}

std::string HeadlessDisplay::Row(int row) const {
    if (row < 0 || row >= image_.rows) return std::string();
    return image_.text[static_cast<size_t>(row)];
}

std::string HeadlessDisplay::Cells(int row, int column, int length) const {
    std::string line = Row(row);
    if (column < 0 || length <= 0 || static_cast<size_t>(column) >= line.size()) {
        return std::string();
    }
    return line.substr(static_cast<size_t>(column), static_cast<size_t>(length));
}

std::string HeadlessDisplay::Marks(int row, int column, int length) const {
    std::string marks;
    for (int i = 0; i < length; ++i)
        marks += StyleAt(image_, row, column + i) == kVtStyleTrouble ? '^' : ' ';
    return marks;
}

void HeadlessDisplay::Open(const char* title, int rows, int columns) {
    title_ = title;
    image_ = ScreenImage{};
    image_.rows = rows;
    image_.columns = columns;
    image_.text.assign(static_cast<size_t>(rows), std::string(static_cast<size_t>(columns), ' '));
    // Sized now, so that showing an image copies into storage that is already there.
    image_.styles.assign(static_cast<size_t>(rows),
                         std::string(static_cast<size_t>(columns), char{kVtStyleNormal}));
    open_ = true;
    closed_ = false;
}

void HeadlessDisplay::Present(const ScreenImage& image) {
    if (!open_) return;
    image_ = image;
    ++presents_;
}

int HeadlessDisplay::TakeKey(bool translate) {
    while (!keys_.empty()) {
        int key = keys_.front();
        keys_.pop_front();
        if (!translate) return key;
        int translated = TranslateKey(key);
        if (translated != 0) return translated;
    }
    return 0;
}

bool HeadlessDisplay::WaitForKey(int timeoutMs) {
    if (!keys_.empty()) return true;
    auto keyQueued = [this] { return !keys_.empty(); };
    if (timeoutMs >= 0) {
        if (clock_)
            clock_->AdvanceUntil(clock_->NowMs() + static_cast<uint64_t>(timeoutMs), keyQueued);
        return keyQueued();
    }
    while (!keyQueued()) {
        if (!clock_ || !clock_->HasPendingEvents()) AbortUnscriptedWait();
        clock_->AdvanceUntil(clock_->NextEventMs(), keyQueued);
    }
    return true;
}

void HeadlessDisplay::Close() {
    if (open_) closed_ = true;
    open_ = false;
}

}  // namespace vtwin
