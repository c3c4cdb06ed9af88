#pragma once

namespace dnspeek {

// A rectangle in pixels at 96 dpi, relative to the form's client area.
struct TRectangle {
    int Left;
    int Top;
    int Width;
    int Height;
};

// The native controls the form is made of.
enum class TControlKind { EditBox, PushButton, StatusBar, ListBox };

struct TControlDescription {
    const char* Name;
    TControlKind Kind;
    TRectangle Place;
    const char* Text;
    // What a screen reader calls the control; empty for a control whose
    // text names it.
    const char* AccessibleName;
};

struct TFormDescription {
    const char* Caption;
    int ClientWidth;
    int ClientHeight;
    const char* FontFamily;
    int FontPoints;
};

}  // namespace dnspeek
