#pragma once

#include "platform/Text.h"

#include <span>
#include <string_view>

namespace dnspeek {

// The operations of the main window that a lookup uses, and nothing more.
class TLookupWindow {
public:
    virtual ~TLookupWindow() = default;

    // txtHostName's text as typed, not trimmed.
    [[nodiscard]] virtual ByteString HostNameText() const = 0;
    // Edit1's text as typed, not trimmed.
    [[nodiscard]] virtual ByteString QueryTypeText() const = 0;
    // Removes every line of ListBox2.
    virtual void ClearReplyLines() = 0;
    // Adds the lines after the last line of ListBox2, in order; the window
    // keeps copies.
    virtual void AppendReplyLines(std::span<const std::string_view> lines) = 0;
    // Adds one line after the last line of ListBox1.
    virtual void AppendResultLine(const ByteString& line) = 0;
    // Replaces StatusBar1's text.
    virtual void SetStatusText(const ByteString& text) = 0;
    // A modal box with the error icon and an OK button alone; returns when
    // the user has closed it.
    virtual void MessageDlg(const ByteString& text) = 0;
};

}  // namespace dnspeek
