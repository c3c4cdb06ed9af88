// Reads the name and control type of windows from another process through
// UI Automation, as Narrator reads them:
//   dnspeek_read_uia_names OUTPUT HWND...
// Writes a line to OUTPUT per window, "NAME|CONTROL TYPE ID", the name as
// ANSI bytes; then "done". Where the system has no UI Automation, the one
// line "no UI Automation: class not registered"; where it fails to start,
// "UI Automation failed: HRESULT".

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

// The two interfaces, as far as they are called here: every earlier method
// holds its place in the table, and is never called. mingw-w64's headers
// declare them on Debian 13 alone. They are declared outside the unnamed
// namespace: there, the compiler sees that no class of this program
// implements them and turns each call into one of a pure virtual function.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): released, never deleted, as COM asks.
struct TUiAutomationElement : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int, void*, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int, void*, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, void*, void*, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, void*, void*, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void*, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int property, BOOL ignoreDefault, VARIANT* value) = 0;
};

// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): released, never deleted, as COM asks.
struct TUiAutomation : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, TUiAutomationElement** element) = 0;
};

namespace {

constexpr CLSID CuiAutomation{0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID UiAutomationId{0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr int ControlTypeProperty = 30003;
constexpr int NameProperty = 30005;

struct TFileCloser {
    void operator()(std::FILE* file) const { (void)std::fclose(file); }
};
struct TReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

std::string Ansi(const wchar_t* wide)
{
    if (wide == nullptr)
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// A window's name and control type, or what went wrong.
std::string NameAndControlType(TUiAutomation& automation, HWND window)
{
    TUiAutomationElement* found = nullptr;
    if (const HRESULT result = automation.ElementFromHandle(window, &found); FAILED(result) || found == nullptr)
        return "no element: " + std::to_string(result);
    const std::unique_ptr<TUiAutomationElement, TReleaser> element(found);
    VARIANT name{};
    VARIANT controlType{};
    element->GetCurrentPropertyValueEx(NameProperty, FALSE, &name);
    element->GetCurrentPropertyValueEx(ControlTypeProperty, FALSE, &controlType);
    // NOLINTBEGIN(cppcoreguidelines-pro-type-union-access): a VARIANT's type says which member it holds.
    std::string line = (name.vt == VT_BSTR ? Ansi(name.bstrVal) : "(no name)") + '|' +
                       (controlType.vt == VT_I4 ? std::to_string(controlType.lVal) : "(no control type)");
    // NOLINTEND(cppcoreguidelines-pro-type-union-access)
    VariantClear(&name);
    VariantClear(&controlType);
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::unique_ptr<std::FILE, TFileCloser> output(std::fopen(argv[1], "wb"));
    if (output == nullptr || FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 2;
    void* created = nullptr;
    if (const HRESULT result =
            CoCreateInstance(CuiAutomation, nullptr, CLSCTX_INPROC_SERVER, UiAutomationId, &created);
        FAILED(result)) {
        if (result == REGDB_E_CLASSNOTREG)
            (void)std::fputs("no UI Automation: class not registered\n", output.get());
        else
            (void)std::fprintf(output.get(), "UI Automation failed: 0x%08lx\n", static_cast<unsigned long>(result));
        return 0;
    }
    {
        const std::unique_ptr<TUiAutomation, TReleaser> automation(static_cast<TUiAutomation*>(created));
        for (int argument = 2; argument < argc; ++argument) {
            // NOLINTNEXTLINE(performance-no-int-to-ptr): a window handle passed as its number.
            auto* const window = reinterpret_cast<HWND>(std::strtoull(argv[argument], nullptr, 10));
            (void)std::fprintf(output.get(), "%s\n", NameAndControlType(*automation, window).c_str());
        }
    }
    (void)std::fputs("done\n", output.get());
    CoUninitialize();
    return 0;
}
