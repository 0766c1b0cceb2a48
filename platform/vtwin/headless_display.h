// A display without a terminal, for tests: keys are queued in, and the screen that the library
// last showed is read back as rows of text.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/vtwin/display.h"

namespace vtwin {

class HeadlessDisplay : public Display {
  public:
    // With a virtual clock, waiting for a key advances that clock (running its events, which
    // may queue keys) instead of sleeping. Without one, waits return at once. A wait without
    // limit that no key and no scheduled event can end aborts with a message on stderr.
    explicit HeadlessDisplay(platform::VirtualClock* clock = nullptr) : clock_(clock) {}

    // Queues key codes as a terminal delivers them: bytes (13 or 10 for Enter, 127 or 8 for
    // Backspace, 27 for Esc, characters) and codes of 256 and above for keys without a
    // character. Once the program called vtStartKeys they reach it translated, as from the
    // terminal.
    void PushKey(int key) { keys_.push_back(key); }
    void PushKeys(const std::string& keys);

    // The screen as last shown; rows are padded with blanks to the full width.
    const ScreenImage& Image() const { return image_; }
    std::string Row(int row) const;
    // `length` characters of row `row` from `column` on.
    std::string Cells(int row, int column, int length) const;
    // The styles of the same cells, one character each: '^' for a trouble cell, ' ' otherwise.
    std::string Marks(int row, int column, int length) const;
    int PresentCount() const { return presents_; }
    bool IsOpen() const { return open_; }
    bool WasClosed() const { return closed_; }
    const std::string& Title() const { return title_; }
    size_t PendingKeys() const { return keys_.size(); }

    void Open(const char* title, int rows, int columns) override;
    void Present(const ScreenImage& image) override;
    int TakeKey(bool translate) override;
    bool WaitForKey(int timeoutMs) override;
    void StartInput() override {}
    void Close() override;

  private:
    platform::VirtualClock* clock_;
    std::deque<int> keys_;
    ScreenImage image_;
    std::string title_;
    int presents_ = 0;
    bool open_ = false;
    bool closed_ = false;
};

}  // namespace vtwin
