// Reads the texts of windows from another process, as testing and assistive
// tools do:
//   dnspeek_read_texts OUTPUT HWND...
// A list box's every line with LB_GETTEXTLEN and LB_GETTEXT, any other
// window's text with WM_GETTEXTLENGTH and WM_GETTEXT; each once wide and once
// ANSI. Writes a line to OUTPUT per text read, "WINDOW W|A ITEM LENGTH TEXT",
// the length as the window reported it, the text as ANSI bytes; and "done"
// once every window answered.
// A list line is read wide alone, and only its length in ANSI: Wine (8)
// returns no ANSI list line to another process whole, from any list box,
// a plain one too, and its reader may crash.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TFileCloser {
    void operator()(std::FILE* file) const { (void)std::fclose(file); }
};

bool IsListBox(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, -1, "ListBox", -1) == CSTR_EQUAL;
}

std::string Ansi(const std::wstring& wide)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The text of a line (for a list box) or of the window, read with the
// messages of one character set, and the length the window reported first.
template <typename TChar>
std::pair<LRESULT, std::basic_string<TChar>> Read(HWND window, bool listBox, WPARAM line)
{
    constexpr bool wide = sizeof(TChar) == sizeof(wchar_t);
    const auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
        return wide ? SendMessageW(window, message, wParam, lParam) : SendMessageA(window, message, wParam, lParam);
    };
    const LRESULT length = listBox ? send(LB_GETTEXTLEN, line, 0) : send(WM_GETTEXTLENGTH, 0, 0);
    if (length < 0)
        return {length, {}};
    std::vector<TChar> text(static_cast<std::size_t>(length) + 1);
    const LRESULT copied = listBox ? send(LB_GETTEXT, line, reinterpret_cast<LPARAM>(text.data()))
                                   : send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return {length, std::basic_string<TChar>(text.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0)};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::unique_ptr<std::FILE, TFileCloser> output(std::fopen(argv[1], "wb"));
    if (output == nullptr)
        return 2;
    for (int argument = 2; argument < argc; ++argument) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): a window handle passed as its number.
        auto* const window = reinterpret_cast<HWND>(std::strtoull(argv[argument], nullptr, 10));
        const bool listBox = IsListBox(window);
        const LRESULT items = listBox ? SendMessageW(window, LB_GETCOUNT, 0, 0) : 1;
        for (WPARAM item = 0; item < static_cast<WPARAM>(items); ++item) {
            const auto [wideLength, wide] = Read<wchar_t>(window, listBox, item);
            (void)std::fprintf(output.get(), "%d W %u %ld %s\n", argument - 2, static_cast<unsigned>(item),
                               static_cast<long>(wideLength), Ansi(wide).c_str());
            const auto [ansiLength, ansi] = listBox ? std::pair{SendMessageA(window, LB_GETTEXTLEN, item, 0), std::string()}
                                                    : Read<char>(window, listBox, item);
            (void)std::fprintf(output.get(), "%d A %u %ld %s\n", argument - 2, static_cast<unsigned>(item),
                               static_cast<long>(ansiLength), ansi.c_str());
        }
    }
    (void)std::fputs("done\n", output.get());
    return 0;
}
